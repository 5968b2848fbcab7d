#include "export/save_icon.h"

#include <filesystem>
#include <system_error>

#include "iconaccess/save.h"

namespace app {

bool saveIconFile(const std::wstring& sourcePath, int number, const std::wstring& destination) {
  // An empty source path names no file at all.
  if (sourcePath.empty()) return false;
  try {
    return iconaccess::saveIcon(std::filesystem::path(sourcePath), number,
                                std::filesystem::path(destination)) == iconaccess::SaveResult::Written;
  } catch (const std::exception&) {
    // Nothing may escape into the window procedure that called the export.
    return false;
  }
}

}  // namespace app
