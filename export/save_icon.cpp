#include "export/save_icon.h"

#include <filesystem>
#include <system_error>

#include "iconaccess/save.h"

namespace app {

namespace {

SaveOutcome outcomeOf(iconaccess::SaveResult result) {
  switch (result) {
    case iconaccess::SaveResult::Written: return SaveOutcome::Written;
    case iconaccess::SaveResult::DestinationExists: return SaveOutcome::NameTaken;
    default: return SaveOutcome::Failed;
  }
}

iconaccess::ExistingFile existingFile(bool replaceExisting) {
  return replaceExisting ? iconaccess::ExistingFile::Replace : iconaccess::ExistingFile::Keep;
}

}  // namespace

SaveOutcome saveIconFile(const std::wstring& sourcePath, int number, const std::wstring& destination,
                         bool replaceExisting) {
  return IconSaver().save(sourcePath, number, destination, replaceExisting);
}

SaveOutcome IconSaver::save(const std::wstring& sourcePath, int number,
                            const std::wstring& destination, bool replaceExisting) {
  // An empty source path names no file at all.
  if (sourcePath.empty()) return SaveOutcome::Failed;
  try {
    if (sourcePath != path_ || source_.resolvedPath().empty()) {
      source_ = iconaccess::IconSource::open(std::filesystem::path(sourcePath));
      path_ = sourcePath;
    }
    return outcomeOf(iconaccess::saveIcon(source_, number, std::filesystem::path(destination),
                                          existingFile(replaceExisting)));
  } catch (const std::exception&) {
    // Nothing may escape into the window procedure that called the export.
    return SaveOutcome::Failed;
  }
}

}  // namespace app
