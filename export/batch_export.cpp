// 按钮4: saving every listed icon into an "icon" folder, named by the clock and the icon number.
#include <windows.h>

#include "app/handlers.h"
#include "app/executable_directory.h"
#include "app/folder_browser.h"
#include "app/message_box.h"
#include "export/generated_name.h"
#include "export/save_icon.h"

namespace app {

namespace {

LocalTime readLocalClock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool pathTaken(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Yes saves beside the program; No lets the user pick the folder. Empty when the user picked none.
std::wstring chooseBaseFolder(Controls& controls) {
  const int answer = showMessage(L"点【是】保存在软件根目录的ICON文件夹内；\r\n\r\n点【否】手动另选文件夹。",
                                 kExclamationYesNo);
  if (answer == IDYES) return executableDirectory();
  return browseForFolder(controls.window(), L"选择您要保存的文件夹...");
}

// Generated names repeat across batches, and an earlier file is never replaced: the first free
// name of "_2", "_3", ... is used. The save itself refuses a taken name, so a file that appears
// between the choice and the save (another batch, another program) is kept too, and the next free
// name is tried.
bool saveUnderFreeName(IconSaver& saver, const std::wstring& source, int number,
                       const std::wstring& generated) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::wstring destination = uniqueName(generated, pathTaken);
    if (destination.empty()) return false;
    const SaveOutcome outcome = saver.save(source, number, destination, false);
    if (outcome != SaveOutcome::NameTaken) return outcome == SaveOutcome::Written;
  }
  return false;
}

}  // namespace

void exportAllIcons(Controls& controls) {
  // The pass count is fixed now: a listing that refills the list meanwhile does not change it.
  const int iconCount = controls.itemCount();
  if (iconCount < 1) {
    showMessage(L"没图标可保存！", kExclamationOk);
    return;
  }
  controls.setStatus(L"正在保存...");
  const std::wstring base = chooseBaseFolder(controls);
  if (base.empty()) {
    controls.setStatus(L"没保存。");
    return;
  }
  // Used as given: a drive root keeps its backslash and the doubled one is read as one.
  const std::wstring iconFolder = base + L"\\icon";
  CreateDirectoryW(iconFolder.c_str(), nullptr);  // an existing folder is simply used

  IconSaver saver;  // the source is parsed once, not once per icon
  int failed = 0;
  for (int number = 1; number <= iconCount; ++number) {
    // Lets the window repaint and its controls work between two saves; a click that closes the
    // window ends the batch here, before anything touches a destroyed control.
    controls.handlePendingEvents();
    if (!controls.alive()) return;
    controls.setStatus(L"保存：" + std::to_wstring(number) + L"个");
    const std::wstring generated = iconFolder + L"\\" + generatedFileName(readLocalClock, number);
    const std::wstring source = controls.sourcePath();
    if (!saveUnderFreeName(saver, source, number, generated)) ++failed;
  }
  controls.setStatus(failed == 0 ? std::wstring(L"保存完毕！") : L"失败：" + std::to_wstring(failed) + L"个");
}

}  // namespace app
