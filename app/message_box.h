// The program's message box: no caption of its own, so every box shows "信息："; always task-modal,
// so the calling thread's windows take no input until it is closed. A box shown from the loader's
// thread has no owner and leaves the main window usable.
#pragma once

#include <windows.h>

#include <string>

namespace app {

inline constexpr UINT kExclamationOk = 48;     // MB_ICONEXCLAMATION | MB_OK
inline constexpr UINT kExclamationYesNo = 52;  // MB_ICONEXCLAMATION | MB_YESNO

// Returns the pressed button as the system reports it (IDOK 1, IDYES 6, IDNO 7).
int showMessage(const std::wstring& text, UINT flags);

}  // namespace app
