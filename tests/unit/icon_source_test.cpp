// Finding icons in modules and icon files, by content, and surviving damaged ones.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "iconaccess/icon_source.h"
#include "tests/support/fixtures.h"
#include "tests/unit/temp_dir.h"

using namespace iconaccess;
using fixtures::Bytes;

namespace {

bool sameBytes(std::span<const std::uint8_t> a, const Bytes& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

IconSource openBytes(TempDir& dir, const Bytes& bytes, const std::string& name = "source.bin") {
  auto path = dir.path() / name;
  fixtures::writeFile(path, bytes);
  return IconSource::open(path);
}

}  // namespace

// Every recognised kind, whatever its file name: the count, and each icon's images with the
// exact stored bytes in group order.
TEST(IconSource, FindsEveryIconOfEachKindByContent) {
  TempDir dir;
  const auto spec32 = fixtures::simpleModule(3, {{16, 32}, {32, 8}, {48, 24}});
  const auto spec64 = fixtures::simpleModule(2, {{32, 32}, {256, 32, true}}, true);
  const auto specNe = fixtures::simpleModule(2, {{32, 4}, {16, 1}});
  struct Case {
    const char* name;
    Bytes bytes;
    const fixtures::ModuleSpec* spec;
    SourceKind kind;
  } cases[] = {
      {"pe32.dll", fixtures::makePe(spec32), &spec32, SourceKind::PE},
      {"pe64.whatever", fixtures::makePe(spec64), &spec64, SourceKind::PE},
      {"old.exe", fixtures::makeNe(specNe), &specNe, SourceKind::NE},
      {"module.cpl", fixtures::makePe(spec32), &spec32, SourceKind::PE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IconSource source = openBytes(dir, c.bytes, c.name);
    EXPECT_EQ(source.kind(), c.kind);
    ASSERT_EQ(source.count(), static_cast<int>(c.spec->groups.size()));
    for (int k = 0; k < source.count(); ++k) {
      Icon icon = source.icon(k);
      const auto& entries = c.spec->groups[k].entries;
      ASSERT_EQ(icon.images.size(), entries.size());
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const Bytes& stored = c.spec->images[entries[i].imageId - 1].data;
        EXPECT_TRUE(sameBytes(icon.images[i].data, stored)) << "icon " << k << " image " << i;
        EXPECT_EQ(icon.images[i].entry[0], entries[i].width);
        EXPECT_EQ(icon.images[i].entry[6], entries[i].bitCount);
      }
    }
    EXPECT_TRUE(source.icon(-1).images.empty());
    EXPECT_TRUE(source.icon(source.count()).images.empty());
  }
}

TEST(IconSource, IconFileIsOneIconWithAllItsImages) {
  TempDir dir;
  std::vector<fixtures::Image> images = {fixtures::solidImage(16, 8, 0x112233),
                                         fixtures::solidImage(32, 32, 0x445566),
                                         fixtures::pngImage(256, 0x80FF0000)};
  IconSource source = openBytes(dir, fixtures::makeIconFile(images), "named.txt");
  EXPECT_EQ(source.kind(), SourceKind::IconFile);
  ASSERT_EQ(source.count(), 1);
  Icon icon = source.icon(0);
  ASSERT_EQ(icon.images.size(), 3u);
  for (std::size_t i = 0; i < images.size(); ++i) {
    EXPECT_TRUE(sameBytes(icon.images[i].data, images[i].data));
  }
  EXPECT_TRUE(icon.images[2].png);
  EXPECT_EQ(icon.images[2].width, 256);
  EXPECT_EQ(icon.images[1].height, 32);  // the DIB's stored height is doubled
}

TEST(IconSource, NamedGroupsComeFirstInDirectoryOrder) {
  TempDir dir;
  fixtures::ModuleSpec spec;
  for (std::uint16_t id = 1; id <= 3; ++id) {
    spec.images.push_back({id, 0x409, fixtures::solidImage(16, 32, id * 0x10101).data});
  }
  spec.groups = {{std::u16string(u"APP"), 0x409, {{1}}, {}},
                 {std::u16string(u"MAIN"), 0x409, {{2}}, {}},
                 {std::uint16_t{7}, 0x409, {{3}}, {}}};
  IconSource source = openBytes(dir, fixtures::makePe(spec));
  ASSERT_EQ(source.count(), 3);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(source.icon(k).images.size(), 1u);
    EXPECT_TRUE(sameBytes(source.icon(k).images[0].data, spec.images[k].data)) << k;
  }
}

// An image is taken in its group's language, else in the first language it has.
TEST(IconSource, ImagesFollowTheGroupLanguage) {
  TempDir dir;
  fixtures::ModuleSpec spec;
  const Bytes english = fixtures::solidImage(16, 32, 0x0000FF).data;
  const Bytes german = fixtures::solidImage(16, 32, 0x00FF00).data;
  const Bytes only = fixtures::solidImage(32, 32, 0xFF0000).data;
  spec.images = {{1, 0x409, english}, {1, 0x407, german}, {2, 0x409, only}};
  spec.groups = {{std::uint16_t{1}, 0x407, {{1}, {2}}, {0x409}},
                 {std::uint16_t{2}, 0x409, {{1}}, {}}};
  IconSource source = openBytes(dir, fixtures::makePe(spec));
  ASSERT_EQ(source.count(), 2);
  Icon first = source.icon(0);
  ASSERT_EQ(first.images.size(), 2u);
  EXPECT_TRUE(sameBytes(first.images[0].data, german));
  EXPECT_TRUE(sameBytes(first.images[1].data, only));  // no German version: its first language
  EXPECT_TRUE(sameBytes(source.icon(1).images[0].data, english));
}

TEST(IconSource, EntriesNamingMissingImagesAreLeftOut) {
  TempDir dir;
  fixtures::ModuleSpec spec;
  spec.images = {{1, 0x409, fixtures::solidImage(16, 32, 0x123456).data}};
  spec.groups = {{std::uint16_t{1}, 0x409, {{9}, {1}, {10}}, {}},
                 {std::uint16_t{2}, 0x409, {{11}}, {}}};
  IconSource source = openBytes(dir, fixtures::makePe(spec));
  ASSERT_EQ(source.count(), 2);  // a group without images still counts, as the system counts it
  ASSERT_EQ(source.icon(0).images.size(), 1u);
  EXPECT_TRUE(sameBytes(source.icon(0).images[0].data, spec.images[0].data));
  EXPECT_TRUE(source.icon(1).images.empty());
}

TEST(IconSource, FilesWithoutIconsCountZero) {
  TempDir dir;
  fixtures::ModuleSpec noIcons;
  const Bytes cursor = [] {
    Bytes b = fixtures::makeIconFile({fixtures::solidImage(16, 32, 0)});
    b[2] = 2;  // type 2: a cursor file
    return b;
  }();
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}},
      {"module without resources", fixtures::makePe(noIcons)},
      {"cursor file", cursor},
      {"icon file with no entries", Bytes{0, 0, 1, 0, 0, 0}},
      {"MZ only", Bytes{'M', 'Z'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(openBytes(dir, c.bytes).count(), 0);
  }
  EXPECT_EQ(countIcons(dir.path() / "missing.dll"), 0);
  EXPECT_EQ(countIcons(""), 0);
}

// Directories, FIFOs and devices are not read at all: a FIFO without a writer would otherwise
// block forever and /dev/zero never ends.
TEST(IconSource, NonRegularFilesCountZeroWithoutBlocking) {
  TempDir dir;
  auto fifo = dir.path() / "pipe.dll";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(countIcons(fifo), 0);
  EXPECT_EQ(countIcons(dir.path()), 0);
  EXPECT_EQ(countIcons("/dev/zero"), 0);
  EXPECT_EQ(countIcons("/dev/null"), 0);
}

// A module followed by 2 GiB of zeros (a sparse file): the icons are found from the few pages
// that hold the headers and resources; the zeros are never read.
TEST(IconSource, HugeFileIsReadOnlyWhereItsIconsAre) {
  TempDir dir;
  const auto spec = fixtures::simpleModule(4, {{32, 32}});
  auto path = dir.path() / "huge.dll";
  fixtures::writeFile(path, fixtures::makePe(spec));
  std::filesystem::resize_file(path, (std::uintmax_t{2} << 30) + 12345);
  IconSource source = IconSource::open(path);
  ASSERT_EQ(source.count(), 4);
  EXPECT_EQ(source.icon(3).images.size(), 1u);
}

TEST(IconSource, MunFileStandsInForAModuleWithoutIcons) {
  TempDir dir;
  auto windows = dir.path() / "Windows";
  std::filesystem::create_directories(windows / "SystemResources");
  fixtures::ModuleSpec empty;
  const auto withIcons = fixtures::simpleModule(5, {{32, 32}});
  fixtures::writeFile(dir.path() / "shell32.dll", fixtures::makePe(empty));
  fixtures::writeFile(windows / "SystemResources" / "shell32.dll.mun", fixtures::makePe(withIcons));
  fixtures::writeFile(dir.path() / "other.dll", fixtures::makePe(empty));
  fixtures::writeFile(dir.path() / "own.dll", fixtures::makePe(fixtures::simpleModule(2, {{16, 32}})));
  fixtures::writeFile(windows / "SystemResources" / "own.dll.mun", fixtures::makePe(withIcons));

  SourceOptions options{windows};
  IconSource shell = IconSource::open(dir.path() / "shell32.dll", options);
  EXPECT_EQ(shell.count(), 5);
  EXPECT_EQ(shell.resolvedPath(), windows / "SystemResources" / "shell32.dll.mun");
  EXPECT_EQ(shell.icon(4).images.size(), 1u);
  EXPECT_EQ(countIcons(dir.path() / "other.dll", options), 0);  // no .mun of its own
  EXPECT_EQ(countIcons(dir.path() / "own.dll", options), 2);    // its own icons win
  EXPECT_EQ(countIcons(dir.path() / "shell32.dll"), 0);         // no Windows folder here
}
