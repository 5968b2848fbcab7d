// The real main window in the test's own process, on the test's thread (the GUI thread), and the
// files around it: a scratch folder, and what the exports leave beside the executable.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace exports_test {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// The bytes the core writes for icon `number` (1-based) of the source: what a save must produce.
Bytes expectedIconFile(const fs::path& source, int number);
Bytes expectedBitmapFile(const fs::path& source, int number);
Bytes readBytes(const fs::path& path);
// Every regular file in the folder, by name.
std::map<std::wstring, Bytes> filesIn(const fs::path& folder);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND control(app::ControlId id) const { return window_.control(id); }
  HWND listView() const { return control(app::ControlId::超级列表框1); }
  DWORD guiThread() const { return guiThread_; }
  app::MainWindow& window() { return window_; }
  app::FileDialogSettings& dialogSettings() { return window_.fileDialog().settings; }

  // A click on the button, delivered as the button's own click: the bound handler runs to its end,
  // modal dialogs and all, before this returns.
  void click(app::ControlId button);
  // Runs `script` as the user while the button's handler runs. Fails the test when the script does
  // not reach its end.
  void clickAnswering(app::ControlId button, std::function<void()> script);
  // True once the handler started by clickAnswering has returned: lets a script tell "no message
  // box came" from "not yet".
  bool handlerReturned() const { return handlerReturned_; }

  // What a finished listing leaves: items "1".."count".
  void fillList(int count);
  void selectItem(int index);
  int itemCount() { return window_.itemCount(); }
  std::wstring status() const;
  std::wstring sourceText() const;
  void setSourceText(const std::wstring& path);

  const fs::path& scratch() const { return scratch_; }
  // The folder of the test program: where the exports save by default.
  const fs::path& exeFolder() const { return exeFolder_; }
  fs::path exeIconFolder() const { return exeFolder_ / L"icon"; }
  // A file the test creates beside the executable; removed when the test ends.
  fs::path besideExecutable(const std::wstring& name);

 private:
  app::MainWindow window_;
  DWORD guiThread_ = 0;
  fs::path scratch_;
  fs::path exeFolder_;
  std::vector<fs::path> createdBesideExecutable_;
  std::atomic<bool> handlerReturned_{false};
};

// The message box that a script meets before the handler returns: its text, or empty when the
// handler returned without one. The box is answered with `button`.
std::wstring answerMessageBoxIfAny(DWORD guiThread, const std::function<bool()>& handlerReturned,
                                   int button = IDOK);

}  // namespace exports_test
