// How long the real main window takes to list Wine's shell32.dll, from the click of 按钮1 to
// "共N个", at 16, 32 and 48 px; against the straightforward listing (ExtractIconW for each index,
// ImageList_AddIcon, then each item inserted and the status set while the list view repaints as
// usual), timed in the same run on the same kind of window. Also the longest time the GUI thread
// went without handling a message during each load, as a second thread sees it: it keeps sending
// the window WM_NULL and times every answer.
//
// Run under Wine: wine window_listing_bench.exe [module path]
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench/bench_support.h"
#include "listing/icon_list_loader.h"

namespace {

using bench::now;
using bench::pumpUntil;
using bench::textOf;

using app::ControlId;

constexpr int kSides[] = {16, 32, 48};  // by the selection of 组合框1

// Sends WM_NULL to the window again and again from another thread and keeps the longest wait for
// an answer: the longest time the GUI thread went without handling a message.
class StallProbe {
 public:
  explicit StallProbe(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const double start = now();
            DWORD_PTR ignored;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            longest_ = std::max(longest_.load(), now() - start);
            Sleep(1);
          }
          finished_ = true;
        }) {}
  // Keeps answering the probe while it winds down, so that its last send is not held up by us.
  double stop(const std::function<void(const std::function<bool()>&)>& pumpUntil) {
    stop_ = true;
    pumpUntil([this] { return finished_.load(); });
    thread_.join();
    return longest_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

struct Run {
  double seconds = 0;
  double longestStall = 0;
  int items = 0;
};

// The straightforward listing, on a worker thread, each control operation sent to the GUI thread.
void straightforwardLoad(HWND list, HWND status, std::wstring path, int side) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  const int count = static_cast<int>(reinterpret_cast<INT_PTR>(ExtractIconW(self, path.c_str(), ~0u)));
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"请稍后..."));
  HIMAGELIST images = ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 0, 1);
  for (int i = 0; i < count; ++i) {
    HICON icon = ExtractIconW(self, path.c_str(), static_cast<UINT>(i));
    if (!icon) continue;
    ImageList_AddIcon(images, icon);
    DestroyIcon(icon);
  }
  HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
      SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
  if (old) ImageList_Destroy(old);
  for (int j = 1; j <= count; ++j) {
    std::wstring text = std::to_wstring(j);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = j - 1;
    item.pszText = text.data();
    item.iImage = j - 1;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    std::wstring caption = L"共" + text + L"个";
    SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
  }
}

Run timeOne(bool straightforward, const std::wstring& path, int choice, int expected) {
  app::MainWindow window;
  if (!window.create(GetModuleHandleW(nullptr))) return {};
  window.show(SW_SHOWNORMAL);
  HWND list = window.control(ControlId::超级列表框1);
  HWND status = window.control(ControlId::标签3);
  SetWindowTextW(window.control(ControlId::编辑框1), path.c_str());
  SendMessageW(window.control(ControlId::组合框1), CB_SETCURSEL, choice, 0);
  pumpUntil(window, [] { return true; });  // shown and painted before the clock starts

  const std::wstring done = L"共" + std::to_wstring(expected) + L"个";
  StallProbe probe(window.window());
  std::thread worker;
  const double start = now();
  if (straightforward) {
    const int side = kSides[choice];
    worker = std::thread(straightforwardLoad, list, status, path, side);
  } else {
    SendMessageW(window.control(ControlId::按钮1), BM_CLICK, 0, 0);
  }
  pumpUntil(window, [&] { return textOf(status) == done; });
  Run run;
  run.seconds = now() - start;
  run.longestStall =
      probe.stop([&](const std::function<bool()>& done) { pumpUntil(window, done); });
  run.items = ListView_GetItemCount(list);
  if (worker.joinable()) {
    pumpUntil(window, [] { return true; });
    worker.join();
  }
  pumpUntil(window, [] { return listing::runningIconListLoads() == 0; });
  return run;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring path = bench::moduleArgument(argc, argv);
  const int count = static_cast<int>(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0));
  if (count < 1) {
    std::fprintf(stderr, "no icons in %ls\n", path.c_str());
    return 1;
  }
  std::printf("Listing %ls (%d icons) in the main window, click of 按钮1 to \"共%d个\"\n",
              path.c_str(), count, count);
  std::printf("%-6s %14s %14s %7s %17s %17s\n", "size", "this program", "straightforward",
              "ratio", "stall (program)", "stall (straight.)");

  timeOne(false, path, 1, count);  // warm the file cache for both
  bool met = true;
  for (int choice = 0; choice < 3; ++choice) {
    const int side = kSides[choice];
    // The program's load is short: take the median of five.
    std::vector<Run> runs;
    for (int i = 0; i < 5; ++i) runs.push_back(timeOne(false, path, choice, count));
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    const Run fast = runs[runs.size() / 2];
    double longestStall = 0;
    for (const Run& r : runs) longestStall = std::max(longestStall, r.longestStall);
    const Run slow = timeOne(true, path, choice, count);
    const double ratio = fast.seconds / slow.seconds;
    std::printf("%2dx%-3d %12.0f ms %12.0f ms %7.3f %14.1f ms %14.1f ms\n", side, side,
                fast.seconds * 1000, slow.seconds * 1000, ratio, longestStall * 1000,
                slow.longestStall * 1000);
    met = met && ratio <= 0.1 && longestStall <= 0.050 && fast.items == count;
  }
  std::printf("targets (ratio <= 0.1, no stall over 50 ms): %s\n", met ? "met" : "missed");
  return 0;
}
