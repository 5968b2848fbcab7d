// 按钮2: choosing the source file in the open dialog instead of typing its path.
#include "handlers.h"

namespace app {

void selectSourceFile(Controls& controls, FileDialog& dialog) {
  // Only the kind and the filter are set here; every other setting, the name offered included,
  // is whatever the last use of the dialog left, so the single export's choices carry over.
  dialog.settings.kind = 0;
  dialog.settings.filter = L"所有文件(*.*)|*.*";
  if (!dialog.show(controls.window())) return;
  // Choosing a file lists nothing: the list and the status stay as they are.
  controls.setSourcePath(dialog.settings.fileName);
}

}  // namespace app
