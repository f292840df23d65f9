// The progress dialog: a small modal window with a status line and a progress bar (template
// IDD_PROGRESS, 137) while a worker function runs on a thread of its own. It opens centred over
// the window that owns it.
//
// On the worker's thread the dialog is the main window (AfxGetMainWnd): message boxes the worker
// shows belong to it (to the application's main window once the dialog has gone).
//
// The worker gets the dialog's ProgressContext. It may send WM_UPD_SET_POS and WM_UPD_SET_TEXT to
// |dialogWindow| with SendMessageA, after checking IsWindow(dialogWindow) and that |terminated| is
// 0; it must not end the dialog itself. Its result decides the end code: true 1, false 2.
//
// The user stops the dialog with Escape or the close command: |terminated| is set, the status line
// reads "Termination Initiated..", and the dialog ends with 0x10002 at most about a second later
// (after "Termination Complete ..Shutting Down !!" when the worker is still busy after half a
// second). The worker is never killed: it is expected to notice |terminated| and return, and Show
// and Cleanup wait for it, so a worker can never be cut off holding a lock or in the middle of a
// file.
#pragma once

#include <windows.h>

#include <string>

#include "support/UniqueHandle.h"
#include "ui/ProgressContext.h"

class CDialog;

// End codes of the progress dialog.
constexpr int kUPDialogWorkerSucceeded = 1;
// The worker returned false, or its thread could not be created.
constexpr int kUPDialogWorkerFailed = 2;
// Stopped at the user's request.
constexpr int kUPDialogTerminated = 0x10002;

// The dialog procedure of the progress dialog; WM_INITDIALOG's lParam is the CUPDialog.
INT_PTR CALLBACK UPDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The worker thread's procedure; |parameter| is the dialog's ProgressContext. Runs the worker
// (unless the dialog is already shutting down), then, when the dialog was not stopped, posts
// WM_UPD_FINISHED with the end code. Answers 0.
DWORD WINAPI UPDialogThread(LPVOID parameter);

// The first bytes of |text|, at most |maxBytes| of them, never splitting a double-byte character of
// code page |codePage|.
std::string CaptionPrefix(const char* text, size_t maxBytes, UINT codePage = CP_ACP);

class CUPDialog {
 public:
  using Worker = bool (*)(ProgressContext* context);

  // |owner|: the window object that shows the dialog (its window is the dialog's parent); may be
  // null. |userData| is handed to the worker untouched. |caption| is cut to 255 bytes. When
  // |cancelAllowed| is false the close command is greyed out from the start (Escape still stops
  // the dialog).
  CUPDialog(CDialog* owner, Worker worker, void* userData, const char* caption, bool cancelAllowed);
  // Runs Cleanup.
  virtual ~CUPDialog();

  CUPDialog(const CUPDialog&) = delete;
  CUPDialog& operator=(const CUPDialog&) = delete;

  // Shows the dialog modally and starts the worker. Answers the end code (1, 2 or 0x10002), or -1
  // when the dialog cannot be created (then no worker runs). Returns only after the dialog has
  // ended and the worker has returned, so the caller may report the outcome and release what the
  // worker used. One object can be shown again.
  int Show();
  // The installation attempt the worker runs (ProgressContext::attempt); set before Show.
  void SetAttempt(InstallRun* attempt) { context_.attempt = attempt; }

  // Tells a worker that still runs to stop (|terminated|) and waits until it has returned, then
  // forgets the thread and clears the context's state (|running|, |terminated|, |dialogWindow|).
  // While waiting it still answers messages sent to this thread and repaints its windows, so a
  // worker inside SendMessageA is never left waiting on it; it takes no input.
  void Cleanup();

  // The caption as the dialog shows it.
  const char* GetCaption() const { return caption_; }

 private:
  friend INT_PTR CALLBACK UPDialogProc(HWND, UINT, WPARAM, LPARAM);

  BOOL OnInitDialog(HWND dialog);
  void Terminate(HWND dialog);
  void WaitForWorker();

  HWND parentWindow_;
  bool cancelAllowed_;
  UniqueHandle workerThread_;
  char caption_[256] = {};
  ProgressContext context_;
};
