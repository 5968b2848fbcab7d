#include "harness.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>

#include "app/executable_directory.h"
#include "iconaccess/save.h"
#include "tests/windows/exports/user.h"

namespace exports_test {

Bytes expectedIconFile(const fs::path& source, int number) {
  const auto icons = iconaccess::IconSource::open(source);
  return iconaccess::iconFileBytes(icons.icon(number - 1));
}

Bytes expectedBitmapFile(const fs::path& source, int number) {
  const auto icons = iconaccess::IconSource::open(source);
  const auto icon = icons.icon(number - 1);
  if (icon.images.empty()) return {};
  return iconaccess::bitmapFileBytes(icon.images.front()).value_or(Bytes{});
}

Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::map<std::wstring, Bytes> filesIn(const fs::path& folder) {
  std::map<std::wstring, Bytes> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) files[entry.path().filename().wstring()] = readBytes(entry.path());
  }
  return files;
}

void WindowTest::SetUp() {
  guiThread_ = GetCurrentThreadId();
  exeFolder_ = app::executableDirectory();
  ASSERT_FALSE(exeFolder_.empty());
  // A batch of an earlier, interrupted run must not count as this test's output.
  std::error_code error;
  fs::remove_all(exeIconFolder(), error);
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  scratch_ = fs::path(temp) / (L"导出测试-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64()));
  fs::create_directories(scratch_);
  ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)));
  window_.show(SW_SHOWNORMAL);
  window_.handlePendingEvents();
}

void WindowTest::TearDown() {
  std::error_code error;
  if (window_.alive()) DestroyWindow(window_.window());
  MSG quit;
  while (PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  fs::remove_all(scratch_, error);
  fs::remove_all(exeIconFolder(), error);
  for (const auto& path : createdBesideExecutable_) fs::remove(path, error);
}

void WindowTest::click(app::ControlId button) { SendMessageW(control(button), BM_CLICK, 0, 0); }

void WindowTest::clickAnswering(app::ControlId button, std::function<void()> script) {
  handlerReturned_ = false;
  user::Session session(guiThread_, std::move(script));
  click(button);
  handlerReturned_ = true;
  EXPECT_TRUE(session.stop()) << "the user's script did not finish";
}

void WindowTest::fillList(int count) {
  window_.deleteAllItems();
  for (int n = 1; n <= count; ++n) window_.appendItem(std::to_wstring(n), n - 1);
}

void WindowTest::selectItem(int index) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(listView(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

std::wstring WindowTest::status() const { return user::text(control(app::ControlId::标签3)); }
std::wstring WindowTest::sourceText() const { return user::text(control(app::ControlId::编辑框1)); }

void WindowTest::setSourceText(const std::wstring& path) {
  SendMessageW(control(app::ControlId::编辑框1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

fs::path WindowTest::besideExecutable(const std::wstring& name) {
  fs::path path = exeFolder_ / name;
  createdBesideExecutable_.push_back(path);
  return path;
}

std::wstring answerMessageBoxIfAny(DWORD guiThread, const std::function<bool()>& handlerReturned,
                                   int button) {
  HWND box = nullptr;
  user::waitUntil([&] {
    box = user::findDialog(guiThread, [](HWND w) {
      return GetWindow(w, GW_OWNER) == nullptr && user::text(w) == L"信息：";
    });
    return box != nullptr || handlerReturned();
  });
  if (!box) return {};
  std::wstring text = user::messageText(box);
  user::press(box, button);
  user::waitUntilGone(box);
  return text;
}

}  // namespace exports_test
