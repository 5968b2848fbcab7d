#include "file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "filter_text.h"

namespace app {

namespace {

// Room for the longest path the system allows, not the 260 of the classic dialogs: a name chosen in
// a deep folder must not make the dialog fail.
constexpr DWORD kNameBufferLength = 32768;

const wchar_t* unlessEmpty(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

bool FileDialog::show(HWND owner) {
  if (settings.kind != 0 && settings.kind != 1) return false;

  std::vector<wchar_t> name(kNameBufferLength, L'\0');
  settings.fileName.copy(name.data(), name.size() - 1);

  const std::wstring fileTypes = fileTypeList(settings.filter);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  if (hasFileTypes(fileTypes)) {
    ofn.lpstrFilter = fileTypes.c_str();
    // The dialog counts its entries from 1.
    ofn.nFilterIndex = static_cast<DWORD>(settings.initialFilterIndex < 0 ? 0 : settings.initialFilterIndex) + 1;
  }
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = kNameBufferLength;
  ofn.lpstrInitialDir = unlessEmpty(settings.initialDirectory);
  ofn.lpstrTitle = unlessEmpty(settings.title);
  ofn.lpstrDefExt = unlessEmpty(settings.defaultExtension);
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (settings.createPrompt) ofn.Flags |= OFN_CREATEPROMPT;
  if (settings.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  if (settings.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (settings.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
  if (settings.keepCurrentDirectory) ofn.Flags |= OFN_NOCHANGEDIR;

  const BOOL confirmed = settings.kind == 0 ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!confirmed) return false;
  settings.fileName.assign(name.data());
  return true;
}

}  // namespace app
