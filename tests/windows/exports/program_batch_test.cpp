// The real program, run as a child process from a folder of its own: closing its window while a
// batch saves ends the process cleanly.
#include <windows.h>

#include <string>

#include "tests/support/fixtures.h"
#include "tests/windows/exports/harness.h"
#include "tests/windows/exports/user.h"

namespace exports_test {
namespace {

// The build passes the program's path as a Unix path; Wine shows the Unix root as drive Z:.
fs::path builtProgram() {
  const std::string unixPath = ICONX_PROGRAM;
  std::wstring path(unixPath.begin(), unixPath.end());
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

struct TopWindow {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TopWindow*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  if (user::text(window) != L"Tesmaro图标提取器V1.0") return TRUE;
  search->found = window;
  return FALSE;
}

HWND child(HWND main, app::ControlId id) { return GetDlgItem(main, static_cast<int>(id)); }

TEST(ProgramBatch, ClosingTheWindowDuringABatchEndsTheProcessWithCodeZero) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const fs::path folder = fs::path(temp) / (L"批量关闭-" + std::to_wstring(GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path program = folder / L"IconExtractor.exe";
  fs::copy_file(builtProgram(), program, fs::copy_options::overwrite_existing);
  const fs::path source = folder / L"many.dll";
  fixtures::writeFile(source, fixtures::makePe(fixtures::simpleModule(60, {{32, 32}})));

  std::wstring command = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.c_str(), &startup, &running));
  TopWindow search{running.dwProcessId};
  ASSERT_TRUE(user::waitUntil([&] {
    EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  }));
  HWND main = search.found;
  const DWORD gui = GetWindowThreadProcessId(main, nullptr);

  // List the fixture's 60 icons, then save them all beside the program, closing the window as
  // soon as the question is answered.
  SendMessageW(child(main, app::ControlId::编辑框1), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(source.c_str()));
  PostMessageW(child(main, app::ControlId::按钮1), BM_CLICK, 0, 0);
  EXPECT_TRUE(user::waitUntil([&] { return user::text(child(main, app::ControlId::标签3)) == L"共60个"; }));
  PostMessageW(child(main, app::ControlId::按钮4), BM_CLICK, 0, 0);
  HWND question = user::waitForMessageBox(gui);
  ASSERT_NE(question, nullptr);
  user::press(question, IDYES);
  PostMessageW(main, WM_CLOSE, 0, 0);

  const bool ended = WaitForSingleObject(running.hProcess, 60'000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(running.hProcess, 99);
  DWORD exitCode = 99;
  GetExitCodeProcess(running.hProcess, &exitCode);
  CloseHandle(running.hThread);
  CloseHandle(running.hProcess);
  EXPECT_TRUE(ended);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_LT(filesIn(folder / L"icon").size(), 60u) << "the batch went on after the window closed";
  std::error_code error;
  fs::remove_all(folder, error);
}

}  // namespace
}  // namespace exports_test
