// Wine's own modules as real-world sources, checked against icoutils' wrestool as an independent
// reader: the same number of icon groups, and every icon file that `iconextract save-all` writes
// holds exactly the module's stored images, in group order. Skipped where Wine or wrestool is
// absent.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "iconaccess/icon_source.h"
#include "tests/support/fixtures.h"
#include "tests/unit/temp_dir.h"

namespace fs = std::filesystem;
using fixtures::Bytes;

namespace {

const char* const kWineFolders[] = {"/usr/lib/i386-linux-gnu/wine/i386-windows",
                                    "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"};

std::string run(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

struct GroupName {
  std::string name;
  std::string language;
};

// The groups as wrestool lists them, in directory order.
std::vector<GroupName> wrestoolGroups(const fs::path& module) {
  std::vector<GroupName> groups;
  static const std::regex line(R"(--name='?([^' ]+)'? --language=(\d+))");
  std::string listing = run("wrestool -l -t14 " + quoted(module) + " 2>/dev/null");
  for (std::sregex_iterator it(listing.begin(), listing.end(), line), end; it != end; ++it) {
    groups.push_back({(*it)[1], (*it)[2]});
  }
  return groups;
}

std::uint16_t u16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

std::vector<fs::path> modulesWithIcons() {
  std::vector<fs::path> modules;
  for (const char* folder : kWineFolders) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      if (entry.is_regular_file() && iconaccess::countIcons(entry.path()) > 0) {
        modules.push_back(entry.path());
      }
    }
  }
  return modules;
}

}  // namespace

TEST(RealModules, SaveAllMatchesTheStoredImagesOfEveryGroup) {
  if (run("command -v wrestool").empty()) GTEST_SKIP() << "wrestool (icoutils) not installed";
  const auto modules = modulesWithIcons();
  if (modules.empty()) GTEST_SKIP() << "no Wine modules on this machine";
  int groupsChecked = 0;
  for (const fs::path& module : modules) {
    SCOPED_TRACE(module.string());
    TempDir dir;
    const auto groups = wrestoolGroups(module);
    ASSERT_EQ(iconaccess::countIcons(module), static_cast<int>(groups.size()));
    run("wrestool -x --raw -t14 -o " + quoted(dir.path()) + " " + quoted(module));
    run("wrestool -x --raw -t3 -o " + quoted(dir.path()) + " " + quoted(module));
    const fs::path saved = dir.path() / "saved";
    ASSERT_EQ(std::system((std::string(ICONEXTRACT_CLI) + " save-all " + quoted(module) + " " +
                           quoted(saved)).c_str()), 0);
    const std::string base = module.filename().string();
    for (std::size_t k = 0; k < groups.size(); ++k) {
      const Bytes group = fixtures::readFile(dir.path() / (base + "_14_" + groups[k].name + "_" +
                                                           groups[k].language + ".ico"));
      const Bytes ico = fixtures::readFile(saved / (std::to_string(k + 1) + ".ico"));
      ASSERT_GE(group.size(), 6u);
      const std::size_t n = u16(group, 4);
      ASSERT_EQ(u16(ico, 4), n) << "icon " << k + 1;
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t id = u16(group, 6 + 14 * i + 12);
        const Bytes stored = fixtures::readFile(dir.path() / (base + "_3_" + std::to_string(id) +
                                                              "_" + groups[k].language));
        const std::uint32_t size = fixtures::get32(ico, 6 + 16 * i + 8);
        const std::uint32_t offset = fixtures::get32(ico, 6 + 16 * i + 12);
        ASSERT_EQ(size, stored.size()) << "icon " << k + 1 << " image " << i;
        ASSERT_LE(std::size_t{offset} + size, ico.size());
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), ico.begin() + offset))
            << "icon " << k + 1 << " image " << i;
        // The entry repeats the group's description of the image.
        EXPECT_TRUE(std::equal(group.begin() + 6 + 14 * i, group.begin() + 6 + 14 * i + 8,
                               ico.begin() + 6 + 16 * i));
      }
      ++groupsChecked;
    }
  }
  EXPECT_GT(groupsChecked, 0);
}

// A group whose first image is PNG-compressed, saved as a bitmap: a 32-bit bitmap of the PNG's
// size that an image viewer (ImageMagick's identify) opens.
TEST(RealModules, PngFirstImageSavesAsA32BitBitmapThatViewersOpen) {
  if (run("command -v identify").empty()) GTEST_SKIP() << "ImageMagick not installed";
  for (const fs::path& module : modulesWithIcons()) {
    iconaccess::IconSource source = iconaccess::IconSource::open(module);
    for (int k = 0; k < source.count(); ++k) {
      iconaccess::Icon icon = source.icon(k);
      if (icon.images.empty() || !icon.images.front().png) continue;
      TempDir dir;
      const fs::path bmp = dir.path() / "first.bmp";
      ASSERT_EQ(std::system((std::string(ICONEXTRACT_CLI) + " save " + quoted(module) + " " +
                             std::to_string(k + 1) + " " + quoted(bmp)).c_str()), 0);
      const Bytes b = fixtures::readFile(bmp);
      ASSERT_GE(b.size(), 54u);
      EXPECT_EQ(u16(b, 14 + 14), 32);
      const std::string size = std::to_string(icon.images.front().width) + "x" +
                               std::to_string(icon.images.front().height);
      const std::string seen = run("identify " + quoted(bmp) + " 2>&1");
      EXPECT_NE(seen.find("BMP " + size), std::string::npos) << seen;
      return;  // one such group is enough
    }
  }
  GTEST_SKIP() << "no module with a PNG first image on this machine";
}
