#include "user.h"

#include <commdlg.h>

#include <vector>

namespace user {

namespace {

constexpr int kFileNameCombo = 0x47c;   // cmb13, the name field of the Explorer-style dialog
constexpr int kFileTypeCombo = 0x470;   // cmb1, the file-type list
constexpr int kMessageTextId = 0xffff;  // the text of a message box

struct Search {
  DWORD thread;
  const std::function<bool(HWND)>* match;
  HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  if (GetWindowThreadProcessId(window, nullptr) != search->thread) return TRUE;
  if (!(*search->match)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND owner(HWND window) { return GetWindow(window, GW_OWNER); }

HWND nameEdit(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kFileNameCombo);
  HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
  return edit ? edit : combo;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
  return true;
}

HWND findDialog(DWORD thread, const std::function<bool(HWND)>& match) {
  Search search{thread, &match};
  EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForMessageBox(DWORD thread) {
  HWND box = nullptr;
  waitUntil([&] {
    box = findDialog(thread, [](HWND w) { return owner(w) == nullptr && text(w) == L"信息："; });
    return box != nullptr;
  });
  return box;
}

HWND waitForDialogOwnedBy(DWORD thread, HWND ownerWindow) {
  HWND dialog = nullptr;
  waitUntil([&] {
    dialog = findDialog(thread, [&](HWND w) { return owner(w) == ownerWindow; });
    return dialog != nullptr;
  });
  return dialog;
}

bool waitUntilGone(HWND window) {
  return waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

std::wstring text(HWND window) {
  std::vector<wchar_t> buffer(32768, L'\0');
  SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

std::wstring messageText(HWND box) { return text(GetDlgItem(box, kMessageTextId)); }

void press(HWND dialog, int buttonId) { PostMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

std::wstring fileNameField(HWND dialog) { return text(nameEdit(dialog)); }

void typeFileName(HWND dialog, const std::wstring& name) {
  SendMessageW(nameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

std::wstring fileTypeShown(HWND dialog) { return text(GetDlgItem(dialog, kFileTypeCombo)); }

std::wstring folderShown(HWND dialog) {
  std::vector<wchar_t> buffer(32768, L'\0');
  SendMessageW(dialog, CDM_GETFOLDERPATH, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

std::wstring offeredPath(HWND dialog) {
  const std::wstring name = fileNameField(dialog);
  if (name.empty() || name.find(L'\\') != std::wstring::npos) return name;
  std::wstring folder = folderShown(dialog);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + name;
}

Session::Session(DWORD guiThread, std::function<void()> script) : guiThread_(guiThread) {
  thread_ = std::thread([this, script = std::move(script)] {
    script();
    finished_ = true;
    while (!stopping_) {
      if (HWND stray = findDialog(guiThread_, [](HWND) { return true; })) {
        PostMessageW(stray, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(stray, WM_CLOSE, 0, 0);
      }
      Sleep(50);
    }
  });
}

Session::~Session() { stop(); }

bool Session::stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  return finished_;
}

}  // namespace user
