// What the Windows benchmarks share: a fine clock, a control's text, and the GUI thread's message
// handling while waiting for a condition, as the program's own loop does it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/main_window.h"

namespace bench {

inline double now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

inline std::wstring textOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

inline void pumpUntil(app::MainWindow& window, const std::function<bool()>& done) {
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window.preTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

// The module to work on: the first argument, else the system's shell32.dll.
inline std::wstring moduleArgument(int argc, wchar_t** argv) {
  if (argc > 1) return argv[1];
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\shell32.dll";
}

}  // namespace bench
