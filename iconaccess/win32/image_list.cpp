#include "image_list.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

namespace iconaccess::win32 {
namespace {

struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using BitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

}  // namespace

ImageListPtr createImageList(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  return ImageListPtr(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 1));
}

// The pictures go in as one horizontal strip: one 32-bit top-down DIB holding them side by side
// and one monochrome mask. A single ImageList_Add of a strip costs about as much as adding one
// icon, where ImageList_AddIcon per picture costs milliseconds each under Wine.
//
// The image list takes straight (not premultiplied) alpha, the same as an icon's own pixels: it
// blends with the alpha itself when drawing. The mask marks the fully transparent pixels, so that
// a blank picture, whose alpha is zero everywhere, draws as nothing rather than as black.
namespace {

int appendStrip(HIMAGELIST list, int width, int height,
                std::span<const std::optional<Pixels>> pictures) {
  const int count = static_cast<int>(pictures.size());
  const int stripWidth = width * count;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = stripWidth;
  info.bmiHeader.biHeight = -height;  // top-down, like Pixels
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapPtr colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour || !bits) return -1;
  auto* strip = static_cast<std::uint32_t*>(bits);
  std::memset(strip, 0, static_cast<std::size_t>(stripWidth) * height * 4);

  // CreateBitmap wants each mask row padded to a multiple of 16 bits.
  const int maskStride = ((stripWidth + 15) / 16) * 2;
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride) * height, 0xFF);

  for (int k = 0; k < count; ++k) {
    const std::optional<Pixels>& picture = pictures[k];
    if (!picture || picture->width != width || picture->height != height ||
        picture->argb.size() != static_cast<std::size_t>(width) * height)
      continue;  // stays blank and masked out
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = strip + static_cast<std::size_t>(y) * stripWidth + k * width;
      std::memcpy(row, &picture->argb[static_cast<std::size_t>(y) * width],
                  static_cast<std::size_t>(width) * 4);
      for (int x = 0; x < width; ++x) {
        if ((row[x] >> 24) == 0) continue;
        const int column = k * width + x;
        mask[static_cast<std::size_t>(y) * maskStride + column / 8] &=
            static_cast<std::uint8_t>(~(0x80 >> (column % 8)));
      }
    }
  }

  BitmapPtr maskBitmap(CreateBitmap(stripWidth, height, 1, 1, mask.data()));
  if (!maskBitmap) return -1;
  return ImageList_Add(list, colour.get(), maskBitmap.get());
}

// A file may claim tens of thousands of icons; one strip for all of them would be a bitmap of
// hundreds of megabytes that the system refuses. Strips of this many pictures stay small (a few
// megabytes at 48 px) and still cost one call per few hundred icons.
constexpr std::size_t kPicturesPerStrip = 256;

}  // namespace

int appendPictures(HIMAGELIST list, std::span<const std::optional<Pixels>> pictures) {
  int width = 0, height = 0;
  if (!list || pictures.empty() || !ImageList_GetIconSize(list, &width, &height)) return -1;
  int first = -1;
  for (std::size_t at = 0; at < pictures.size(); at += kPicturesPerStrip) {
    const auto strip = pictures.subspan(at, std::min(kPicturesPerStrip, pictures.size() - at));
    const int index = appendStrip(list, width, height, strip);
    // A strip the system refuses would shift every later picture: stop, so that the pictures
    // added so far keep their places and the rest show none.
    if (index < 0) break;
    if (first < 0) first = index;
  }
  return first;
}

}  // namespace iconaccess::win32
