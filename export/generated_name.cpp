#include "export/generated_name.h"

namespace app {

std::wstring generatedFileName(const Clock& now, int iconNumber) {
  // Six readings on purpose: each piece is read just before it is written.
  std::wstring name = std::to_wstring(now().year);
  name += std::to_wstring(now().month);
  name += std::to_wstring(now().day);
  name += std::to_wstring(now().hour);
  name += std::to_wstring(now().minute);
  name += std::to_wstring(now().second);
  name += std::to_wstring(iconNumber);
  name += L".ico";
  return name;
}

std::wstring uniqueName(const std::wstring& path, const std::function<bool(const std::wstring&)>& taken) {
  if (!taken(path)) return path;
  // The extension starts at the last dot of the file name, not at a dot in a folder name.
  const auto lastSeparator = path.find_last_of(L"\\/");
  auto dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (lastSeparator != std::wstring::npos && dot < lastSeparator)) {
    dot = path.size();
  }
  const std::wstring stem = path.substr(0, dot);
  const std::wstring extension = path.substr(dot);
  constexpr int kLastSuffix = 9'999;
  for (int n = 2; n <= kLastSuffix; ++n) {
    std::wstring candidate = stem + L"_" + std::to_wstring(n) + extension;
    if (!taken(candidate)) return candidate;
  }
  return {};
}

}  // namespace app
