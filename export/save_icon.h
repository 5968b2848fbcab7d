// The exports' one way to the icon-access core: a source path as the window holds it, saved under
// a destination, with the answer whether a file was written.
#pragma once

#include <string>

#include "iconaccess/icon_source.h"

namespace app {

enum class SaveOutcome { Written, NameTaken, Failed };

// Writes icon `number` (1-based; below 1 counts as 1) of the source to the destination: an icon
// file with all its images, or a bitmap of the first image for a name ending in "bmp". Nothing
// partial is ever left behind. With replaceExisting false, a destination that exists (even one
// that appeared a moment ago) is left as it is and the outcome is NameTaken.
SaveOutcome saveIconFile(const std::wstring& sourcePath, int number, const std::wstring& destination,
                         bool replaceExisting);

// The same saves for a run of many: the source is parsed once and kept while the path stays the
// same, and parsed anew when it changes, so a batch costs one parse rather than one per icon.
class IconSaver {
 public:
  SaveOutcome save(const std::wstring& sourcePath, int number, const std::wstring& destination,
                   bool replaceExisting);

 private:
  std::wstring path_;
  iconaccess::IconSource source_;
};

}  // namespace app
