// Pictures handed to an image list in bulk: every picture at its own index, also past the size of
// one strip, blanks where a picture is missing.

#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "iconaccess/win32/image_list.h"

namespace {

using iconaccess::Pixels;

Pixels solid(int side, std::uint32_t argb) {
  return Pixels{side, side, std::vector<std::uint32_t>(static_cast<std::size_t>(side) * side, argb)};
}

// The colour stored for picture `index` at (x, y), read back from the list's own bitmap.
std::uint32_t storedPixel(HIMAGELIST list, int index, int x, int y) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(list, index, &info)) return 0xDEADBEEF;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, info.hbmImage, 0, 0, nullptr, &bi, DIB_RGB_COLORS);
  const int width = bi.bmiHeader.biWidth, height = std::abs(bi.bmiHeader.biHeight);
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biHeight = -height;
  std::vector<std::uint32_t> bits(static_cast<std::size_t>(width) * height);
  GetDIBits(dc, info.hbmImage, 0, height, bits.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return bits[static_cast<std::size_t>(info.rcImage.top + y) * width + info.rcImage.left + x];
}

}  // namespace

TEST(ImageList, ManyPicturesKeepTheirPlacesAcrossStrips) {
  auto list = iconaccess::win32::createImageList(16, 16);
  ASSERT_TRUE(list);
  std::vector<std::optional<Pixels>> pictures;
  for (int k = 0; k < 600; ++k) {
    if (k == 300) {
      pictures.push_back(std::nullopt);  // a picture that could not be made
    } else {
      pictures.push_back(solid(16, 0xFF000000u | static_cast<std::uint32_t>(k * 111)));
    }
  }
  pictures.push_back(solid(32, 0xFFFFFFFFu));  // the wrong size: a blank too
  EXPECT_EQ(iconaccess::win32::appendPictures(list.get(), pictures), 0);
  ASSERT_EQ(ImageList_GetImageCount(list.get()), 601);
  for (int k : {0, 255, 256, 299, 301, 511, 512, 599}) {
    EXPECT_EQ(storedPixel(list.get(), k, 7, 9) & 0xFFFFFF, static_cast<std::uint32_t>(k * 111) & 0xFFFFFF)
        << "picture " << k;
  }
  EXPECT_EQ(storedPixel(list.get(), 300, 7, 9) >> 24, 0u);
  EXPECT_EQ(storedPixel(list.get(), 600, 7, 9) >> 24, 0u);
  EXPECT_EQ(iconaccess::win32::appendPictures(nullptr, pictures), -1);
  EXPECT_EQ(iconaccess::win32::appendPictures(list.get(), {}), -1);
}
