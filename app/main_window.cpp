#include "main_window.h"

#include <iterator>
#include <vector>

#include "handlers.h"
#include "listing/icon_list_loader.h"

namespace app {
namespace {

// Private messages of the main window.
constexpr UINT kPerformMessage = WM_APP + 1;    // lParam: const std::function<void()>*
constexpr UINT kStartLoadMessage = WM_APP + 2;  // posted by 组合框1's CBN_SELENDOK
constexpr UINT_PTR kRedrawTimer = 1;
// How long the list view may go without repainting while items arrive.
constexpr ULONGLONG kRedrawIntervalMs = 50;

struct ControlSpec {
  ControlId id;
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
  const wchar_t* text;
};

// The window's fixed form. Controls are created hidden and shown together before the window.
// The combo box is created taller than its closed rectangle: the extra height is its drop-down list.
constexpr DWORD kChild = WS_CHILD;
constexpr ControlSpec kControlTable[] = {
    {ControlId::标签1, L"STATIC", kChild | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0,
     8, 8, 40, 24, L"文件："},
    {ControlId::编辑框1, L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
     48, 8, 240, 20, L"C:\\WINDOWS\\system32\\shell32.dll"},
    {ControlId::按钮2, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
     296, 6, 72, 24, L"浏览文件"},
    {ControlId::按钮1, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
     296, 34, 72, 24, L"提取资源"},
    {ControlId::组合框1, L"COMBOBOX", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
     296, 63, 72, 20 + 100, L""},
    {ControlId::按钮3, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
     296, 87, 72, 24, L"单个提取"},
    {ControlId::按钮4, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
     296, 115, 72, 24, L"全部提取"},
    {ControlId::标签2, L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0,
     294, 148, 80, 40, L"Tesmaro 出品\r\n图标提取器\r\n版本 1.0"},
    {ControlId::标签3, L"STATIC", kChild | WS_BORDER | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0,
     295, 192, 80, 24, L"状态"},
    {ControlId::超级列表框1, WC_LISTVIEWW,
     kChild | WS_TABSTOP | WS_BORDER | LVS_ICON | LVS_AUTOARRANGE | LVS_SINGLESEL |
         LVS_SHOWSELALWAYS,
     0, 8, 35, 280, 184, L""},
};
static_assert(std::size(kControlTable) == kControlCount);

constexpr int kComboHeight = 20;
constexpr const wchar_t* kSizeItems[] = {L"16X16", L"32X32", L"48X48"};

constexpr ControlId kTabOrder[] = {ControlId::超级列表框1, ControlId::编辑框1, ControlId::按钮1,
                                   ControlId::按钮3,       ControlId::按钮4,   ControlId::组合框1,
                                   ControlId::按钮2};

int slot(ControlId id) { return static_cast<int>(id) - static_cast<int>(ControlId::标签1); }

bool keyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

void registerWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  // The application icon is resource 1 of the executable; a test program has none and gets the
  // system's default.
  HMODULE exe = GetModuleHandleW(nullptr);
  wc.hIcon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), LR_SHARED));
  wc.hIconSm = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);  // fails harmlessly when a second window registers it again
}

}  // namespace

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() {
  if (alive_) DestroyWindow(hwnd_);
  // A loader thread may still be about to call this object; it stops at its next step now that
  // the window is gone. Its sends to the dead window fail at once, but keep serving sent messages
  // so that none of them can wait on this thread.
  while (listing::runningIconListLoads() > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG ignored;
    PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool MainWindow::create(HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  registerWindowClass(instance, &MainWindow::windowProc);
  guiThread_ = GetCurrentThreadId();
  // Centred on the primary screen; on a screen smaller than the window the edge goes negative.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  HWND created = CreateWindowExW(0, kWindowClass, kWindowTitle,
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left,
                                 top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                                 this);
  return created != nullptr;
}

void MainWindow::show(int showCommand) {
  if (!alive_) return;
  for (HWND c : controls_) ShowWindow(c, SW_SHOWNA);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

int MainWindow::runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (preTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

bool MainWindow::preTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN || !alive_) return false;
  if (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)) return false;
  const bool ctrl = keyDown(VK_CONTROL), shift = keyDown(VK_SHIFT), alt = keyDown(VK_MENU);
  switch (message.wParam) {
    case VK_ESCAPE:
      if (ctrl || shift || alt) return false;
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      return true;
    case VK_TAB:
      if (ctrl || alt) return false;
      moveFocus(shift);
      return true;
    case VK_F1:
      // No help: swallowed before it can become WM_HELP.
      return true;
    default:
      return false;
  }
}

void MainWindow::moveFocus(bool backwards) {
  constexpr int n = static_cast<int>(std::size(kTabOrder));
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < n; ++i) {
    HWND c = control(kTabOrder[i]);
    if (focus && (c == focus || IsChild(c, focus))) current = i;
  }
  if (current < 0) current = backwards ? 0 : n - 1;
  for (int step = 1; step <= n; ++step) {
    const int i = ((current + (backwards ? -step : step)) % n + n) % n;
    HWND c = control(kTabOrder[i]);
    if (!IsWindowVisible(c) || !IsWindowEnabled(c)) continue;
    SetFocus(c);
    if (kTabOrder[i] == ControlId::编辑框1) SendMessageW(c, EM_SETSEL, 0, -1);
    return;
  }
}

HWND MainWindow::control(ControlId id) const { return controls_[slot(id)]; }

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->alive_ = true;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return onCreate() ? 0 : -1;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
      onActivate(LOWORD(wParam) != WA_INACTIVE);
      break;  // the default activation gives the window the focus, which onSetFocus passes on
    case WM_SETFOCUS:
      onSetFocus();
      return 0;
    case WM_TIMER:
      onTimer(wParam);
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    case kPerformMessage:
      if (alive_) (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    case kStartLoadMessage:
      onStartLoadFromCombo();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool MainWindow::onCreate() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& spec : kControlTable) {
    HWND c = CreateWindowExW(spec.exStyle, spec.className, spec.text, spec.style, spec.left,
                             spec.top, spec.width, spec.height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance,
                             nullptr);
    if (!c) return false;
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[slot(spec.id)] = c;
  }

  HWND combo = control(ControlId::组合框1);
  for (const wchar_t* item : kSizeItems)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageW(combo, CB_SETCURSEL, 1, 0);  // a selection by the program notifies nothing
  // The closed combo box's height follows its font; bring it to the form's height. What
  // CB_GETITEMHEIGHT reports and what CB_SETITEMHEIGHT takes differ between systems, so steer by
  // the height that results.
  LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
    RECT r;
    GetWindowRect(combo, &r);
    if (r.bottom - r.top == kComboHeight) break;
    field += kComboHeight - (r.bottom - r.top);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }

  HWND list = control(ControlId::超级列表框1);
  ListView_SetExtendedListViewStyle(list, LVS_EX_INFOTIP);
  ListView_SetTextColor(list, RGB(0, 0, 0));
  ListView_SetTextBkColor(list, RGB(255, 255, 255));
  ListView_SetBkColor(list, RGB(255, 255, 255));
  return true;
}

void MainWindow::onCommand(int id, int code) {
  switch (static_cast<ControlId>(id)) {
    case ControlId::按钮1:
      if (code == BN_CLICKED) startIconListLoad(*this);
      break;
    case ControlId::按钮2:
      if (code == BN_CLICKED) selectSourceFile(*this, fileDialog_);
      break;
    case ControlId::按钮3:
      if (code == BN_CLICKED) exportSelectedIcon(*this, fileDialog_);
      break;
    case ControlId::按钮4:
      if (code == BN_CLICKED) exportAllIcons(*this);
      break;
    case ControlId::组合框1:
      // Start the load only once the notification and the closing of the list are complete.
      if (code == CBN_SELENDOK) PostMessageW(hwnd_, kStartLoadMessage, 0, 0);
      break;
    default:
      break;
  }
}

void MainWindow::onStartLoadFromCombo() { startIconListLoad(*this); }

LRESULT MainWindow::onControlColour(HDC dc, HWND c) {
  COLORREF colour;
  if (c == control(ControlId::标签1)) {
    colour = RGB(0, 0, 0);
  } else if (c == control(ControlId::标签2)) {
    colour = RGB(0, 0, 255);
  } else if (c == control(ControlId::标签3)) {
    colour = RGB(255, 0, 0);
  } else {
    return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(c));
  }
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::onActivate(bool active) {
  if (active) return;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
}

void MainWindow::onSetFocus() {
  HWND target = lastFocus_;
  if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = control(kTabOrder[0]);
  SetFocus(target);
}

void MainWindow::onTimer(UINT_PTR timer) {
  if (timer == kRedrawTimer) releaseHeldRedraw();
}

void MainWindow::onDestroy() {
  alive_ = false;
  KillTimer(hwnd_, kRedrawTimer);
  PostQuitMessage(0);
}

void MainWindow::releaseHeldRedraw() {
  KillTimer(hwnd_, kRedrawTimer);
  if (!redrawHeld_) return;
  redrawHeld_ = false;
  HWND list = control(ControlId::超级列表框1);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
}

void MainWindow::onGuiThread(const std::function<void()>& operation) {
  if (!alive_) return;
  if (GetCurrentThreadId() == guiThread_) {
    operation();
  } else {
    // Waits until the GUI thread has run it; fails at once if the window is destroyed meanwhile.
    SendMessageW(hwnd_, kPerformMessage, 0, reinterpret_cast<LPARAM>(&operation));
  }
}

HWND MainWindow::window() const { return alive_ ? hwnd_ : nullptr; }

bool MainWindow::alive() const { return alive_; }

void MainWindow::setStatus(const std::wstring& caption) {
  onGuiThread([&] { SetWindowTextW(control(ControlId::标签3), caption.c_str()); });
}

std::wstring MainWindow::sourcePath() {
  std::wstring text;
  onGuiThread([&] {
    HWND edit = control(ControlId::编辑框1);
    text.resize(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1);
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  });
  return text;
}

void MainWindow::setSourcePath(const std::wstring& path) {
  onGuiThread([&] { SetWindowTextW(control(ControlId::编辑框1), path.c_str()); });
}

int MainWindow::sizeChoice() {
  int choice = -1;
  onGuiThread([&] {
    choice = static_cast<int>(SendMessageW(control(ControlId::组合框1), CB_GETCURSEL, 0, 0));
  });
  return choice;
}

int MainWindow::selectedItem() {
  int item = -1;
  onGuiThread([&] {
    item = ListView_GetNextItem(control(ControlId::超级列表框1), -1, LVNI_SELECTED);
  });
  return item;
}

int MainWindow::itemCount() {
  int count = 0;
  onGuiThread([&] { count = ListView_GetItemCount(control(ControlId::超级列表框1)); });
  return count;
}

void MainWindow::deleteAllItems() {
  onGuiThread([&] { ListView_DeleteAllItems(control(ControlId::超级列表框1)); });
}

void MainWindow::appendItem(const std::wstring& text, int imageIndex) {
  onGuiThread([&] {
    HWND list = control(ControlId::超级列表框1);
    // Repainting a large-icon list after every insert costs far more than the inserts; hold it
    // off and show what has arrived at most every kRedrawIntervalMs (the timer catches the end).
    const ULONGLONG now = GetTickCount64();
    if (!redrawHeld_) {
      SendMessageW(list, WM_SETREDRAW, FALSE, 0);
      redrawHeld_ = true;
      redrawHeldSince_ = now;
      SetTimer(hwnd_, kRedrawTimer, static_cast<UINT>(kRedrawIntervalMs), nullptr);
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = imageIndex;
    ListView_InsertItem(list, &item);
    // The first item is shown at once: the list's first paint after a new image list costs the
    // most, and paid here it does not add to the paint of a whole screenful later.
    if (item.iItem == 0 || now - redrawHeldSince_ >= kRedrawIntervalMs) releaseHeldRedraw();
  });
}

void MainWindow::setImageList(HIMAGELIST list) {
  // The list view gets a copy of its own, so the caller may release its list at any time.
  HIMAGELIST copy = list ? ImageList_Duplicate(list) : nullptr;
  bool taken = false;
  onGuiThread([&] {
    HIMAGELIST old = ListView_SetImageList(control(ControlId::超级列表框1), copy, LVSIL_NORMAL);
    taken = true;
    if (old && old != copy) ImageList_Destroy(old);
  });
  if (!taken && copy) ImageList_Destroy(copy);
}

void MainWindow::handlePendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // WM_QUIT is never queued ahead of other messages, so putting it back keeps it last.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (preTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace app
