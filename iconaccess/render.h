// Turning an icon image into pixels at a chosen size, and choosing the image that suits a size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "icon_source.h"

namespace iconaccess {

// 32-bit pixels, top row first, each 0xAARRGGBB with straight (not premultiplied) alpha; in memory
// on a little-endian machine that is B, G, R, A, the layout of a 32-bit top-down DIB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// The image of the icon best suited to a picture of width x height: the closest size by
// |dw| + |dh|, then the bit depth closest to 32, then the first in group order. Null when the
// icon has no images.
const IconImage* bestImageFor(const Icon& icon, int width, int height);

// Decodes an image at its own size: DIBs of 1, 4, 8, 16, 24 and 32 bits (the AND mask becomes
// transparency where the image carries no alpha of its own), PNG through decodePng.
std::optional<Pixels> decodeImage(const IconImage& image);

// Scales with an area-averaging filter in premultiplied alpha, so that transparent pixels do not
// bleed their colour into the edges.
Pixels scaleTo(const Pixels& source, int width, int height);

// The best image of the icon, decoded and scaled to exactly width x height. Unset when the icon has
// no image that decodes.
std::optional<Pixels> renderIcon(const Icon& icon, int width, int height);

// Decodes a whole PNG file to pixels (libpng natively, the Windows Imaging Component on Windows).
std::optional<Pixels> decodePng(std::span<const std::uint8_t> png);

// Largest width or height accepted from an image header; icons are at most 256 px in practice.
inline constexpr int kMaxImageSide = 4096;

}  // namespace iconaccess
