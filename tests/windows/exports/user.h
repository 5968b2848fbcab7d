// A stand-in user for the Windows tests: on a thread of its own it finds the dialogs that the GUI
// thread opens, reads them, types into them and presses their buttons with real messages, exactly
// as a person at the keyboard would.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace user {

// Polls until the predicate holds or the time is up (then false). For waiting on windows only,
// never as a measurement.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));

// Visible dialog windows (#32770) of the given thread.
HWND findDialog(DWORD thread, const std::function<bool(HWND)>& match);
// The message box of that thread: the program's boxes have no owner and the caption "信息：".
HWND waitForMessageBox(DWORD thread);
// A dialog whose owner is the given window (the file dialog and the folder browser of the main
// window, the replace question of a file dialog).
HWND waitForDialogOwnedBy(DWORD thread, HWND owner);
// Waits until the window no longer exists or is no longer visible.
bool waitUntilGone(HWND window);

std::wstring text(HWND window);
// The text of a message box (its static text control).
std::wstring messageText(HWND box);
// Presses a button of a dialog by its id, as a click would (queued, so the caller never waits on
// a modal loop that the press may start).
void press(HWND dialog, int buttonId);

// The Explorer-style file dialog.
std::wstring fileNameField(HWND dialog);
void typeFileName(HWND dialog, const std::wstring& name);
std::wstring fileTypeShown(HWND dialog);
std::wstring folderShown(HWND dialog);
// The path the dialog offers: a full path in the name field is shown by Wine as its folder's view
// with the bare name in the field, so the two together are what was offered.
std::wstring offeredPath(HWND dialog);

// Runs a script on the user's thread. When the script has finished (or failed part way), the user
// keeps closing any dialog of the GUI thread until stop(), so that a test that goes wrong ends
// instead of waiting on a dialog no one answers.
class Session {
 public:
  Session(DWORD guiThread, std::function<void()> script);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Stops the user and waits for its thread; true when the script ran to its end.
  bool stop();

 private:
  DWORD guiThread_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace user
