// The control operations of the main window: the only way the handlers (listing, exports, source
// selection) read and write the window. Every operation is carried out on the GUI thread; called
// from another thread it is sent there and the caller waits until the control has applied it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace app {

class Controls {
 public:
  virtual ~Controls() = default;

  // The main window: owner of the dialogs. Null once it has been destroyed.
  virtual HWND window() const = 0;
  // False once the main window has been destroyed; then every other operation does nothing and
  // reads return empty values (-1 for selections, 0 for counts).
  virtual bool alive() const = 0;

  // 标签3, the status label.
  virtual void setStatus(const std::wstring& caption) = 0;
  // 编辑框1, the source path.
  virtual std::wstring sourcePath() = 0;
  virtual void setSourcePath(const std::wstring& path) = 0;
  // 组合框1: 0 "16X16", 1 "32X32", 2 "48X48", -1 nothing selected.
  virtual int sizeChoice() = 0;
  // 超级列表框1.
  virtual int selectedItem() = 0;  // first selected item (LVNI_SELECTED from -1), -1 when none
  virtual int itemCount() = 0;
  virtual void deleteAllItems() = 0;
  virtual void appendItem(const std::wstring& text, int imageIndex) = 0;
  // The list view keeps a copy; the caller still owns and releases the list it passed.
  virtual void setImageList(HIMAGELIST list) = 0;

  // Dispatches every message waiting for the GUI thread (with the main window's own key handling)
  // and returns when the queue is empty or the next message is WM_QUIT, which stays queued.
  // GUI thread only.
  virtual void handlePendingEvents() = 0;
};

}  // namespace app
