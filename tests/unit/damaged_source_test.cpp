// Hostile and damaged files: whatever the bytes say, the readers stay inside the file, end
// quickly, and keep what can still be read.

#include <gtest/gtest.h>

#include "iconaccess/icon_source.h"
#include "iconaccess/render.h"
#include "iconaccess/save.h"
#include "tests/support/fixtures.h"
#include "tests/unit/temp_dir.h"

using namespace iconaccess;
using fixtures::Bytes;

namespace {

// Opens the bytes and walks everything the source offers, as the list and the exports would.
int walk(TempDir& dir, const Bytes& bytes) {
  auto path = dir.path() / "damaged.dll";
  fixtures::writeFile(path, bytes);
  IconSource source = IconSource::open(path);
  int images = 0;
  for (int k = 0; k < source.count(); ++k) {
    Icon icon = source.icon(k);
    images += static_cast<int>(icon.images.size());
    (void)renderIcon(icon, 32, 32);
    (void)iconFileBytes(icon);
    if (!icon.images.empty()) (void)bitmapFileBytes(icon.images.front());
  }
  return images;
}

// Writes a 16- or 32-bit field, by the size of the value: the damage a case table describes.
void patch(Bytes& bytes, std::size_t at, std::uint32_t value) {
  if (value > 0xFFFF) {
    fixtures::put32(bytes, at, value);
  } else {
    fixtures::put16(bytes, at, value);
  }
}

}  // namespace

// Cut anywhere, each kind of file still parses without reading past its end (the sanitizer
// build would report it) and never finds more than the whole file holds.
TEST(DamagedSource, TruncatedAnywhere) {
  TempDir dir;
  const Bytes files[] = {
      fixtures::makePe(fixtures::simpleModule(2, {{16, 4}, {32, 32}})),
      fixtures::makePe(fixtures::simpleModule(2, {{16, 32, true}}, true)),
      fixtures::makeNe(fixtures::simpleModule(2, {{16, 8}})),
      fixtures::makeIconFile({fixtures::solidImage(16, 24, 1), fixtures::pngImage(32, 0xFF00FF00)}),
  };
  for (const Bytes& whole : files) {
    const int all = walk(dir, whole);
    ASSERT_GT(all, 0);
    for (std::size_t n = 0; n < whole.size(); n += (n < 0x400 ? 1 : 7)) {
      Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_LE(walk(dir, cut), all) << "cut at " << n;
    }
  }
}

// Offsets and sizes that point past the end, or that wrap around when added, lose the group they
// belong to and nothing else.
TEST(DamagedSource, OffsetsPastTheEndAndWrappingSizes) {
  TempDir dir;
  const auto spec = fixtures::simpleModule(3, {{32, 32}});
  fixtures::ModuleLayout layout;
  const Bytes good = fixtures::makePe(spec, &layout);
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {"group data RVA past the end", layout.groupDataEntries[1], 0x7FFFFFF0u},
      {"group data size wraps", layout.groupDataEntries[1] + 4, 0xFFFFFFFFu},
      {"group data RVA just below 4 GiB", layout.groupDataEntries[1], 0xFFFFFFFEu},
      {"group claims 65535 entries", layout.groupData[1] + 4, 0xFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    patch(bad, c.at, c.value);
    auto path = dir.path() / "bad.dll";
    fixtures::writeFile(path, bad);
    IconSource source = IconSource::open(path);
    ASSERT_EQ(source.count(), 3);
    EXPECT_EQ(source.icon(0).images.size(), 1u);
    EXPECT_EQ(source.icon(2).images.size(), 1u);
    EXPECT_LE(source.icon(1).images.size(), 1u);
  }
}

TEST(DamagedSource, BrokenHeadersGiveNoIcons) {
  TempDir dir;
  fixtures::ModuleLayout layout;
  const Bytes good = fixtures::makePe(fixtures::simpleModule(2, {{32, 32}}), &layout);
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {"e_lfanew past the end", 0x3C, 0xFFFFFFF0u},
      {"unknown optional header magic", layout.peHeader + 24, 0x1234},
      {"section raw data past the end", layout.sectionHeader + 20, 0x7FFFFFF0u},
      {"resource directory RVA outside every section", layout.peHeader + 24 + 96 + 16, 0x900000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    patch(bad, c.at, c.value);
    EXPECT_EQ(walk(dir, bad), 0);
  }
}

// A directory entry pointing back at the root, or a language level that holds yet another
// directory, is not followed: walking ends, and the other groups survive.
TEST(DamagedSource, ResourceDirectoryLoopsAndDeepNesting) {
  TempDir dir;
  fixtures::ModuleLayout layout;
  const auto spec = fixtures::simpleModule(2, {{32, 32}});
  const Bytes good = fixtures::makePe(spec, &layout);
  const std::size_t rsrc = layout.resourceSection;
  // Root: 16 + 8 * 2 (RT_ICON, RT_GROUP_ICON). Then the two type directories: RT_ICON with two
  // names, RT_GROUP_ICON with two names. The first group's name entry follows its directory head.
  const std::size_t groupTypeDir = rsrc + 32 + 16 + 2 * 8;
  const std::size_t firstGroupName = groupTypeDir + 16;
  Bytes loop = good;
  fixtures::put32(loop, firstGroupName + 4, 0x80000000u);  // back to the root directory
  auto path = dir.path() / "loop.dll";
  fixtures::writeFile(path, loop);
  IconSource source = IconSource::open(path);
  ASSERT_EQ(source.count(), 2);
  EXPECT_TRUE(source.icon(0).images.empty());
  EXPECT_EQ(source.icon(1).images.size(), 1u);

  Bytes selfLoop = good;
  fixtures::put32(selfLoop, firstGroupName + 4,
                  0x80000000u | static_cast<std::uint32_t>(groupTypeDir - rsrc));
  EXPECT_LE(walk(dir, selfLoop), 1);

  // Huge entry counts in the root: the readers cap them and stop where the section ends.
  Bytes huge = good;
  fixtures::put16(huge, rsrc + 12, 0xFFFF);
  fixtures::put16(huge, rsrc + 14, 0xFFFF);
  EXPECT_LE(walk(dir, huge), 2);
}

// Image headers that lie: sizes beyond any icon, odd heights, unknown depths and compressions.
TEST(DamagedSource, LyingImageHeadersAreSkipped) {
  TempDir dir;
  fixtures::Image good = fixtures::solidImage(16, 32, 0x00FF00);
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {"width 2^31", 4, 0x80000000u},
      {"height 1 (odd)", 8, 1},
      {"width 100000", 4, 100000},
      {"bit count 7", 14, 7},
      {"RLE compression", 16, 1},
      {"header size 12", 0, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fixtures::Image bad = good;
    if (c.at == 14) fixtures::put16(bad.data, c.at, c.value); else fixtures::put32(bad.data, c.at, c.value);
    auto path = dir.path() / "lying.ico";
    fixtures::writeFile(path, fixtures::makeIconFile({bad, good}));
    IconSource source = IconSource::open(path);
    ASSERT_EQ(source.count(), 1);
    Icon icon = source.icon(0);
    auto pixels = renderIcon(icon, 16, 16);
    // The lying image is either dropped, or (RLE) kept but undecodable: the good one is drawn.
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->at(5, 5), 0xFF00FF00u);
  }
}
