// The main window of a worker thread: the window that the thread's message boxes belong to
// (AfxGetMainWnd), as the application's main window is for the application's own thread. A worker
// names one for the time of its work; the progress dialog names itself for its worker, so that a
// box the installation shows from there stays above the dialog instead of behind the wizard.
#pragma once

#include <windows.h>

class CThreadMainWindow {
 public:
  // Names |window| as the calling thread's main window until this object goes; the window named
  // before comes back then.
  explicit CThreadMainWindow(HWND window);
  ~CThreadMainWindow();

  CThreadMainWindow(const CThreadMainWindow&) = delete;
  CThreadMainWindow& operator=(const CThreadMainWindow&) = delete;

 private:
  HWND previous_;
};

// The window that the calling thread named (it may have been destroyed since); null when none.
HWND NamedThreadMainWindow();
