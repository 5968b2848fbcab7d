// The real program, run as a child process: its resources, its window, and its exit.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "window_harness.h"

namespace window_test {
namespace {

// The build passes the program's path as a Unix path; Wine shows the Unix root as drive Z:.
std::wstring programPath() {
  std::string unix = ICONX_PROGRAM;
  std::wstring path(unix.begin(), unix.end());
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring versionString(const std::vector<BYTE>& block, const wchar_t* name) {
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) || size < sizeof *translation)
    return L"";
  wchar_t query[128];
  swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
           translation->codePage, name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &size)) return L"";
  return value;
}

TEST(ProgramTest, CarriesItsVersionRecordIconAndManifest) {
  const std::wstring exe = programPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(versionString(block, L"FileDescription"), L"Tesmaro图标提取器");
  EXPECT_EQ(versionString(block, L"ProductName"), L"Tesmaro图标提取器");
  EXPECT_EQ(versionString(block, L"FileVersion"), L"1.0.0.0");
  EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.0.0.0");

  EXPECT_GE(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u);
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("asInvoker"), std::string::npos);
  FreeLibrary(module);
}

class RunningProgram {
 public:
  RunningProgram() {
    std::wstring command = L"\"" + programPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_);
  }
  ~RunningProgram() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  bool started() const { return started_; }

  // Its main window, once shown.
  HWND waitForWindow() {
    HWND found = nullptr;
    waitFor([&] {
      found = FindWindowW(app::kWindowClass, app::kWindowTitle);
      DWORD pid = 0;
      if (found) GetWindowThreadProcessId(found, &pid);
      if (pid != process_.dwProcessId) found = nullptr;
      return found && IsWindowVisible(found);
    });
    return found;
  }
  // Its exit code, or STILL_ACTIVE when it has not ended within the limit.
  DWORD waitForExit() {
    if (WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }
  static bool waitFor(const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (!condition()) {
      if (GetTickCount64() > deadline) return false;
      Sleep(1);
    }
    return true;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

HWND child(HWND main, app::ControlId id) { return GetDlgItem(main, static_cast<int>(id)); }

// A control's text read with WM_GETTEXT, which the system carries across processes; GetWindowText
// on another process's window would read only the caption the system keeps for it.
std::wstring sentText(HWND control) {
  wchar_t text[512] = {};
  SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(ProgramTest, StartsCentredWithTheDefaultPathAndEndsWithCodeZeroOnClose) {
  RunningProgram program;
  ASSERT_TRUE(program.started());
  HWND main = program.waitForWindow();
  ASSERT_NE(main, nullptr);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 385) / 2);
  EXPECT_EQ(r.right - r.left, 385);
  EXPECT_EQ(sentText(child(main, app::ControlId::编辑框1)), L"C:\\WINDOWS\\system32\\shell32.dll");
  EXPECT_EQ(sentText(child(main, app::ControlId::标签3)), L"状态");
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
}

// Esc in the edit box at three moments of a load of the default file: at once after the click,
// once the load has shown "请稍后...", and once items have begun to arrive.
TEST(ProgramTest, ClosingDuringALoadEndsTheProcessWithCodeZero) {
  enum Moment { AtClick, WhileWaiting, WhileInserting };
  for (Moment moment : {AtClick, WhileWaiting, WhileInserting}) {
    SCOPED_TRACE(moment);
    RunningProgram program;
    ASSERT_TRUE(program.started());
    HWND main = program.waitForWindow();
    ASSERT_NE(main, nullptr);
    HWND status = child(main, app::ControlId::标签3);
    HWND list = child(main, app::ControlId::超级列表框1);
    PostMessageW(child(main, app::ControlId::按钮1), BM_CLICK, 0, 0);
    if (moment == WhileWaiting)
      RunningProgram::waitFor([&] { return sentText(status) != L"状态"; });
    if (moment == WhileInserting)
      RunningProgram::waitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; });
    PostMessageW(child(main, app::ControlId::编辑框1), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(program.waitForExit(), 0u);
  }
}

}  // namespace
}  // namespace window_test
