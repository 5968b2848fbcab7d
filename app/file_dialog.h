// 通用对话框1: the main window's file dialog component. It has no window of its own; it holds a
// set of settings that live as long as the main window and are never reset, and shows the system
// open or save dialog built from them. The source file selection and the single export share it,
// so each finds the settings the other left behind.
#pragma once

#include <windows.h>

#include <string>

namespace app {

struct FileDialogSettings {
  int kind = 0;                  // 0 open, 1 save
  std::wstring title;            // empty: the system's caption for the kind
  std::wstring fileName;         // offered in the name field; the chosen full path after OK
  std::wstring filter;           // "description|pattern|..." pairs
  int initialFilterIndex = 0;    // 0-based entry selected at opening
  std::wstring initialDirectory;
  std::wstring defaultExtension;
  bool createPrompt = false;     // OFN_CREATEPROMPT
  bool fileMustExist = true;     // OFN_FILEMUSTEXIST
  bool overwritePrompt = true;   // OFN_OVERWRITEPROMPT
  bool pathMustExist = true;     // OFN_PATHMUSTEXIST
  bool keepCurrentDirectory = false;  // OFN_NOCHANGEDIR
};

class FileDialog {
 public:
  FileDialogSettings settings;

  // Shows the open (kind 0) or save (kind 1) dialog, modal to owner. True when the user confirmed
  // a file; settings.fileName then holds its full path. False on Cancel or failure, with the
  // settings unchanged.
  bool show(HWND owner);
};

}  // namespace app
