// The real main window on the test's thread, driven with real messages, and the few things a user
// does to it: clicks, keys, answers to message boxes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/main_window.h"

namespace window_test {

std::wstring textOf(HWND window);

// A message box of this process: found among all top-level windows, whichever thread shows it.
struct MessageBoxSeen {
  HWND box = nullptr;
  std::wstring caption;
  std::wstring text;
};
std::optional<MessageBoxSeen> findMessageBox(DWORD process = GetCurrentProcessId());

// Keys as the keyboard sends them (SendInput), to the foreground window's focus.
void pressKey(WORD key, bool shift = false, bool alt = false);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND control(app::ControlId id) const { return window_.control(id); }
  HWND main() const { return window_.window(); }
  HWND list() const { return control(app::ControlId::超级列表框1); }
  std::wstring status() const { return textOf(control(app::ControlId::标签3)); }
  void setPath(const std::wstring& path) {
    SetWindowTextW(control(app::ControlId::编辑框1), path.c_str());
  }
  void click(app::ControlId button) { SendMessageW(control(button), BM_CLICK, 0, 0); }

  // Handles the thread's messages, as the program's loop does, until the condition holds; false
  // when it does not within the limit. Waiting only: nothing is measured.
  bool pumpUntil(const std::function<bool()>& condition, DWORD limitMs = 60000);
  // Until every load, superseded ones included, has returned.
  bool pumpUntilLoadsStop();
  // Until the list holds `count` items and the status reads 共count个, all loads stopped.
  bool pumpUntilListed(int count);
  // Waits for the program's message box, checks it and presses its OK button like a user.
  void answerMessageBox(const std::wstring& expectedText);

  bool quitPosted() const { return quitPosted_; }

  app::MainWindow window_;

 private:
  bool quitPosted_ = false;
};

// Items of the list view: text and image index, in order.
struct Item {
  std::wstring text;
  int image;
  bool operator==(const Item&) const = default;
};
std::vector<Item> itemsOf(HWND list);
// The items a complete load of `count` icons leaves: "1".."count" with images 0..count-1.
std::vector<Item> expectedItems(int count);

// The number of icons the system reports for a file (ExtractIconExW with index -1).
int systemIconCount(const std::wstring& path);
// Wine's own shell32.dll as the program sees it.
std::wstring systemModule(const wchar_t* name);

}  // namespace window_test
