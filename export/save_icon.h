// The exports' one way to the icon-access core: a source path as the window holds it, saved under
// a destination, with the answer whether a file was written.
#pragma once

#include <string>

namespace app {

// Writes icon `number` (1-based; below 1 counts as 1) of the source to the destination: an icon
// file with all its images, or a bitmap of the first image for a name ending in "bmp". True when
// the file was written; false leaves nothing behind and an existing destination intact.
bool saveIconFile(const std::wstring& sourcePath, int number, const std::wstring& destination);

}  // namespace app
