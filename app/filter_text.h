// The file dialog's filter text ("description|pattern|...") turned into the list of file types that
// the system dialog reads. Kept free of Windows headers so it is tested natively.
#pragma once

#include <string>
#include <string_view>

namespace app {

// Each "|" of the filter ends one item, and the items become NUL-terminated strings one after the
// other; the list closes with an empty item. Trailing white space is dropped first, and "||" is
// appended unless the text already ends so, so a filter written without its closing bars still
// forms a closed list. An empty (or all-blank) filter gives an empty result: no list at all.
// The result holds embedded NULs; hand its data() to the dialog.
std::wstring fileTypeList(std::wstring_view filter);

// True when the list holds at least one entry: a list that starts with its empty closing item
// offers nothing to select.
bool hasFileTypes(std::wstring_view list);

}  // namespace app
