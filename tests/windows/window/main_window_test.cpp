// The main window as it starts, and its keys.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "listing/icon_list_loader.h"
#include "window_harness.h"

namespace window_test {
namespace {

using app::ControlId;

std::wstring classOf(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  std::wstring s(name);
  // A versioned class name ("6.0.x!Button") names the same control.
  if (auto bang = s.find(L'!'); bang != std::wstring::npos) s = s.substr(bang + 1);
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

RECT clientRect(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct ControlExpectation {
  ControlId id;
  const wchar_t* className;  // lower case
  int left, top, width, height;
  const wchar_t* text;       // null: not checked here
  DWORD typeMask, type;      // the style's type field
  DWORD on, off;             // style bits that must be set / clear
};

constexpr DWORD kNoType = 0;
const ControlExpectation kControls[] = {
    {ControlId::标签1, L"static", 8, 8, 40, 24, L"文件：", SS_TYPEMASK, SS_LEFT, SS_CENTERIMAGE,
     WS_BORDER | WS_TABSTOP},
    {ControlId::编辑框1, L"edit", 48, 8, 240, 20, L"C:\\WINDOWS\\system32\\shell32.dll", kNoType, 0,
     WS_TABSTOP, ES_MULTILINE | ES_READONLY},
    {ControlId::按钮2, L"button", 296, 6, 72, 24, L"浏览文件", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {ControlId::按钮1, L"button", 296, 34, 72, 24, L"提取资源", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {ControlId::组合框1, L"combobox", 296, 63, 72, 20, nullptr, 0x3, CBS_DROPDOWNLIST, WS_TABSTOP, 0},
    {ControlId::按钮3, L"button", 296, 87, 72, 24, L"单个提取", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {ControlId::按钮4, L"button", 296, 115, 72, 24, L"全部提取", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, 0},
    {ControlId::标签2, L"static", 294, 148, 80, 40, nullptr, SS_TYPEMASK, SS_LEFT, 0,
     WS_BORDER | WS_TABSTOP | SS_CENTERIMAGE},
    {ControlId::标签3, L"static", 295, 192, 80, 24, L"状态", SS_TYPEMASK, SS_CENTER,
     WS_BORDER | SS_CENTERIMAGE, WS_TABSTOP},
    {ControlId::超级列表框1, L"syslistview32", 8, 35, 280, 184, L"", LVS_TYPEMASK, LVS_ICON,
     WS_BORDER | WS_TABSTOP | LVS_AUTOARRANGE | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
     LVS_EDITLABELS | LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_NOLABELWRAP},
};

using StartUpTest = WindowTest;

TEST_F(StartUpTest, WindowHasItsTitleFrameSizeAndCentredPosition) {
  EXPECT_EQ(textOf(main()), L"Tesmaro图标提取器V1.0");
  RECT r;
  GetWindowRect(main(), &r);
  EXPECT_EQ(r.right - r.left, 385);
  EXPECT_EQ(r.bottom - r.top, 262);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 385) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 262) / 2);

  const LONG_PTR style = GetWindowLongPtrW(main(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_CHILD);
  const LONG_PTR exStyle = GetWindowLongPtrW(main(), GWL_EXSTYLE);
  EXPECT_FALSE(exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(main(), GW_OWNER), nullptr);  // its own taskbar button
  EXPECT_EQ(GetMenu(main()), nullptr);
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_FALSE(IsIconic(main()));
  EXPECT_FALSE(IsZoomed(main()));
  EXPECT_EQ(GetClassLongPtrW(main(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST_F(StartUpTest, EveryControlHasItsKindPlaceTextAndStyle) {
  int children = 0;
  for (HWND c = GetWindow(main(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, 10);  // the file dialog has no window

  const HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  for (const ControlExpectation& e : kControls) {
    SCOPED_TRACE(static_cast<int>(e.id));
    HWND c = control(e.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(GetParent(c), main());
    EXPECT_EQ(GetDlgCtrlID(c), static_cast<int>(e.id));
    EXPECT_EQ(classOf(c), e.className);
    const RECT r = clientRect(c);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right - r.left, e.width);
    EXPECT_EQ(r.bottom - r.top, e.height);
    if (e.text) {
      EXPECT_EQ(textOf(c), e.text);
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(c, GWL_STYLE));
    EXPECT_EQ(style & e.typeMask, e.type);
    EXPECT_EQ(style & e.on, e.on);
    EXPECT_EQ(style & e.off, 0u);
    EXPECT_TRUE(IsWindowVisible(c));
    EXPECT_TRUE(IsWindowEnabled(c));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)), guiFont);
  }

  // The credits: three lines.
  const std::wstring credits = textOf(control(ControlId::标签2));
  EXPECT_EQ(std::count(credits.begin(), credits.end(), L'\n'), 2);
}

TEST_F(StartUpTest, SizeChoiceListAndStatusStartAsSpecified) {
  HWND combo = control(ControlId::组合框1);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  const wchar_t* items[] = {L"16X16", L"32X32", L"48X48"};
  for (int i = 0; i < 3; ++i) {
    wchar_t text[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, items[i]);
  }
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(textOf(combo), L"32X32");
  EXPECT_EQ(window_.sizeChoice(), 1);

  EXPECT_EQ(ListView_GetItemCount(list()), 0);
  EXPECT_EQ(ListView_GetImageList(list(), LVSIL_NORMAL), nullptr);
  EXPECT_EQ(window_.selectedItem(), -1);
  EXPECT_EQ(ListView_GetExtendedListViewStyle(list()) & (LVS_EX_INFOTIP | LVS_EX_CHECKBOXES),
            static_cast<DWORD>(LVS_EX_INFOTIP));
  EXPECT_EQ(ListView_GetBkColor(list()), RGB(255, 255, 255));
  EXPECT_EQ(ListView_GetTextBkColor(list()), RGB(255, 255, 255));
  EXPECT_EQ(ListView_GetTextColor(list()), RGB(0, 0, 0));
  EXPECT_EQ(status(), L"状态");

  // No handler ran at start-up.
  EXPECT_EQ(listing::runningIconListLoads(), 0);
}

TEST_F(StartUpTest, LabelsDrawInTheirColoursOverTheButtonFace) {
  const struct {
    ControlId id;
    COLORREF colour;
  } labels[] = {{ControlId::标签1, RGB(0, 0, 0)},
                {ControlId::标签2, RGB(0, 0, 255)},
                {ControlId::标签3, RGB(255, 0, 0)}};
  HDC dc = CreateCompatibleDC(nullptr);
  for (const auto& label : labels) {
    SCOPED_TRACE(static_cast<int>(label.id));
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    const LRESULT brush = SendMessageW(main(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(control(label.id)));
    EXPECT_EQ(GetTextColor(dc), label.colour);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    LOGBRUSH lb{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
  }
  DeleteDC(dc);
}

// --- keys -----------------------------------------------------------------------------------

constexpr ControlId kTabOrder[] = {ControlId::超级列表框1, ControlId::编辑框1, ControlId::按钮1,
                                   ControlId::按钮3,       ControlId::按钮4,   ControlId::组合框1,
                                   ControlId::按钮2};

using KeysTest = WindowTest;

TEST_F(KeysTest, TabAndShiftTabCycleThroughTheControlsInOrder) {
  // Activation gives the focus to the first control in Tab order.
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == list(); }));
  const int n = static_cast<int>(std::size(kTabOrder));
  for (int step = 1; step <= n; ++step) {
    pressKey(VK_TAB);
    HWND expected = control(kTabOrder[step % n]);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == expected; }, 10000)) << "Tab step " << step;
  }
  for (int step = 1; step <= n; ++step) {
    pressKey(VK_TAB, /*shift=*/true);
    HWND expected = control(kTabOrder[(n - step % n) % n]);
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == expected; }, 10000))
        << "Shift+Tab step " << step;
  }
  EXPECT_EQ(listing::runningIconListLoads(), 0);
  EXPECT_TRUE(IsWindow(main()));
}

TEST_F(KeysTest, FocusComesBackToTheLastControlOnReactivation) {
  SetFocus(control(ControlId::按钮3));
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == other; }));
  SetForegroundWindow(main());
  ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main(); }));
  EXPECT_TRUE(pumpUntil([&] { return GetFocus() == control(ControlId::按钮3); }, 10000));
  DestroyWindow(other);
}

class EscapeTest : public WindowTest, public ::testing::WithParamInterface<ControlId> {};

TEST_P(EscapeTest, EscapeClosesTheWindowFromAnyControl) {
  HWND target = control(GetParam());
  SetFocus(target);
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == target; }));
  pressKey(VK_ESCAPE);
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(main()) && quitPosted(); }, 10000));
  EXPECT_FALSE(window_.alive());
  // Control operations on a closed window do nothing and read empty values.
  EXPECT_EQ(window_.sourcePath(), L"");
  EXPECT_EQ(window_.sizeChoice(), -1);
  EXPECT_EQ(window_.itemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, EscapeTest,
                         ::testing::Values(ControlId::编辑框1, ControlId::组合框1,
                                           ControlId::超级列表框1, ControlId::按钮1),
                         [](const ::testing::TestParamInfo<ControlId>& info) -> std::string {
                           switch (info.param) {
                             case ControlId::编辑框1: return "EditBox";
                             case ControlId::组合框1: return "SizeCombo";
                             case ControlId::超级列表框1: return "ListView";
                             default: return "Button1";
                           }
                         });

}  // namespace
}  // namespace window_test
