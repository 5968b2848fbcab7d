#include "walk.h"

// One image, DIB or PNG, as an icon holds it: described, decoded and scaled to the list sizes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The same header reading the sources use decides whether the image is an image at all.
  std::vector<std::uint8_t> ico;
  ico.insert(ico.end(), {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0});
  const std::uint32_t n = static_cast<std::uint32_t>(size);
  ico.insert(ico.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                         static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24),
                         22, 0, 0, 0});
  ico.insert(ico.end(), data, data + size);
  iconaccess::IconSource file = iconaccess::IconSource::fromMemory(ico);
  for (const iconaccess::IconImage& found : file.icon(0).images) {
    auto pixels = iconaccess::decodeImage(found);
    if (pixels && (pixels->width != found.width || pixels->height != found.height)) std::abort();
    for (int side : {16, 32, 48}) {
      auto picture = iconaccess::renderIcon(file.icon(0), side, side);
      if (picture && picture->argb.size() != static_cast<std::size_t>(side * side)) std::abort();
    }
  }
  return 0;
}
