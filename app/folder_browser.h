// The system's folder browser, rooted at the desktop, with an edit box for typing a folder.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// Shows the browser modal to owner with the title above its tree. The file-system path of the
// chosen folder (a drive root keeps its backslash, "D:\"), or the empty text on Cancel and for an
// item with no file-system path (the computer, the control panel). Not limited to MAX_PATH.
std::wstring browseForFolder(HWND owner, const std::wstring& title);

}  // namespace app
