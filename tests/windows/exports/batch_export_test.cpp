// 按钮4 with the real question box and folder browser, answered as a user would.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <set>

#include "app/handlers.h"
#include "export/generated_name.h"
#include "tests/support/fixtures.h"
#include "tests/windows/exports/harness.h"
#include "tests/windows/exports/user.h"

namespace exports_test {
namespace {

using app::ControlId;

const wchar_t kQuestion[] = L"点【是】保存在软件根目录的ICON文件夹内；\r\n\r\n点【否】手动另选文件夹。";

app::LocalTime now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Local times as whole seconds on the FILETIME scale, and back.
long long toSeconds(const app::LocalTime& t) {
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(t.year);
  s.wMonth = static_cast<WORD>(t.month);
  s.wDay = static_cast<WORD>(t.day);
  s.wHour = static_cast<WORD>(t.hour);
  s.wMinute = static_cast<WORD>(t.minute);
  s.wSecond = static_cast<WORD>(t.second);
  FILETIME f{};
  SystemTimeToFileTime(&s, &f);
  return static_cast<long long>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10'000'000ULL);
}

app::LocalTime fromSeconds(long long seconds) {
  const ULONGLONG ticks = static_cast<ULONGLONG>(seconds) * 10'000'000ULL;
  FILETIME f{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME s{};
  FileTimeToSystemTime(&f, &s);
  return {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond};
}

// Every name a batch running between `from` and `to` can give icon `number`: the six readings
// come from one second, or from two neighbouring seconds when the clock turned between readings.
std::set<std::wstring> namesBetween(const app::LocalTime& from, const app::LocalTime& to, int number) {
  std::set<std::wstring> names;
  for (long long second = toSeconds(from) - 1; second <= toSeconds(to); ++second) {
    const app::LocalTime a = fromSeconds(second), b = fromSeconds(second + 1);
    for (int turn = 0; turn <= 6; ++turn) {
      int reading = 0;
      names.insert(app::generatedFileName([&] { return reading++ < turn ? a : b; }, number));
    }
  }
  return names;
}

class BatchExport : public WindowTest {
 protected:
  // A module of `icons` icons, each in a colour of its own, named by the edit box, and a list
  // of as many items.
  fs::path useFixtureSource(int icons) {
    const fs::path source = scratch() / L"源.dll";
    fixtures::writeFile(source, fixtures::makePe(fixtures::simpleModule(icons, {{16, 32}, {32, 32}})));
    setSourceText(source.wstring());
    fillList(icons);
    return source;
  }

  // Clicks 按钮4 and answers Yes; `afterAnswer` runs on the user's thread right after the press.
  std::wstring runAnsweringYes(const std::function<void()>& afterAnswer = {}) {
    std::wstring question;
    clickAnswering(ControlId::按钮4, [&] {
      HWND box = user::waitForMessageBox(guiThread());
      if (!box) return;
      question = user::messageText(box);
      user::press(box, IDYES);
      if (afterAnswer) afterAnswer();
    });
    return question;
  }

  // Clicks 按钮4, answers No and hands the folder browser to `inBrowser`, which must close it.
  void runAnsweringNo(const std::function<void(HWND browser)>& inBrowser) {
    clickAnswering(ControlId::按钮4, [&] {
      HWND box = user::waitForMessageBox(guiThread());
      if (!box) return;
      user::press(box, IDNO);
      if (HWND browser = user::waitForDialogOwnedBy(guiThread(), window().window())) inBrowser(browser);
    });
  }

  // Checks that the folder holds exactly one file per icon number, each with that icon's bytes and
  // a name generated between `from` and `to`; `ignore` lists files that were there before.
  void expectOneFilePerIcon(const fs::path& folder, const fs::path& source, int icons,
                            const app::LocalTime& from, const app::LocalTime& to,
                            const std::map<std::wstring, Bytes>& ignore = {}) {
    std::map<int, int> filesOfIcon;
    for (const auto& [name, bytes] : filesIn(folder)) {
      if (ignore.count(name)) continue;
      int number = 0;
      for (int n = 1; n <= icons && number == 0; ++n) {
        if (bytes == expectedIconFile(source, n)) number = n;
      }
      ASSERT_NE(number, 0) << "a file that is no icon of the source";
      ++filesOfIcon[number];
      const auto names = namesBetween(from, to, number);
      std::wstring base = name;
      if (!names.count(base)) {
        // Only a taken name gets a suffix: "_2", "_3", ... before ".ico".
        const auto underscore = base.rfind(L'_');
        ASSERT_NE(underscore, std::wstring::npos) << fs::path(name).string();
        base = base.substr(0, underscore) + L".ico";
        EXPECT_TRUE(names.count(base)) << fs::path(name).string();
        EXPECT_TRUE(ignore.count(base)) << "suffix on a name that was free: " << fs::path(name).string();
      }
    }
    for (int n = 1; n <= icons; ++n) EXPECT_EQ(filesOfIcon[n], 1) << "icon " << n;
  }
};

TEST_F(BatchExport, AnEmptyListShowsTheMessageAndChangesNothing) {
  std::wstring message;
  clickAnswering(ControlId::按钮4, [&] {
    message = answerMessageBoxIfAny(guiThread(), [this] { return handlerReturned(); });
  });
  EXPECT_EQ(message, L"没图标可保存！");
  EXPECT_EQ(status(), L"状态");
  EXPECT_FALSE(fs::exists(exeIconFolder()));
}

TEST_F(BatchExport, YesSavesEveryIconBesideTheExecutableAndASecondBatchReplacesNothing) {
  const fs::path source = useFixtureSource(3);
  const app::LocalTime first = now();
  EXPECT_EQ(runAnsweringYes(), kQuestion);
  const app::LocalTime firstEnd = now();
  EXPECT_EQ(status(), L"保存完毕！");
  expectOneFilePerIcon(exeIconFolder(), source, 3, first, firstEnd);
  const auto firstBatch = filesIn(exeIconFolder());
  ASSERT_EQ(firstBatch.size(), 3u);

  // Every name the next batch can meet in the next minute is taken already: none may be replaced.
  const app::LocalTime second = now();
  std::map<std::wstring, Bytes> planted = firstBatch;
  for (int n = 1; n <= 3; ++n) {
    for (const auto& name : namesBetween(second, fromSeconds(toSeconds(second) + 60), n)) {
      if (planted.count(name)) continue;
      planted[name] = {'o', 'l', 'd'};
      fixtures::writeFile(exeIconFolder() / name, planted[name]);
    }
  }
  EXPECT_EQ(runAnsweringYes(), kQuestion);
  const app::LocalTime secondEnd = now();
  ASSERT_LE(toSeconds(secondEnd), toSeconds(second) + 60) << "the batch outran the planted names";
  EXPECT_EQ(status(), L"保存完毕！");
  const auto after = filesIn(exeIconFolder());
  for (const auto& [name, bytes] : planted) {
    ASSERT_TRUE(after.count(name)) << fs::path(name).string();
    EXPECT_EQ(after.at(name), bytes) << "replaced: " << fs::path(name).string();
  }
  EXPECT_EQ(after.size(), planted.size() + 3);
  expectOneFilePerIcon(exeIconFolder(), source, 3, second, secondEnd, planted);
}

TEST_F(BatchExport, NoThenCancelInTheFolderBrowserSavesNothing) {
  useFixtureSource(2);
  HWND browserOwner = nullptr;
  runAnsweringNo([&](HWND browser) {
    browserOwner = GetWindow(browser, GW_OWNER);
    user::press(browser, IDCANCEL);
    user::waitUntilGone(browser);
  });
  EXPECT_EQ(browserOwner, window().window());
  EXPECT_EQ(status(), L"没保存。");
  EXPECT_FALSE(fs::exists(exeIconFolder()));
}

BOOL CALLBACK findTitle(HWND child, LPARAM found) {
  if (user::text(child) == L"选择您要保存的文件夹...") *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

TEST_F(BatchExport, NoThenAChosenFolderSavesIntoItsIconFolder) {
  const fs::path source = useFixtureSource(3);
  const fs::path chosen = scratch() / L"选中的文件夹";
  fs::create_directories(chosen);
  bool titleShown = false, selected = false;
  const app::LocalTime from = now();
  runAnsweringNo([&](HWND browser) {
    EnumChildWindows(browser, findTitle, reinterpret_cast<LPARAM>(&titleShown));
    // What a browse callback does to preselect a folder. Wine's browser fills its tree in steps
    // and may not reach the folder on the first request, so ask until the tree has selected it.
    HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
    const std::wstring path = chosen.wstring();
    selected = user::waitUntil([&] {
      SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
      return SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
    });
    user::press(browser, IDOK);
    user::waitUntilGone(browser);
  });
  const app::LocalTime to = now();
  EXPECT_TRUE(titleShown);
  EXPECT_TRUE(selected);
  EXPECT_EQ(status(), L"保存完毕！");
  expectOneFilePerIcon(chosen / L"icon", source, 3, from, to);
  EXPECT_EQ(filesIn(chosen / L"icon").size(), 3u);
  EXPECT_FALSE(fs::exists(exeIconFolder()));
}

TEST_F(BatchExport, TheFinalCaptionCountsThePassesThatWroteNothing) {
  const fs::path iconFile = scratch() / L"单个.ico";
  fixtures::writeFile(iconFile, fixtures::makeIconFile({fixtures::solidImage(16, 32, 0x123456)}));
  struct Case {
    std::wstring source;
    int items;
    std::wstring caption;
    std::size_t files;
  };
  const Case cases[] = {
      {(scratch() / L"不存在.dll").wstring(), 3, L"失败：3个", 0},
      {L"", 2, L"失败：2个", 0},
      // More items than the source has icons: the passes beyond its one icon fail.
      {iconFile.wstring(), 3, L"失败：2个", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fs::path(c.source).string());
    std::error_code error;
    fs::remove_all(exeIconFolder(), error);
    setSourceText(c.source);
    fillList(c.items);
    runAnsweringYes();
    EXPECT_EQ(status(), c.caption);
    EXPECT_EQ(filesIn(exeIconFolder()).size(), c.files);
  }
}

TEST_F(BatchExport, AListRefilledDuringTheBatchKeepsThePassCountOfTheClick) {
  const fs::path source = useFixtureSource(20);
  const app::LocalTime from = now();
  runAnsweringYes([&] {
    // Queued behind the answer, so the batch's own event handling empties the list between passes.
    PostMessageW(listView(), LVM_DELETEALLITEMS, 0, 0);
  });
  const app::LocalTime to = now();
  EXPECT_EQ(itemCount(), 0);
  EXPECT_EQ(status(), L"保存完毕！");
  expectOneFilePerIcon(exeIconFolder(), source, 20, from, to);
}

// The real window's control operations, passed through, with a count of every operation other
// than alive() that reaches them after the window has gone.
class WatchedControls final : public app::Controls {
 public:
  explicit WatchedControls(app::MainWindow& window) : window_(window) {}
  int touchedAfterClose = 0;
  HWND window() const override { return window_.window(); }
  bool alive() const override { return window_.alive(); }
  void setStatus(const std::wstring& caption) override { watch(), window_.setStatus(caption); }
  std::wstring sourcePath() override { return watch(), window_.sourcePath(); }
  void setSourcePath(const std::wstring& path) override { watch(), window_.setSourcePath(path); }
  int sizeChoice() override { return watch(), window_.sizeChoice(); }
  int selectedItem() override { return watch(), window_.selectedItem(); }
  int itemCount() override { return watch(), window_.itemCount(); }
  void deleteAllItems() override { watch(), window_.deleteAllItems(); }
  void appendItem(const std::wstring& text, int image) override { watch(), window_.appendItem(text, image); }
  void setImageList(HIMAGELIST list) override { watch(), window_.setImageList(list); }
  void handlePendingEvents() override { watch(), window_.handlePendingEvents(); }

 private:
  void watch() {
    if (!window_.alive()) ++touchedAfterClose;
  }
  app::MainWindow& window_;
};

TEST_F(BatchExport, ClosingTheWindowDuringTheBatchEndsItWithoutTouchingTheControls) {
  useFixtureSource(20);
  HWND main = window().window();
  WatchedControls watched(window());
  user::Session session(guiThread(), [&] {
    HWND box = user::waitForMessageBox(guiThread());
    if (!box) return;
    user::press(box, IDYES);
    // Queued behind the answer: the batch's own event handling closes the window between passes.
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  app::exportAllIcons(watched);
  EXPECT_TRUE(session.stop());
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(watched.touchedAfterClose, 0);
  EXPECT_LT(filesIn(exeIconFolder()).size(), 20u) << "the passes after the close were skipped";
  // The window's end asks the loop to quit with code 0, and that request is still queued.
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

}  // namespace
}  // namespace exports_test
