#include "export/save_icon.h"

#include <filesystem>
#include <system_error>

#include "iconaccess/save.h"

namespace app {

SaveOutcome saveIconFile(const std::wstring& sourcePath, int number, const std::wstring& destination,
                         bool replaceExisting) {
  // An empty source path names no file at all.
  if (sourcePath.empty()) return SaveOutcome::Failed;
  try {
    const auto existing =
        replaceExisting ? iconaccess::ExistingFile::Replace : iconaccess::ExistingFile::Keep;
    switch (iconaccess::saveIcon(std::filesystem::path(sourcePath), number,
                                 std::filesystem::path(destination), {}, existing)) {
      case iconaccess::SaveResult::Written: return SaveOutcome::Written;
      case iconaccess::SaveResult::DestinationExists: return SaveOutcome::NameTaken;
      default: return SaveOutcome::Failed;
    }
  } catch (const std::exception&) {
    // Nothing may escape into the window procedure that called the export.
    return SaveOutcome::Failed;
  }
}

}  // namespace app
