// The core on Windows: its icon count against the system's own (ExtractIconW with index -1) for
// every one of Wine's modules, and its Windows pieces (file mapping, atomic replace, PNG through
// WIC) on real files.

#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "iconaccess/icon_source.h"
#include "iconaccess/platform.h"
#include "iconaccess/render.h"
#include "iconaccess/save.h"
#include "tests/support/fixtures.h"

namespace fs = std::filesystem;
using fixtures::Bytes;

namespace {

// Wine shows the Linux file system as drive Z:.
const wchar_t* const kWineFolders[] = {L"Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows",
                                       L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows"};

fs::path scratchFolder(const wchar_t* name) {
  fs::path dir = fs::temp_directory_path() / name;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(CoreOnWindows, CountAgreesWithTheSystemForEveryWineModule) {
  int modules = 0, withIcons = 0;
  std::vector<std::wstring> disagreements;
  for (const wchar_t* folder : kWineFolders) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      if (!entry.is_regular_file()) continue;
      const std::wstring path = entry.path().wstring();
      // ExtractIconW returns the count as a handle-sized number when asked for index -1.
      const auto system = static_cast<int>(reinterpret_cast<INT_PTR>(
          ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), static_cast<UINT>(-1))));
      const int ours = iconaccess::countIcons(entry.path());
      ++modules;
      if (ours > 0) ++withIcons;
      if (ours != system) {
        disagreements.push_back(path + L": ours " + std::to_wstring(ours) + L", system " +
                                std::to_wstring(system));
      }
    }
  }
  if (modules == 0) GTEST_SKIP() << "Wine's module folders are not visible as drive Z:";
  EXPECT_GT(withIcons, 0);
  for (const std::wstring& d : disagreements) ADD_FAILURE() << fs::path(d).string();
}

TEST(CoreOnWindows, DirectoriesAndDevicesAreNotRead) {
  fs::path dir = scratchFolder(L"iconx-devices");
  EXPECT_EQ(iconaccess::MappedFile::open(dir), nullptr);
  EXPECT_EQ(iconaccess::countIcons(L"NUL"), 0);
  EXPECT_EQ(iconaccess::countIcons(L"CONIN$"), 0);
  EXPECT_EQ(iconaccess::countIcons(dir / L"missing.dll"), 0);
}

// The save replaces an existing file in one step, also under a name in any script, and leaves
// neither a partial file nor a temporary one behind when it cannot write.
TEST(CoreOnWindows, SaveReplacesAtomicallyUnderUnicodeNames) {
  fs::path dir = scratchFolder(L"iconx-save-图标");
  const auto spec = fixtures::simpleModule(2, {{16, 8}, {32, 32}});
  fixtures::writeFile(dir / L"模块.dll", fixtures::makePe(spec));
  const fs::path target = dir / L"图标.ico";
  fixtures::writeFile(target, Bytes(50000, 0xCD));
  ASSERT_EQ(iconaccess::saveIcon(dir / L"模块.dll", 2, target), iconaccess::SaveResult::Written);
  const Bytes written = fixtures::readFile(target);
  EXPECT_EQ(written, iconaccess::iconFileBytes(iconaccess::IconSource::open(dir / L"模块.dll").icon(1)));

  // Asked to keep existing files, the save refuses the taken name and leaves the file as it is.
  EXPECT_EQ(iconaccess::saveIcon(dir / L"模块.dll", 1, target, {}, iconaccess::ExistingFile::Keep),
            iconaccess::SaveResult::DestinationExists);
  EXPECT_EQ(fixtures::readFile(target), written);

  fs::create_directory(dir / L"folder.ico");
  EXPECT_EQ(iconaccess::saveIcon(dir / L"模块.dll", 1, dir / L"folder.ico"),
            iconaccess::SaveResult::WriteFailed);
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 3);  // the module, the icon, the folder: no temporary file left
}

// PNG decoding through WIC gives exactly the pixels libpng gives natively.
TEST(CoreOnWindows, PngDecodesThroughWic) {
  auto colour = [](int x, int y) -> std::uint32_t {
    return (static_cast<std::uint32_t>(x * 50) << 24) | (static_cast<std::uint32_t>(y * 60) << 16) | 0x7F;
  };
  const Bytes png = fixtures::makePng(5, 4, colour);
  auto pixels = iconaccess::decodePng(png);
  ASSERT_TRUE(pixels.has_value());
  ASSERT_EQ(pixels->width, 5);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixels->at(x, y), colour(x, y)) << x << "," << y;
  }
  EXPECT_FALSE(iconaccess::decodePng(std::span<const std::uint8_t>(png).first(png.size() / 2)));
}

// A module followed by 2 GiB of zeros: a 32-bit process cannot map it whole, yet its icons, which
// sit at the start, are all found.
TEST(CoreOnWindows, HugeFileCountsFromTheMappedPart) {
  fs::path dir = scratchFolder(L"iconx-huge");
  const fs::path path = dir / L"huge.dll";
  fixtures::writeFile(path, fixtures::makePe(fixtures::simpleModule(3, {{32, 32}})));
  fs::resize_file(path, (std::uintmax_t{2} << 30) + 4096);
  iconaccess::IconSource source = iconaccess::IconSource::open(path);
  EXPECT_EQ(source.count(), 3);
  EXPECT_EQ(source.icon(2).images.size(), 1u);
  source = iconaccess::IconSource();
  fs::remove_all(dir);
}
