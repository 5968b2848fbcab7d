#include "folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace app {

namespace {

struct ItemListDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListDeleter>;

// The browser's tree and edit box are COM objects: the calling thread must be in a
// single-threaded apartment. Joins one if the thread has none and leaves it again afterwards.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

}  // namespace

std::wstring browseForFolder(HWND owner, const std::wstring& title) {
  ComApartment apartment;
  wchar_t displayName[MAX_PATH] = {};  // the chosen item's display name; only the path matters
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_EDITBOX;
  const ItemList chosen(SHBrowseForFolderW(&info));
  if (!chosen) return {};
  std::vector<wchar_t> path(32768, L'\0');
  if (!SHGetPathFromIDListEx(chosen.get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
    return {};
  }
  return path.data();
}

}  // namespace app
