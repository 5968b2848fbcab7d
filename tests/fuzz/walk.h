// What every fuzz target does with a source once parsed: everything the program would do.
#pragma once

#include <cstdlib>

#include "iconaccess/icon_source.h"
#include "iconaccess/render.h"
#include "iconaccess/save.h"

inline void walkSource(const iconaccess::IconSource& source) {
  for (int k = 0; k < source.count() && k < 64; ++k) {
    iconaccess::Icon icon = source.icon(k);
    for (const iconaccess::IconImage& image : icon.images) {
      if (image.width <= 0 || image.height <= 0 || image.data.empty()) std::abort();
    }
    (void)iconaccess::renderIcon(icon, 16, 16);
  }
}

// Puts the given bytes at the given offset of a copy of the input, so that a target reaches the
// reader it is meant for instead of spending its time finding the magic numbers.
inline std::vector<std::uint8_t> withMagic(const std::uint8_t* data, std::size_t size,
                                           std::size_t at, std::initializer_list<std::uint8_t> magic) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() < at + magic.size()) bytes.resize(at + magic.size());
  std::size_t i = at;
  for (std::uint8_t b : magic) bytes[i++] = b;
  return bytes;
}
