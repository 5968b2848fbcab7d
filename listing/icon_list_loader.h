// The icon list loader: fills 超级列表框1 with the icons of the file named in 编辑框1, at the size
// chosen in 组合框1, on a thread of its own. startIconListLoad (app/handlers.h) starts it.
#pragma once

namespace listing {

// Loader threads that have not returned yet, superseded ones included. The main window waits for
// none of them; only an owner that is about to free the window object needs to know.
int runningIconListLoads();

}  // namespace listing
