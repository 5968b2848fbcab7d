// How long the batch export of the real main window takes to save every icon of Wine's
// shell32.dll (from its first pass, "保存：1个", to "保存完毕！"), against `iconextract.exe save-all` on the same
// file and against the same saves made in a plain loop in this process, all in the same run. The
// difference is what the batch's per-pass work costs: pending events, status, a fresh read of the
// path, the free-name check.
//
// Run under Wine: wine batch_export_bench.exe [module path] [iconextract.exe path]
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/executable_directory.h"
#include "app/main_window.h"
#include "bench/bench_support.h"
#include "iconaccess/save.h"
#include "listing/icon_list_loader.h"

namespace fs = std::filesystem;
using app::ControlId;

namespace {

using bench::now;
using bench::pumpUntil;
using bench::textOf;

// Presses Yes in the batch's question as soon as it appears.
struct YesAnswerer {
  std::atomic<bool> pressed{false};
  std::thread thread;
  explicit YesAnswerer(DWORD process) {
    thread = std::thread([this, process] {
      for (int i = 0; i < 20000 && !pressed; ++i) {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
          DWORD owner = 0;
          GetWindowThreadProcessId(box, &owner);
          HWND yes = GetDlgItem(box, IDYES);
          if (owner != process || !yes || !IsWindowVisible(box)) continue;
          pressed = true;
          PostMessageW(yes, BM_CLICK, 0, 0);
          return;
        }
        Sleep(1);
      }
    });
  }
  ~YesAnswerer() { thread.join(); }
};

// The moments the status label took its first pass caption and its final one. The question box
// itself is left out: under Wine a message box returns about 2 s after its button is pressed.
struct PassClock {
  static inline double first = 0;
  static inline double last = 0;
  static inline WNDPROC original = nullptr;
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
      const std::wstring text = reinterpret_cast<const wchar_t*>(lParam);
      if (text == L"保存：1个") first = now();
      if (text == L"保存完毕！" || text.rfind(L"失败：", 0) == 0) last = now();
    }
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
  }
};

double timeBatch(const std::wstring& path, int count) {
  const fs::path folder = fs::path(app::executableDirectory()) / L"icon";
  std::error_code ec;
  fs::remove_all(folder, ec);
  app::MainWindow window;
  if (!window.create(GetModuleHandleW(nullptr))) return 0;
  window.show(SW_SHOWNORMAL);
  SetWindowTextW(window.control(ControlId::编辑框1), path.c_str());
  const std::wstring listed = L"共" + std::to_wstring(count) + L"个";
  SendMessageW(window.control(ControlId::按钮1), BM_CLICK, 0, 0);
  pumpUntil(window, [&] { return textOf(window.control(ControlId::标签3)) == listed; });
  pumpUntil(window, [] { return listing::runningIconListLoads() == 0; });

  HWND label = window.control(ControlId::标签3);
  PassClock::original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassClock::proc)));
  {
    YesAnswerer answerer(GetCurrentProcessId());
    // The click runs the whole batch before it returns, as a click of the user's does.
    SendMessageW(window.control(ControlId::按钮4), BM_CLICK, 0, 0);
  }
  const double seconds = PassClock::last - PassClock::first;
  const std::wstring status = textOf(window.control(ControlId::标签3));
  int files = 0;
  for (const auto& e : fs::directory_iterator(folder, ec)) files += e.is_regular_file() ? 1 : 0;
  if (status != L"保存完毕！" || files != count) {
    std::printf("batch did not complete: %d files, status %ls\n", files, status.c_str());
  }
  fs::remove_all(folder, ec);
  return seconds;
}

double timeCli(const std::wstring& cli, const std::wstring& path) {
  const fs::path folder = fs::temp_directory_path() / L"iconx-bench-cli";
  std::error_code ec;
  fs::remove_all(folder, ec);
  std::wstring command = L"\"" + cli + L"\" save-all \"" + path + L"\" \"" + folder.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 0;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double seconds = now() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  fs::remove_all(folder, ec);
  return seconds;
}

double timeLoop(const std::wstring& path) {
  const fs::path folder = fs::temp_directory_path() / L"iconx-bench-loop";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  const double start = now();
  iconaccess::IconSource source = iconaccess::IconSource::open(path);
  for (int n = 1; n <= source.count(); ++n) {
    iconaccess::saveIcon(source, n, folder / (std::to_wstring(n) + L".ico"));
  }
  const double seconds = now() - start;
  fs::remove_all(folder, ec);
  return seconds;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring path = bench::moduleArgument(argc, argv);
  const std::wstring cli = argc > 2 ? std::wstring(argv[2])
                                    : (fs::path(app::executableDirectory()) / L".." / L"cli" /
                                       L"iconextract.exe").wstring();
  const int count = iconaccess::countIcons(path);
  if (count < 1) {
    std::fprintf(stderr, "no icons in %ls\n", path.c_str());
    return 1;
  }
  constexpr int kRuns = 5;
  std::vector<double> batch, tool, loop;
  timeLoop(path);  // warm the file cache for all three
  for (int i = 0; i < kRuns; ++i) {
    batch.push_back(timeBatch(path, count));
    tool.push_back(timeCli(cli, path));
    loop.push_back(timeLoop(path));
  }
  std::printf("Saving all %d icons of %ls (median of %d)\n", count, path.c_str(), kRuns);
  std::printf("batch export (\"保存：1个\" to \"保存完毕！\"): %8.0f ms\n", median(batch) * 1000);
  std::printf("iconextract.exe save-all (process):     %8.0f ms\n", median(tool) * 1000);
  std::printf("the same saves in a plain loop:         %8.0f ms\n", median(loop) * 1000);
  return 0;
}
