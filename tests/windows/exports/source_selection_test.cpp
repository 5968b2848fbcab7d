// 按钮2 with the real open dialog, answered as a user would.
#include <windows.h>

#include "tests/support/fixtures.h"
#include "tests/windows/exports/harness.h"
#include "tests/windows/exports/user.h"

namespace exports_test {
namespace {

using app::ControlId;

class SourceSelection : public WindowTest {};

TEST_F(SourceSelection, ConfirmingWritesThePathCancellingKeepsItAndTheNextDialogOffersIt) {
  const fs::path picked = scratch() / L"挑选的.dll";
  fixtures::writeFile(picked, fixtures::makePe(fixtures::simpleModule(2, {{16, 32}})));
  fillList(3);
  window().setStatus(L"共3个");
  const std::wstring startPath = sourceText();

  // First click: nothing offered, the one file type, and the chosen file's full path comes back.
  std::wstring offered = L"?", fileType;
  clickAnswering(ControlId::按钮2, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    offered = user::offeredPath(dialog);
    fileType = user::fileTypeShown(dialog);
    user::typeFileName(dialog, picked.wstring());
    user::press(dialog, IDOK);
    user::waitUntilGone(dialog);
  });
  EXPECT_EQ(offered, L"") << "the edit box's path " << startPath.size() << " is never offered";
  EXPECT_EQ(fileType, L"所有文件(*.*)");
  EXPECT_EQ(sourceText(), picked.wstring());
  EXPECT_EQ(itemCount(), 3) << "choosing a file lists nothing";
  EXPECT_EQ(status(), L"共3个");

  // Second click: the first choice is offered; typing another name and cancelling changes nothing.
  clickAnswering(ControlId::按钮2, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    offered = user::offeredPath(dialog);
    user::typeFileName(dialog, (scratch() / L"另一个.dll").wstring());
    user::press(dialog, IDCANCEL);
    user::waitUntilGone(dialog);
  });
  EXPECT_EQ(offered, picked.wstring());
  EXPECT_EQ(sourceText(), picked.wstring());
  EXPECT_EQ(dialogSettings().fileName, picked.wstring());
}

TEST_F(SourceSelection, AMissingFileIsRefusedByTheDialogAndNothingChanges) {
  const std::wstring startPath = sourceText();
  bool stayedOpen = false;
  std::wstring warningOwnerTitle;
  clickAnswering(ControlId::按钮2, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    user::typeFileName(dialog, (scratch() / L"不存在.dll").wstring());
    user::press(dialog, IDOK);
    // The system warns in a box of its own, owned by the dialog, and keeps the dialog open.
    HWND warning = user::waitForDialogOwnedBy(guiThread(), dialog);
    if (warning) {
      user::press(warning, IDOK);
      user::waitUntilGone(warning);
    }
    stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    user::press(dialog, IDCANCEL);
    user::waitUntilGone(dialog);
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(sourceText(), startPath);
  EXPECT_EQ(dialogSettings().fileName, L"");
}

}  // namespace
}  // namespace exports_test
