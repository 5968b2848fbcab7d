// 按钮3 with the real save dialog and message boxes, answered as a user would.
#include <windows.h>
#include <commctrl.h>

#include "iconaccess/icon_source.h"
#include "tests/support/fixtures.h"
#include "tests/windows/exports/harness.h"
#include "tests/windows/exports/user.h"

namespace exports_test {
namespace {

using app::ControlId;

class SingleExport : public WindowTest {
 protected:
  // A module of four icons, each of two images in a colour of its own, named by the edit box.
  fs::path useFixtureSource() {
    const fs::path source = scratch() / L"四个图标.dll";
    fixtures::writeFile(source, fixtures::makePe(fixtures::simpleModule(4, {{16, 32}, {32, 8}})));
    setSourceText(source.wstring());
    fillList(4);
    return source;
  }

  // Clicks 按钮3, types `name` into the save dialog and confirms it; then answers the message
  // box that follows, if one does. Returns that box's text.
  std::wstring exportAs(const std::wstring& name) {
    std::wstring message = L"(no dialog)";
    clickAnswering(ControlId::按钮3, [&] {
      HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
      if (!dialog) return;
      user::typeFileName(dialog, name);
      user::press(dialog, IDOK);
      user::waitUntilGone(dialog);
      message = answerMessageBoxIfAny(guiThread(), [this] { return handlerReturned(); });
    });
    return message;
  }
};

TEST_F(SingleExport, WithNothingSelectedShowsTheMessageAndNoDialog) {
  for (const int items : {0, 3}) {
    SCOPED_TRACE(items);
    fillList(items);
    std::wstring message;
    bool dialogSeen = false;
    clickAnswering(ControlId::按钮3, [&] {
      HWND box = user::waitForMessageBox(guiThread());
      if (!box) return;
      dialogSeen = user::findDialog(guiThread(), [&](HWND w) {
                     return GetWindow(w, GW_OWNER) == window().window();
                   }) != nullptr;
      message = user::messageText(box);
      user::press(box, IDOK);
      user::waitUntilGone(box);
    });
    EXPECT_EQ(message, L"您没有选中图标！");
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(dialogSettings().kind, 0) << "no setting is written";
    EXPECT_EQ(dialogSettings().filter, L"");
  }
}

TEST_F(SingleExport, SavesItemFiveUnderATypedNameBesideTheExecutableAndTheOpenDialogFollows) {
  // The real listing of Wine's shell32.dll, as the user starts it.
  const std::wstring shell32 = sourceText();
  const int count = iconaccess::countIcons(fs::path(shell32));
  ASSERT_GE(count, 5);
  click(ControlId::按钮1);
  const std::wstring listed = L"共" + std::to_wstring(count) + L"个";
  ASSERT_TRUE(user::waitUntil([&] {
    window().handlePendingEvents();
    return status() == listed && itemCount() == count;
  }));
  selectItem(4);

  const fs::path saved = besideExecutable(L"第五个图标.ico");
  std::wstring folder, offered = L"?";
  clickAnswering(ControlId::按钮3, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    folder = user::folderShown(dialog);
    offered = user::offeredPath(dialog);
    user::typeFileName(dialog, L"第五个图标");
    user::press(dialog, IDOK);
    user::waitUntilGone(dialog);
  });
  EXPECT_EQ(fs::path(folder), exeFolder());
  EXPECT_EQ(offered, L"");
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(readBytes(saved), expectedIconFile(shell32, 5));
  EXPECT_EQ(fs::path(dialogSettings().fileName), saved);

  // The open dialog now offers the export's path, in the executable's folder, and keeps the
  // settings the export left.
  clickAnswering(ControlId::按钮2, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    folder = user::folderShown(dialog);
    offered = user::offeredPath(dialog);
    user::press(dialog, IDCANCEL);
    user::waitUntilGone(dialog);
  });
  EXPECT_EQ(fs::path(offered), saved);
  EXPECT_EQ(fs::path(folder), exeFolder());
  EXPECT_EQ(dialogSettings().defaultExtension, L"图标(*.ico)|*.ico");
  EXPECT_EQ(fs::path(dialogSettings().initialDirectory), exeFolder());
  EXPECT_EQ(sourceText(), shell32);
}

TEST_F(SingleExport, TheDestinationsEndingDecidesWhatIsWritten) {
  const fs::path source = useFixtureSource();
  selectItem(1);  // icon 2
  struct Case {
    std::wstring name;
    enum { Icon, Bitmap, Nothing } writes;
  };
  const Case cases[] = {
      {L"大写.ICO", Case::Icon},
      {L"位图.bmp", Case::Bitmap},
      {L"文本.txt", Case::Nothing},
      {L"a.icon", Case::Nothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fs::path(c.name).string());
    const fs::path destination = scratch() / c.name;
    const std::wstring message = exportAs(destination.wstring());
    EXPECT_EQ(fs::path(dialogSettings().fileName), destination);
    switch (c.writes) {
      case Case::Icon:
        EXPECT_EQ(message, L"");
        EXPECT_EQ(readBytes(destination), expectedIconFile(source, 2));
        break;
      case Case::Bitmap: {
        EXPECT_EQ(message, L"");
        const Bytes bitmap = readBytes(destination);
        ASSERT_GE(bitmap.size(), 2u);
        EXPECT_EQ(bitmap[0], 'B');
        EXPECT_EQ(bitmap[1], 'M');
        EXPECT_EQ(bitmap, expectedBitmapFile(source, 2));
        break;
      }
      case Case::Nothing:
        EXPECT_EQ(message, L"保存失败！");
        EXPECT_FALSE(fs::exists(destination));
        break;
    }
  }
  // Nothing else appeared: no temporary file left behind by the failed saves.
  EXPECT_EQ(filesIn(scratch()).size(), 3u);
}

TEST_F(SingleExport, AnExistingFileIsReplacedOnlyAfterTheDialogsQuestion) {
  const fs::path source = useFixtureSource();
  selectItem(2);  // icon 3
  const fs::path existing = scratch() / L"已有.ico";
  const Bytes old = {'o', 'l', 'd'};
  fixtures::writeFile(existing, old);

  bool keptAfterNo = false, dialogStayed = false, questionOwnedByDialog = false;
  clickAnswering(ControlId::按钮3, [&] {
    HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
    if (!dialog) return;
    user::typeFileName(dialog, existing.wstring());
    user::press(dialog, IDOK);
    HWND question = user::waitForDialogOwnedBy(guiThread(), dialog);
    if (!question) return;
    questionOwnedByDialog = true;
    user::press(question, IDNO);
    user::waitUntilGone(question);
    keptAfterNo = readBytes(existing) == old;
    dialogStayed = IsWindow(dialog) && IsWindowVisible(dialog);
    user::typeFileName(dialog, existing.wstring());
    user::press(dialog, IDOK);
    question = user::waitForDialogOwnedBy(guiThread(), dialog);
    if (!question) return;
    user::press(question, IDYES);
    user::waitUntilGone(dialog);
  });
  EXPECT_TRUE(questionOwnedByDialog);
  EXPECT_TRUE(keptAfterNo);
  EXPECT_TRUE(dialogStayed);
  EXPECT_EQ(readBytes(existing), expectedIconFile(source, 3));
}

TEST_F(SingleExport, ListEmptiedOrRefilledWhileTheDialogIsOpenSavesNothing) {
  useFixtureSource();
  for (const int refillCount : {0, 4}) {
    SCOPED_TRACE(refillCount);
    fillList(4);
    selectItem(3);
    const fs::path destination = scratch() / (L"刷新" + std::to_wstring(refillCount) + L".ico");
    std::wstring message;
    clickAnswering(ControlId::按钮3, [&] {
      HWND dialog = user::waitForDialogOwnedBy(guiThread(), window().window());
      if (!dialog) return;
      // What a listing on its worker thread does meanwhile: empty the list and fill it anew,
      // each operation sent to the GUI thread.
      SendMessageW(listView(), LVM_DELETEALLITEMS, 0, 0);
      for (int n = 1; n <= refillCount; ++n) {
        std::wstring label = std::to_wstring(n);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = n - 1;
        item.pszText = label.data();
        item.iImage = n - 1;
        SendMessageW(listView(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
      user::typeFileName(dialog, destination.wstring());
      user::press(dialog, IDOK);
      user::waitUntilGone(dialog);
      message = answerMessageBoxIfAny(guiThread(), [this] { return handlerReturned(); });
    });
    EXPECT_EQ(message, L"您没有选中图标！");
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_EQ(itemCount(), refillCount);
  }
}

}  // namespace
}  // namespace exports_test
