// Helpers for tests that run a dialog on the test's thread and act on it from a second thread, as
// a user would (linked into installer_tests only).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

// Polls |condition| every 10 ms until it holds or |timeoutMs| has passed; answers whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Runs |script| on a thread of its own, then |closeIfOpen|, which must make sure that the dialog
// the test's thread runs has ended (a failed step must not leave the test waiting forever).
// Joined on destruction.
class ScriptThread {
 public:
  ScriptThread(std::function<void()> script, std::function<void()> closeIfOpen);
  ~ScriptThread();
  ScriptThread(const ScriptThread&) = delete;
  ScriptThread& operator=(const ScriptThread&) = delete;

 private:
  std::thread thread_;
};

// A point the script waits for: a test dialog answers the command kSyncCommand by calling Signal.
// Posted after other messages, the command shows that the dialog's thread has handled all of them.
class SyncPoint {
 public:
  static constexpr int kSyncCommand = 0x7F00;

  SyncPoint();
  ~SyncPoint();
  SyncPoint(const SyncPoint&) = delete;
  SyncPoint& operator=(const SyncPoint&) = delete;

  void Signal();
  // Posts kSyncCommand to |dialog| and waits until it has been handled or the dialog has ended;
  // false after 5 s.
  bool PostAndWait(HWND dialog);

 private:
  HANDLE event_;
};

// Handles the messages waiting for this thread, as a message loop does once a window it created
// has been shown (a dialog may leave its first focus request in the queue until then).
void PumpWaitingMessages();

// Posts WM_KEYDOWN and WM_KEYUP of |key| to |window|, as the system queues a key press.
void PostKey(HWND window, UINT key);

// The text stored in |window|, read without sending it a message: it can be read while the
// window's thread is busy.
std::string StoredWindowText(HWND window);

// The window that has the keyboard focus on the thread of |window|.
HWND FocusOnThreadOf(HWND window);

// The control with id |id| anywhere below |parent| (GetDlgItem sees direct children only).
HWND FindDescendant(HWND parent, int id);
