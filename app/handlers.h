// The handlers bound to the main window's controls. Each runs on the GUI thread and reads and
// writes the window only through its control operations.
#pragma once

#include "controls.h"
#include "file_dialog.h"

namespace app {

// 按钮1 and 组合框1: start the icon list loader on a new thread and return at once.
void startIconListLoad(Controls& controls);
// 按钮2: choose the source file in the open dialog.
void selectSourceFile(Controls& controls, FileDialog& dialog);
// 按钮3: save the selected icon under a name chosen in the save dialog.
void exportSelectedIcon(Controls& controls, FileDialog& dialog);
// 按钮4: save every listed icon into an "icon" folder.
void exportAllIcons(Controls& controls);

}  // namespace app
