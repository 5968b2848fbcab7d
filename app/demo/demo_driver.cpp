// Drives a running IconExtractor for ./run.sh on a headless display: "list" clicks 按钮1, waits
// until the listing of the path in 编辑框1 is complete and prints the window's outer rectangle
// (left top width height) for the screenshot; "close" closes the window.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/main_window.h"

namespace {

HWND waitForWindow() {
  for (int i = 0; i < 6000; ++i) {
    HWND main = FindWindowW(app::kWindowClass, app::kWindowTitle);
    if (main && IsWindowVisible(main)) return main;
    Sleep(10);
  }
  return nullptr;
}

std::wstring textOf(HWND control) {
  wchar_t text[256] = {};
  SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND child(HWND main, app::ControlId id) { return GetDlgItem(main, static_cast<int>(id)); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  HWND main = waitForWindow();
  if (!main) {
    std::fprintf(stderr, "demo_driver: the main window did not appear\n");
    return 1;
  }
  if (mode == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
  }
  if (mode != L"list") {
    std::fprintf(stderr, "usage: demo_driver list|close\n");
    return 2;
  }
  HWND status = child(main, app::ControlId::标签3);
  HWND list = child(main, app::ControlId::超级列表框1);
  // The listing is complete when it shows as many items as the system counts icons in the file.
  const std::wstring path = textOf(child(main, app::ControlId::编辑框1));
  const int count = static_cast<int>(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0));
  const std::wstring done = L"共" + std::to_wstring(count) + L"个";
  SendMessageW(child(main, app::ControlId::按钮1), BM_CLICK, 0, 0);
  for (int i = 0; i < 12000; ++i) {
    const int items = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (count > 0 && items == count && textOf(status) == done) {
      Sleep(300);  // let the last repaint of the list reach the screen
      RECT r;
      GetWindowRect(main, &r);
      std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top, items);
      return 0;
    }
    if (FindWindowW(L"#32770", L"信息：")) {
      std::fprintf(stderr, "demo_driver: the program reports no icons in that file\n");
      return 1;
    }
    Sleep(10);
  }
  std::fprintf(stderr, "demo_driver: the listing did not complete\n");
  return 1;
}
