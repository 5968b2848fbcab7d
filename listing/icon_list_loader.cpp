#include "icon_list_loader.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/handlers.h"
#include "app/message_box.h"
#include "iconaccess/icon_source.h"
#include "iconaccess/render.h"
#include "iconaccess/win32/image_list.h"

namespace listing {
namespace {

using iconaccess::IconSource;
using iconaccess::Pixels;

// The newest request wins: every start takes a higher ticket, and a load whose ticket is no longer
// the newest stops at its next step without touching a control again.
std::atomic<std::uint64_t> newestTicket{0};
std::atomic<int> runningLoads{0};
// One load at a time works on the controls. A superseded load lets go within one step, so the
// newest never waits long; and as the GUI thread never takes this lock, a load that holds it while
// it waits for the GUI thread cannot deadlock.
std::mutex controlsTurn;

constexpr int kSizes[] = {16, 32, 48};  // by the selection of 组合框1

class Load {
 public:
  Load(app::Controls& controls, std::uint64_t ticket) : controls_(controls), ticket_(ticket) {}

  void run() {
    std::unique_lock turn(controlsTurn);
    if (!current()) return;

    // Each file is parsed once per load; the path is read again for every icon, and a new path
    // read there is parsed once too.
    std::wstring path = controls_.sourcePath();
    IconSource source = IconSource::open(path);
    const int count = source.count();
    if (count < 1) {
      // The box touches no control; let a newer load go ahead while it is open.
      turn.unlock();
      if (current()) app::showMessage(L"资源没图标！", app::kExclamationOk);
      return;
    }

    if (!current()) return;
    controls_.deleteAllItems();
    if (!current()) return;
    controls_.setStatus(L"请稍后...");

    // Three reads of the selection, each test on a fresh one: the list of the last match is held.
    iconaccess::win32::ImageListPtr list;
    int side = 0;
    for (int choice = 0; choice < 3; ++choice) {
      if (!current()) return;
      if (controls_.sizeChoice() == choice) {
        list = iconaccess::win32::createImageList(kSizes[choice], kSizes[choice]);
        side = list ? kSizes[choice] : 0;
      }
    }

    // The pictures are rendered here and handed to the image list in one go. An icon that cannot
    // be rendered keeps its place with a blank picture, so item k always shows icon k or nothing.
    std::vector<std::optional<Pixels>> pictures;
    if (list) pictures.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
      if (!current()) return;
      std::wstring now = controls_.sourcePath();
      if (now != path) {
        source = IconSource::open(now);
        path = std::move(now);
      }
      if (list) pictures.push_back(iconaccess::renderIcon(source.icon(i - 1), side, side));
    }
    if (list) iconaccess::win32::appendPictures(list.get(), pictures);
    pictures = {};

    if (!current()) return;
    controls_.setImageList(list.get());
    for (int j = 1; j <= count; ++j) {
      if (!current()) return;
      controls_.appendItem(std::to_wstring(j), j - 1);
      if (!current()) return;
      controls_.setStatus(L"共" + std::to_wstring(j) + L"个");
    }
  }

 private:
  bool current() const { return newestTicket.load() == ticket_ && controls_.alive(); }

  app::Controls& controls_;
  const std::uint64_t ticket_;
};

void loaderThread(app::Controls* controls, std::uint64_t ticket) {
  try {
    Load(*controls, ticket).run();
  } catch (...) {
    // Out of memory or the like: this load ends; the window and a later load are unaffected.
  }
  --runningLoads;
}

}  // namespace

int runningIconListLoads() { return runningLoads.load(); }

}  // namespace listing

namespace app {

void startIconListLoad(Controls& controls) {
  const std::uint64_t ticket = ++listing::newestTicket;
  ++listing::runningLoads;
  try {
    std::thread(listing::loaderThread, &controls, ticket).detach();
  } catch (...) {
    // The thread could not be started: no load takes place, and nothing is shown.
    --listing::runningLoads;
  }
}

}  // namespace app
