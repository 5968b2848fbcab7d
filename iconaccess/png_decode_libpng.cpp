// PNG decoding for native builds, through libpng's simplified API.

#include <png.h>

#include <cstring>

#include "render.h"

namespace iconaccess {

std::optional<Pixels> decodePng(std::span<const std::uint8_t> png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return std::nullopt;
  if (image.width == 0 || image.height == 0 || image.width > kMaxImageSide ||
      image.height > kMaxImageSide) {
    png_image_free(&image);
    return std::nullopt;
  }
  // BGRA bytes are 0xAARRGGBB words on a little-endian machine, the layout Pixels uses.
  image.format = PNG_FORMAT_BGRA;
  Pixels out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.argb.resize(static_cast<std::size_t>(out.width) * out.height);
  if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

}  // namespace iconaccess
