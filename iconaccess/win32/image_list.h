// The Win32 half of icon access: image lists of the list's picture size, filled from pictures that
// the core renders at exactly that size.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <span>
#include <type_traits>

#include "iconaccess/render.h"

namespace iconaccess::win32 {

struct ImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using ImageListPtr = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// A new, empty image list of width x height pictures, 32-bit colour with a mask, growing one
// picture at a time. Null when it cannot be created.
ImageListPtr createImageList(int width, int height);

// Appends the pictures in one call, in order: the icon append of this program, done for all the
// icons of a file at once, each icon's best image already rendered at the list's size. Each must
// be exactly the list's size; an unset or mis-sized one becomes a blank (fully transparent)
// picture, so that picture k stays at index first + k. Returns the index of the first new
// picture, or -1 when nothing could be appended (no list, nothing to add, or the system refused).
int appendPictures(HIMAGELIST list, std::span<const std::optional<Pixels>> pictures);

}  // namespace iconaccess::win32
