// Where the running program lives: the exports save beside it and start their dialogs there.
#pragma once

#include <string>

namespace app {

// The folder of the running executable without a trailing backslash ("C:" for a program in the
// root of a drive). Not limited to MAX_PATH.
std::wstring executableDirectory();

}  // namespace app
