// Icon files, and the headers of the images that icons hold.

#include "byte_reader.h"
#include "formats.h"
#include "render.h"

namespace iconaccess {

// ICONDIR: +0 reserved u16 (0), +2 type u16 (1 icon, 2 cursor), +4 count u16.
bool looksLikeIconFile(std::span<const std::uint8_t> bytes) {
  ByteReader file(bytes);
  auto reserved = file.u16(0);
  auto type = file.u16(2);
  auto count = file.u16(4);
  return reserved && type && count && *reserved == 0 && *type == 1 && *count > 0;
}

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool isPng(std::span<const std::uint8_t> data) {
  if (data.size() < 8) return false;
  for (int i = 0; i < 8; ++i) {
    if (data[i] != kPngSignature[i]) return false;
  }
  return true;
}

}  // namespace

// PNG: the signature, then the IHDR chunk: +8 length u32be, +12 "IHDR", +16 width u32be,
//   +20 height u32be, +24 bit depth u8, +25 colour type u8.
// DIB: BITMAPINFOHEADER: +0 biSize u32 (40 or more), +4 biWidth i32, +8 biHeight i32 (colour and
//   mask together, so twice the icon's height), +12 biPlanes u16, +14 biBitCount u16,
//   +16 biCompression u32.
bool describeImage(std::span<const std::uint8_t> data, IconImage& image) {
  ByteReader r(data);
  if (isPng(data)) {
    auto width = r.u32be(16);
    auto height = r.u32be(20);
    auto depth = r.u8(24);
    auto colourType = r.u8(25);
    if (!width || !height || !depth || !colourType) return false;
    if (*width == 0 || *height == 0 || *width > kMaxImageSide || *height > kMaxImageSide) {
      return false;
    }
    image.png = true;
    image.width = static_cast<int>(*width);
    image.height = static_cast<int>(*height);
    // Channels per colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA.
    int channels = *colourType == 2 ? 3 : *colourType == 4 ? 2 : *colourType == 6 ? 4 : 1;
    image.bitCount = *depth * channels;
    return true;
  }
  auto headerSize = r.u32(0);
  auto width = r.u32(4);
  auto height = r.u32(8);
  auto bitCount = r.u16(14);
  if (!headerSize || !width || !height || !bitCount || *headerSize < 40) return false;
  auto w = static_cast<std::int32_t>(*width);
  auto h = static_cast<std::int32_t>(*height);
  // Icon DIBs are bottom-up; a negative or odd total height is not an icon image.
  if (w <= 0 || h <= 0 || h % 2 != 0 || w > kMaxImageSide || h / 2 > kMaxImageSide) return false;
  switch (*bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  image.png = false;
  image.width = w;
  image.height = h / 2;
  image.bitCount = *bitCount;
  return true;
}

}  // namespace iconaccess
