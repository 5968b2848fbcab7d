#include "module_path.h"

namespace app {

std::wstring directoryOfModule(std::wstring_view modulePath) {
  const auto slash = modulePath.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return std::wstring(modulePath.substr(0, slash));
}

}  // namespace app
