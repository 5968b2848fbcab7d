// 按钮3: saving the selected icon under a name chosen in the save dialog.
#include "app/handlers.h"
#include "app/executable_directory.h"
#include "app/message_box.h"
#include "export/save_icon.h"

namespace app {

void exportSelectedIcon(Controls& controls, FileDialog& dialog) {
  if (controls.selectedItem() < 0) {
    showMessage(L"您没有选中图标！", kExclamationOk);
    return;
  }
  // These settings stay in the component after the click, so the open dialog of the source
  // selection inherits them (the default extension, the executable's folder) for the rest of the run.
  dialog.settings.kind = 1;
  dialog.settings.filter = L"图标(*.ico)|*.ico";
  dialog.settings.defaultExtension = dialog.settings.filter;
  dialog.settings.initialDirectory = executableDirectory();
  if (!dialog.show(controls.window())) return;

  // The list may have been emptied or refilled by a listing while the dialog was open: only the
  // selection as it is now names the icon, and with none there is nothing sound to save.
  const int selection = controls.selectedItem();
  if (selection < 0) {
    showMessage(L"您没有选中图标！", kExclamationOk);
    return;
  }
  const std::wstring source = controls.sourcePath();
  const std::wstring& destination = dialog.settings.fileName;
  // The dialog has asked whether to replace an existing file.
  if (saveIconFile(source, selection + 1, destination, true) != SaveOutcome::Written) {
    showMessage(L"保存失败！", kExclamationOk);
  }
}

}  // namespace app
