// The application object and the framework functions that find it. One CWinApp-derived object,
// constructed during static initialisation, is the program; WinMain (framework/WinMain.cpp) runs
// its InitInstance and then, when asked to, its message loop.
#pragma once

#include <windows.h>

#include <cstdlib>  // __argc, __argv
#include <string>

#include "framework/CommandLineInfo.h"

class CWinApp {
 public:
  // Registers this object as the application (AfxGetApp) and remembers the constructing thread
  // as the application's thread.
  CWinApp();
  // Clears the registration when this object is still the application.
  virtual ~CWinApp();

  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The program's start-up. False ends the process at once; true runs the message loop (Run).
  // The base has nothing to start and answers true.
  virtual bool InitInstance();

  // The message loop of the application's thread. Without a main window there is nothing to wait
  // for and it answers at once. Otherwise it dispatches messages until WM_QUIT (posted by whoever
  // closes the main window), whose code becomes the exit code. Answers the exit code.
  virtual int Run();

  // Walks the process's own arguments (__argc, __argv) into |info|.
  void ParseCommandLine(CCommandLineInfo& info);

  HWND GetMainWnd() const { return mainWnd_; }
  void SetMainWnd(HWND wnd) { mainWnd_ = wnd; }

  // The process's exit code, which WinMain returns; 0 until somebody sets it.
  int GetExitCode() const { return exitCode_; }
  void SetExitCode(int code) { exitCode_ = code; }

  // The thread that constructed the application, on which it runs.
  DWORD GetThreadId() const { return threadId_; }

 private:
  HWND mainWnd_ = nullptr;
  int exitCode_ = 0;
  DWORD threadId_;
};

// The application object, or null when none exists.
CWinApp* AfxGetApp();

// The main window of the calling thread: on the application's thread the application's main
// window; on any other thread (a worker) the window it named (CThreadMainWindow, in
// framework/ThreadMainWindow.h), or, once that has been destroyed, the application's main window;
// null for a worker that named none, so its windows are never parented to another thread's window
// unasked.
HWND AfxGetMainWnd();

// Shows a message box owned by AfxGetMainWnd() and captioned with the application title
// (ApplicationTitle). Answers MessageBoxA's result (0 when the box could not be shown).
int AfxMessageBox(const char* text, UINT type = MB_OK);

// The file name of |exePath| without folder and extension: "C:\Apps\Setup.exe" gives "Setup".
std::string ExecutableTitle(const std::string& exePath);

// ExecutableTitle of the running executable; empty when its path cannot be had.
std::string ApplicationTitle();
