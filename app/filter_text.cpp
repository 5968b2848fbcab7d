#include "filter_text.h"

namespace app {

namespace {

// The blanks that a trailing run may hold: those of the C locale's isspace.
bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

std::wstring fileTypeList(std::wstring_view filter) {
  std::wstring list(filter);
  while (!list.empty() && isBlank(list.back())) list.pop_back();
  if (list.empty()) return list;
  if (!list.ends_with(L"||")) list += L"||";
  // UTF-16 has no second byte that could pass for a bar, so every '|' is a real separator.
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  return list;
}

bool hasFileTypes(std::wstring_view list) { return !list.empty() && list.front() != L'\0'; }

}  // namespace app
