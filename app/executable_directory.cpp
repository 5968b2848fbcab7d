#include "executable_directory.h"

#include <windows.h>

#include "module_path.h"

namespace app {

std::wstring executableDirectory() {
  // GetModuleFileNameW truncates silently when the buffer is short, so grow until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  return directoryOfModule(path);
}

}  // namespace app
