// Saving an icon: the icon file layout, the bitmap of the first image, the destination kinds,
// and that a failed save leaves nothing behind.

#include <gtest/gtest.h>

#include <filesystem>

#include "iconaccess/render.h"
#include "iconaccess/save.h"
#include "tests/support/fixtures.h"
#include "tests/unit/temp_dir.h"

using namespace iconaccess;
using fixtures::Bytes;
namespace fs = std::filesystem;

namespace {

std::uint32_t u32(const Bytes& b, std::size_t at) { return fixtures::get32(b, at); }
std::uint16_t u16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::vector<fs::path> filesIn(const fs::path& dir) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename());
  return out;
}

}  // namespace

// Header (0, 1, n); n entries of the group's 12 bytes, the real size and ascending offsets; the
// images after them in group order, each exactly as stored.
TEST(Save, IconFileHoldsEveryImageExactlyAsStored) {
  TempDir dir;
  const auto spec = fixtures::simpleModule(3, {{16, 4}, {32, 32}, {256, 32, true}});
  fixtures::writeFile(dir.path() / "m.dll", fixtures::makePe(spec));
  ASSERT_EQ(saveIcon(dir.path() / "m.dll", 2, dir.path() / "two.ico"), SaveResult::Written);
  const Bytes ico = fixtures::readFile(dir.path() / "two.ico");
  ASSERT_GE(ico.size(), 6u + 3 * 16);
  EXPECT_EQ(u16(ico, 0), 0);
  EXPECT_EQ(u16(ico, 2), 1);
  ASSERT_EQ(u16(ico, 4), 3);
  std::size_t expectedOffset = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    const auto& entry = spec.groups[1].entries[i];
    const Bytes& stored = spec.images[entry.imageId - 1].data;
    const std::size_t e = 6 + 16 * i;
    EXPECT_EQ(ico[e], entry.width);
    EXPECT_EQ(u16(ico, e + 6), entry.bitCount);
    EXPECT_EQ(u32(ico, e + 8), stored.size());
    EXPECT_EQ(u32(ico, e + 12), expectedOffset);
    ASSERT_LE(expectedOffset + stored.size(), ico.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), ico.begin() + static_cast<std::ptrdiff_t>(expectedOffset)));
    expectedOffset += stored.size();
  }
  EXPECT_EQ(ico.size(), expectedOffset);
  // The written file reads back as the same icon.
  IconSource back = IconSource::open(dir.path() / "two.ico");
  EXPECT_EQ(back.icon(0).images.size(), 3u);
}

TEST(Save, DestinationKindIsTheLastThreeCharactersInAnyCase) {
  struct Case {
    const char* name;
    DestinationKind kind;
  } cases[] = {
      {"a.ico", DestinationKind::Icon},   {"A.ICO", DestinationKind::Icon},
      {"a.IcO", DestinationKind::Icon},   {"noext-ico", DestinationKind::Icon},
      {"a.bmp", DestinationKind::Bitmap}, {"A.BMP", DestinationKind::Bitmap},
      {"a.icon", DestinationKind::Other}, {"a.txt", DestinationKind::Other},
      {"co", DestinationKind::Other},     {"", DestinationKind::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(destinationKind(c.name), c.kind) << c.name;
}

// What gets written for each destination and icon number, and the reason when nothing is.
TEST(Save, WritesOnlyWhatItCanAndSaysWhy) {
  TempDir dir;
  fixtures::writeFile(dir.path() / "m.cpl", fixtures::makePe(fixtures::simpleModule(2, {{32, 8}})));
  fixtures::writeFile(dir.path() / "text.dll", Bytes{'n', 'o'});
  const fs::path source = dir.path() / "m.cpl";
  struct Case {
    fs::path source;
    int number;
    const char* destination;
    SaveResult result;
  } cases[] = {
      {source, 1, "a.ICO", SaveResult::Written},
      {source, 0, "zero.ico", SaveResult::Written},   // below 1 counts as 1
      {source, -5, "neg.ico", SaveResult::Written},
      {source, 2, "b.bmp", SaveResult::Written},
      {source, 3, "c.ico", SaveResult::NoSuchIcon},
      {source, 1, "d.icon", SaveResult::UnsupportedDestination},
      {source, 1, "e.txt", SaveResult::UnsupportedDestination},
      {dir.path() / "text.dll", 1, "f.ico", SaveResult::NoSuchIcon},
      {dir.path() / "missing.dll", 1, "g.ico", SaveResult::NoSuchIcon},
      {source, 1, "missing-folder/h.ico", SaveResult::WriteFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    const fs::path destination = dir.path() / c.destination;
    EXPECT_EQ(saveIcon(c.source, c.number, destination), c.result);
    EXPECT_EQ(fs::exists(destination), c.result == SaveResult::Written);
  }
  EXPECT_EQ(saveIcon(source, 1, ""), SaveResult::EmptyDestination);
  // Zero and negative numbers wrote icon 1.
  EXPECT_EQ(fixtures::readFile(dir.path() / "zero.ico"), fixtures::readFile(dir.path() / "a.ICO"));
}

// A save replaces an existing file whole, and a failed one leaves it as it was, with no
// temporary file left beside it.
TEST(Save, ReplacesWholeOrNotAtAll) {
  TempDir dir;
  fixtures::writeFile(dir.path() / "m.dll", fixtures::makePe(fixtures::simpleModule(2, {{32, 32}})));
  const fs::path target = dir.path() / "out.ico";
  fixtures::writeFile(target, Bytes(100000, 0xAB));  // longer than the icon: no tail may remain
  ASSERT_EQ(saveIcon(dir.path() / "m.dll", 2, target), SaveResult::Written);
  const Bytes written = fixtures::readFile(target);
  EXPECT_EQ(written, iconFileBytes(IconSource::open(dir.path() / "m.dll").icon(1)));

  // A group whose images are all missing writes nothing over the existing file.
  fixtures::ModuleSpec broken;
  broken.groups = {{std::uint16_t{1}, 0x409, {{42}}, {}}};
  fixtures::writeFile(dir.path() / "broken.dll", fixtures::makePe(broken));
  EXPECT_EQ(saveIcon(dir.path() / "broken.dll", 1, target), SaveResult::NoImages);
  EXPECT_EQ(fixtures::readFile(target), written);

  // The destination is a folder: the move fails, the folder stays, no temporary file remains.
  fs::create_directory(dir.path() / "folder.ico");
  EXPECT_EQ(saveIcon(dir.path() / "m.dll", 1, dir.path() / "folder.ico"), SaveResult::WriteFailed);
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder.ico"));
  auto files = filesIn(dir.path());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<fs::path>{"broken.dll", "folder.ico", "m.dll", "out.ico"}));
}

// A DIB's bitmap keeps its depth and palette, halves the height and drops the AND mask.
TEST(Save, BitmapOfADibKeepsDepthAndPalette) {
  fixtures::DibSpec spec;
  spec.width = 5;  // a row of 5 4-bit pixels pads to 4 bytes
  spec.height = 3;
  spec.bitCount = 4;
  spec.palette = {0x000000, 0xFF0000, 0x00FF00};
  spec.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 3); };
  spec.transparent = [](int x, int) { return x == 0; };
  IconImage image;
  const Bytes dib = fixtures::makeDib(spec);
  image.data = dib;
  image.width = 5;
  image.height = 3;
  image.bitCount = 4;
  auto bmp = bitmapFileBytes(image);
  ASSERT_TRUE(bmp.has_value());
  const Bytes& b = *bmp;
  const std::size_t bits = 14 + 40 + 3 * 4;
  ASSERT_EQ(b.size(), bits + 4 * 3);  // three rows of 4 bytes, no mask
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(u32(b, 2), b.size());
  EXPECT_EQ(u32(b, 10), bits);
  EXPECT_EQ(u32(b, 14 + 8), 3u);   // height halved
  EXPECT_EQ(u16(b, 14 + 14), 4);   // depth kept
  EXPECT_EQ(u32(b, 14 + 40 + 4), 0xFF0000u);  // palette kept
  EXPECT_TRUE(std::equal(b.begin() + bits, b.end(), dib.begin() + 40 + 12));

  image.data = std::span<const std::uint8_t>(dib).first(40 + 12 + 6);  // colour bits cut short
  EXPECT_FALSE(bitmapFileBytes(image).has_value());
}

// A PNG image becomes a 32-bit bitmap with alpha, bottom row first, pixel for pixel.
TEST(Save, BitmapOfAPngIsDecodedTo32BitsWithAlpha) {
  auto colour = [](int x, int y) -> std::uint32_t {
    return (static_cast<std::uint32_t>(x * 40) << 24) | (static_cast<std::uint32_t>(y * 50) << 8) | 0x30;
  };
  const Bytes png = fixtures::makePng(6, 4, colour);
  IconImage image;
  image.data = png;
  image.png = true;
  auto bmp = bitmapFileBytes(image);
  ASSERT_TRUE(bmp.has_value());
  const Bytes& b = *bmp;
  const std::size_t bits = u32(b, 10);
  EXPECT_EQ(u32(b, 14 + 4), 6u);
  EXPECT_EQ(u32(b, 14 + 8), 4u);
  EXPECT_EQ(u16(b, 14 + 14), 32);
  EXPECT_EQ(u32(b, 14 + 52), 0xFF000000u);  // the alpha mask
  ASSERT_EQ(b.size(), bits + 6 * 4 * 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(u32(b, bits + 4 * ((3 - y) * 6 + x)), colour(x, y)) << x << "," << y;
    }
  }
}

// Keeping existing files: a free name is written, a taken one is refused and left as it was.
TEST(Save, KeepExistingNeverReplaces) {
  TempDir dir;
  fixtures::writeFile(dir.path() / "m.dll", fixtures::makePe(fixtures::simpleModule(1, {{16, 32}})));
  const fs::path taken = dir.path() / "taken.ico";
  fixtures::writeFile(taken, Bytes{1, 2, 3});
  EXPECT_EQ(saveIcon(dir.path() / "m.dll", 1, taken, {}, ExistingFile::Keep),
            SaveResult::DestinationExists);
  EXPECT_EQ(fixtures::readFile(taken), (Bytes{1, 2, 3}));
  EXPECT_EQ(saveIcon(dir.path() / "m.dll", 1, dir.path() / "free.ico", {}, ExistingFile::Keep),
            SaveResult::Written);
  EXPECT_FALSE(fixtures::readFile(dir.path() / "free.ico").empty());
  EXPECT_EQ(filesIn(dir.path()).size(), 3u);  // no temporary file left behind
}
