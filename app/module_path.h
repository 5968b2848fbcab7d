// The folder part of a module's full path. Free of Windows headers so it is tested natively.
#pragma once

#include <string>
#include <string_view>

namespace app {

// Everything before the last backslash: "C:\Tools\x.exe" gives "C:\Tools", and a program in the
// root of a drive gets the drive letter and colon alone ("C:"). A path without a backslash has no
// folder part and gives the empty text.
std::wstring directoryOfModule(std::wstring_view modulePath);

}  // namespace app
