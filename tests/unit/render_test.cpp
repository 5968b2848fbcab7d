// Turning images into pixels: every DIB depth, the AND mask, PNG, the choice of image for a size,
// and area-averaging scaling.

#include <gtest/gtest.h>

#include "iconaccess/render.h"
#include "tests/support/fixtures.h"

using namespace iconaccess;
using fixtures::Bytes;

namespace {

struct OwnedImage {
  Bytes bytes;
  IconImage image;
};

OwnedImage imageOf(Bytes bytes, int width, int height, int bitCount, bool png = false) {
  OwnedImage o{std::move(bytes), {}};
  o.image.data = o.bytes;
  o.image.width = width;
  o.image.height = height;
  o.image.bitCount = bitCount;
  o.image.png = png;
  return o;
}

}  // namespace

// One 5 x 3 pattern stored at each depth decodes to the same pixels, top row first; the odd width
// exercises row padding and the bottom-up order.
TEST(Render, DecodesEveryDibDepth) {
  // Full or empty channels, so that 5-bit 16-bit pixels expand to exactly the same colours.
  const std::uint32_t colours[3] = {0x000000, 0xFFFF00, 0x00FFFF};
  auto pattern = [](int x, int y) { return (x + 2 * y) % 3; };
  for (int bitCount : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bitCount);
    fixtures::DibSpec spec;
    spec.width = 5;
    spec.height = 3;
    spec.bitCount = bitCount;
    const int shades = bitCount == 1 ? 2 : 3;
    spec.palette.assign(colours, colours + shades);
    spec.pixel = [&](int x, int y) -> std::uint32_t {
      std::uint32_t c = colours[pattern(x, y) % shades];
      if (bitCount <= 8) return static_cast<std::uint32_t>(pattern(x, y) % shades);
      if (bitCount == 16) return ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
      return c;  // 24 and 32 (alpha 0 everywhere: the mask decides)
    };
    auto o = imageOf(fixtures::makeDib(spec), 5, 3, bitCount);
    auto pixels = decodeImage(o.image);
    ASSERT_TRUE(pixels.has_value());
    ASSERT_EQ(pixels->width, 5);
    ASSERT_EQ(pixels->height, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(pixels->at(x, y), 0xFF000000u | colours[pattern(x, y) % shades]) << x << "," << y;
      }
    }
  }
}

// BI_BITFIELDS images: the channel masks follow a 40-byte header, or sit inside a larger one
// (where an alpha mask may come too). Two pixels in one row; the AND mask is all clear.
TEST(Render, DecodesBitfieldsImagesByTheirMasks) {
  auto put32 = [](Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  struct Case {
    const char* name;
    int bitCount;
    std::uint32_t headerSize;
    std::uint32_t masks[4];  // red, green, blue, alpha (alpha only in a header of 56 bytes)
    std::uint32_t stored[2];
    std::uint32_t expected[2];
  };
  const Case cases[] = {
      {"16-bit 5-6-5", 16, 40, {0xF800, 0x07E0, 0x001F, 0}, {0xF800, 0x07FF},
       {0xFFFF0000u, 0xFF00FFFFu}},
      {"32-bit with alpha mask", 32, 56, {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF},
       {0x11223380, 0xAABBCCFF}, {0x80332211u, 0xFFCCBBAAu}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b;
    put32(b, c.headerSize);
    put32(b, 2);  // width
    put32(b, 2);  // height, doubled for the mask
    b.push_back(1), b.push_back(0);  // planes
    b.push_back(static_cast<std::uint8_t>(c.bitCount)), b.push_back(0);
    put32(b, 3);  // BI_BITFIELDS
    for (int i = 0; i < 5; ++i) put32(b, 0);  // image size, resolution, colours used, important
    const int maskCount = c.headerSize >= 56 ? 4 : 3;
    for (int i = 0; i < maskCount; ++i) put32(b, c.masks[i]);
    const std::size_t xorStart = b.size();
    for (std::uint32_t v : c.stored) {
      for (int i = 0; i < c.bitCount / 8; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    while ((b.size() - xorStart) % 4) b.push_back(0);
    put32(b, 0);  // AND mask row
    auto o = imageOf(std::move(b), 2, 1, c.bitCount);
    auto pixels = decodeImage(o.image);
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->at(0, 0), c.expected[0]);
    EXPECT_EQ(pixels->at(1, 0), c.expected[1]);
  }
}

// Without alpha of its own the AND mask makes pixels transparent; with alpha the mask is ignored.
TEST(Render, MaskOrAlphaDecidesTransparency) {
  fixtures::DibSpec spec;
  spec.width = spec.height = 4;
  spec.bitCount = 32;
  spec.transparent = [](int x, int) { return x < 2; };
  spec.pixel = [](int, int) { return 0x00336699u; };
  auto masked = imageOf(fixtures::makeDib(spec), 4, 4, 32);
  auto p = decodeImage(masked.image);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->at(0, 1), 0u);
  EXPECT_EQ(p->at(3, 1), 0xFF336699u);

  spec.pixel = [](int x, int) { return x == 3 ? 0x80336699u : 0xFF112233u; };
  auto alpha = imageOf(fixtures::makeDib(spec), 4, 4, 32);
  p = decodeImage(alpha.image);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->at(0, 0), 0xFF112233u);  // masked, but its own alpha says opaque
  EXPECT_EQ(p->at(3, 2), 0x80336699u);

  spec.withMask = false;  // an image stored without its mask is opaque
  spec.pixel = [](int, int) { return 0x00445566u; };
  auto noMask = imageOf(fixtures::makeDib(spec), 4, 4, 32);
  p = decodeImage(noMask.image);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->at(0, 0), 0xFF445566u);
}

TEST(Render, DecodesPng) {
  auto colour = [](int x, int y) -> std::uint32_t { return 0x20000000u * (x % 8) | (y * 10u) << 16 | 0x99; };
  auto o = imageOf(fixtures::makePng(7, 5, colour), 7, 5, 32, true);
  auto p = decodeImage(o.image);
  ASSERT_TRUE(p.has_value());
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(p->at(x, y), colour(x, y));
  }
  o.bytes.resize(o.bytes.size() / 2);
  o.image.data = o.bytes;
  EXPECT_FALSE(decodeImage(o.image).has_value());
}

// Closest size by |dw| + |dh| (a PNG's from its own header), then depth closest to 32, then group
// order.
TEST(Render, ChoosesTheImageBestSuitedToTheSize) {
  Icon icon;
  auto add = [&](int w, int h, int bits) {
    IconImage i;
    i.width = w;
    i.height = h;
    i.bitCount = bits;
    icon.images.push_back(i);
  };
  add(16, 16, 4);    // 0
  add(32, 32, 8);    // 1
  add(32, 32, 32);   // 2
  add(48, 48, 24);   // 3
  add(256, 256, 32); // 4
  add(32, 32, 32);   // 5: same as 2, later
  struct Case {
    int size;
    int expected;
  } cases[] = {{16, 0}, {20, 0}, {32, 2}, {40, 2}, {41, 3}, {48, 3}, {64, 3}, {200, 4}, {256, 4}};
  for (const Case& c : cases) {
    EXPECT_EQ(bestImageFor(icon, c.size, c.size), &icon.images[c.expected]) << c.size;
  }
  EXPECT_EQ(bestImageFor(Icon{}, 32, 32), nullptr);
}

// Area averaging in premultiplied alpha: a transparent pixel adds coverage, not colour.
TEST(Render, ScalesByAreaInPremultipliedAlpha) {
  Pixels two{2, 2, {0xFFFF0000u, 0x000000FFu, 0xFFFF0000u, 0x000000FFu}};
  Pixels one = scaleTo(two, 1, 1);
  EXPECT_EQ(one.at(0, 0), 0x80FF0000u);  // half covered, and pure red where covered

  Pixels checker{4, 4, {}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) checker.argb.push_back((x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
  }
  Pixels grey = scaleTo(checker, 2, 2);
  for (std::uint32_t px : grey.argb) EXPECT_EQ(px, 0xFF808080u);

  Pixels up = scaleTo(Pixels{1, 1, {0xFF123456u}}, 3, 3);
  for (std::uint32_t px : up.argb) EXPECT_EQ(px, 0xFF123456u);
  EXPECT_EQ(scaleTo(checker, 4, 4).argb, checker.argb);
}

// The list's picture: the best image at exactly the asked size; a damaged best image gives way to
// the next one instead of blanking the icon.
TEST(Render, RendersTheBestImageAtExactlyTheSize) {
  fixtures::Image small = fixtures::solidImage(16, 32, 0x0000FF);
  fixtures::Image large = fixtures::solidImage(48, 32, 0x00FF00);
  Icon icon;
  for (fixtures::Image* i : {&small, &large}) {
    IconImage image;
    image.data = i->data;
    image.width = image.height = i->width;
    image.bitCount = 32;
    icon.images.push_back(image);
  }
  auto at48 = renderIcon(icon, 48, 48);
  ASSERT_TRUE(at48.has_value());
  EXPECT_EQ(at48->width, 48);
  EXPECT_EQ(at48->at(10, 10), 0xFF00FF00u);  // the real 48 px image, not the 16 one stretched
  auto at16 = renderIcon(icon, 16, 16);
  ASSERT_TRUE(at16.has_value());
  EXPECT_EQ(at16->at(10, 10), 0xFF0000FFu);

  Bytes cut(large.data.begin(), large.data.begin() + 60);
  icon.images[1].data = cut;
  auto fallback = renderIcon(icon, 48, 48);
  ASSERT_TRUE(fallback.has_value());
  EXPECT_EQ(fallback->at(10, 10), 0xFF0000FFu);
  icon.images[0].data = cut;
  EXPECT_FALSE(renderIcon(icon, 48, 48).has_value());
}
