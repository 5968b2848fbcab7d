#include "walk.h"

// Whatever the source, what a save writes must read back as the same icon: an icon file with the
// same images, byte for byte, and a bitmap that starts as one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  iconaccess::IconSource source = iconaccess::IconSource::fromMemory({data, size});
  for (int k = 0; k < source.count() && k < 16; ++k) {
    iconaccess::Icon icon = source.icon(k);
    std::vector<std::uint8_t> ico = iconaccess::iconFileBytes(icon);
    if (icon.images.empty()) {
      if (!ico.empty()) std::abort();
      continue;
    }
    iconaccess::IconSource back = iconaccess::IconSource::fromMemory(ico);
    iconaccess::Icon again = back.icon(0);
    if (back.count() != 1 || again.images.size() != icon.images.size()) std::abort();
    for (std::size_t i = 0; i < icon.images.size(); ++i) {
      const auto& a = icon.images[i].data;
      const auto& b = again.images[i].data;
      if (a.size() != b.size() || !std::equal(a.begin(), a.end(), b.begin())) std::abort();
    }
    if (auto bmp = iconaccess::bitmapFileBytes(icon.images.front())) {
      if (bmp->size() < 54 || (*bmp)[0] != 'B' || (*bmp)[1] != 'M') std::abort();
    }
  }
  return 0;
}
