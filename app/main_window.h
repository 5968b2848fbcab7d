// The program's only window: eleven controls from one fixed table, the event bindings, the key
// handling, and the control operations through which the handlers reach the controls from the GUI
// thread or from the loader's thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>

#include "controls.h"
#include "file_dialog.h"

namespace app {

// The controls, in the order of the window's table. The ids double as the controls' window ids.
enum class ControlId : int {
  标签1 = 1001,
  编辑框1,
  按钮2,
  按钮1,
  组合框1,
  按钮3,
  按钮4,
  标签2,
  标签3,
  超级列表框1,
};
inline constexpr int kControlCount = 10;  // the eleventh, 通用对话框1, has no window

inline constexpr wchar_t kWindowTitle[] = L"Tesmaro图标提取器V1.0";
inline constexpr wchar_t kWindowClass[] = L"TesmaroIconExtractorMain";
inline constexpr int kWindowWidth = 385;
inline constexpr int kWindowHeight = 262;

class MainWindow final : public Controls {
 public:
  MainWindow();
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, centred on the primary screen, with all its controls. False when
  // the window cannot be created.
  bool create(HINSTANCE instance);
  // Shows the controls and then the window.
  void show(int showCommand);
  // Runs the thread's message loop until WM_QUIT; returns its exit code.
  int runMessageLoop();
  // The window's own keys (Esc, Tab, Shift+Tab, F1), looked at before the message reaches the
  // control. True when the message has been dealt with and must not be dispatched.
  bool preTranslate(const MSG& message);

  HWND control(ControlId id) const;
  FileDialog& fileDialog() { return fileDialog_; }

  // Controls
  HWND window() const override;
  bool alive() const override;
  void setStatus(const std::wstring& caption) override;
  std::wstring sourcePath() override;
  void setSourcePath(const std::wstring& path) override;
  int sizeChoice() override;
  int selectedItem() override;
  int itemCount() override;
  void deleteAllItems() override;
  void appendItem(const std::wstring& text, int imageIndex) override;
  void setImageList(HIMAGELIST list) override;
  void handlePendingEvents() override;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool onCreate();
  void onCommand(int id, int code);
  LRESULT onControlColour(HDC dc, HWND control);
  void onActivate(bool active);
  void onSetFocus();
  void onTimer(UINT_PTR timer);
  void onDestroy();
  void onStartLoadFromCombo();

  // Runs the operation on the GUI thread: at once there, through a sent message from any other
  // thread, which waits until it has run. Does nothing once the window is gone.
  void onGuiThread(const std::function<void()>& operation);
  void releaseHeldRedraw();
  void moveFocus(bool backwards);

  HWND hwnd_ = nullptr;
  DWORD guiThread_ = 0;
  std::atomic<bool> alive_{false};
  std::array<HWND, kControlCount> controls_{};
  HWND lastFocus_ = nullptr;
  FileDialog fileDialog_;
  // Redraw of the list view held off while items arrive; released at most every ~50 ms.
  bool redrawHeld_ = false;
  ULONGLONG redrawHeldSince_ = 0;
};

}  // namespace app
