// The program's entry: start-up, the main window, the message loop.
#include <windows.h>

#include "executable_directory.h"
#include "main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // Relative paths and the dialogs' first folder start beside the executable. A drive root
  // ("C:") needs its backslash to name the root rather than that drive's current folder.
  std::wstring directory = app::executableDirectory();
  if (directory.size() == 2 && directory[1] == L':') directory += L'\\';
  SetCurrentDirectoryW(directory.c_str());

  // Never freed: a loader thread may still hold the window object when the process ends, and the
  // process ends without waiting for it. Once the window is destroyed the object only answers
  // "gone" to such a thread.
  auto* window = new app::MainWindow;
  if (!window->create(instance)) return 1;
  window->show(showCommand);
  return window->runMessageLoop();
}
