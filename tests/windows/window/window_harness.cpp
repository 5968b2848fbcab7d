#include "window_harness.h"

#include <shellapi.h>

#include <vector>

#include "listing/icon_list_loader.h"

namespace window_test {

std::wstring textOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

namespace {

struct BoxSearch {
  DWORD process;
  std::optional<MessageBoxSeen> found;
};

BOOL CALLBACK matchMessageBox(HWND hwnd, LPARAM param) {
  auto& search = *reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (pid != search.process || std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
  // The box's text is its static control 0xFFFF.
  search.found = MessageBoxSeen{hwnd, textOf(hwnd), textOf(GetDlgItem(hwnd, 0xFFFF))};
  return FALSE;
}

}  // namespace

std::optional<MessageBoxSeen> findMessageBox(DWORD process) {
  BoxSearch search{process, std::nullopt};
  EnumWindows(&matchMessageBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void pressKey(WORD key, bool shift, bool alt) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (shift) add(VK_SHIFT, false);
  if (alt) add(VK_MENU, false);
  add(key, false);
  add(key, true);
  if (alt) add(VK_MENU, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void WindowTest::SetUp() {
  ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)));
  window_.show(SW_SHOWNORMAL);
  SetForegroundWindow(main());
  ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main(); }));
}

void WindowTest::TearDown() {
  // A box still open would hold its load, and the window object waits for loads when it goes.
  pumpUntil([&] {
    if (auto box = findMessageBox()) PostMessageW(GetDlgItem(box->box, IDOK), BM_CLICK, 0, 0);
    return listing::runningIconListLoads() == 0;
  });
}

bool WindowTest::pumpUntil(const std::function<bool()>& condition, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitPosted_ = true;
        continue;
      }
      if (window_.preTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (condition()) return true;
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool WindowTest::pumpUntilLoadsStop() {
  return pumpUntil([] { return listing::runningIconListLoads() == 0; });
}

bool WindowTest::pumpUntilListed(int count) {
  const std::wstring done = L"共" + std::to_wstring(count) + L"个";
  return pumpUntil([&] {
    return listing::runningIconListLoads() == 0 && status() == done &&
           ListView_GetItemCount(list()) == count;
  });
}

void WindowTest::answerMessageBox(const std::wstring& expectedText) {
  std::optional<MessageBoxSeen> box;
  ASSERT_TRUE(pumpUntil([&] { return (box = findMessageBox()).has_value(); }))
      << "no message box came";
  EXPECT_EQ(box->caption, L"信息：");
  EXPECT_EQ(box->text, expectedText);
  // The box is task-modal for the loader's thread only: the main window stays usable.
  EXPECT_TRUE(IsWindowEnabled(main()));
  PostMessageW(GetDlgItem(box->box, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(box->box); }));
}

std::vector<Item> itemsOf(HWND list) {
  std::vector<Item> items;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = 64;
    ListView_GetItem(list, &item);
    items.push_back({text, item.iImage});
  }
  return items;
}

std::vector<Item> expectedItems(int count) {
  std::vector<Item> items;
  for (int n = 1; n <= count; ++n) items.push_back({std::to_wstring(n), n - 1});
  return items;
}

int systemIconCount(const std::wstring& path) {
  return static_cast<int>(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0));
}

std::wstring systemModule(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

}  // namespace window_test
