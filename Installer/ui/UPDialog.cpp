#include "ui/UPDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "framework/CenterWindow.h"
#include "framework/Dialog.h"
#include "framework/ThreadMainWindow.h"
#include "res/resource.h"
#include "support/Log.h"

namespace {

constexpr DWORD kTerminationWaitMs = 500;

// Sets the status line and paints it at once: while the dialog waits for the worker it handles
// no messages, and the text would otherwise only show after the wait.
void ShowStatus(HWND dialog, const char* text) {
  SetDlgItemTextA(dialog, IDC_PROGRESS_STATUS, text);
  UpdateWindow(GetDlgItem(dialog, IDC_PROGRESS_STATUS));
}

void LogFailure(const char* what, DWORD error) {
  char line[160];
  std::snprintf(line, sizeof(line), "%s (error %lu).", what, error);
  theLog.Write(line);
}

}  // namespace

std::string CaptionPrefix(const char* text, size_t maxBytes, UINT codePage) {
  if (text == nullptr) return {};
  size_t end = 0;
  while (text[end] != '\0') {
    const bool pair =
        IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[end])) && text[end + 1] != '\0';
    const size_t length = pair ? 2 : 1;
    if (end + length > maxBytes) break;
    end += length;
  }
  return std::string(text, end);
}

CUPDialog::CUPDialog(CDialog* owner, Worker worker, void* userData, const char* caption,
                     bool cancelAllowed)
    : parentWindow_(owner ? owner->GetSafeHwnd() : nullptr), cancelAllowed_(cancelAllowed) {
  context_.userData = userData;
  context_.worker = worker;
  context_.owner = owner;
  const std::string text = CaptionPrefix(caption, sizeof(caption_) - 1);
  std::memcpy(caption_, text.data(), text.size());
}

CUPDialog::~CUPDialog() { Cleanup(); }

int CUPDialog::Show() {
  Cleanup();
  const INT_PTR code = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                       parentWindow_, UPDialogProc, reinterpret_cast<LPARAM>(this));
  // DialogBoxParamA answers -1, or 0 for a parent window that no longer exists; either way the
  // dialog never started (WM_INITDIALOG records the window) and no worker ran.
  if (context_.dialogWindow == nullptr) {
    LogFailure("The progress dialog could not be shown", GetLastError());
    return -1;
  }
  // After a stop the dialog has ended while the worker may still finish its current step.
  WaitForWorker();
  return static_cast<int>(code);
}

void CUPDialog::Cleanup() {
  context_.terminated = 1;  // a worker that still runs stops at its next check
  WaitForWorker();
  workerThread_.reset();
  context_.running = 0;
  context_.terminated = 0;
  context_.dialogWindow = nullptr;
}

void CUPDialog::WaitForWorker() {
  if (!workerThread_) return;
  HANDLE thread = workerThread_.get();
  for (;;) {
    const DWORD woken =
        MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE | QS_PAINT);
    if (woken != WAIT_OBJECT_0 + 1) return;  // the thread ended (or the wait itself failed)
    // Peeking delivers the messages sent to this thread; only paint messages are taken from the
    // queue, so no input reaches the owner's windows before the worker has returned.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageA(&msg);
  }
}

BOOL CUPDialog::OnInitDialog(HWND dialog) {
  if (!cancelAllowed_) SendMessageA(dialog, WM_UPD_DISABLE_CANCEL, 0, 0);
  SetDlgItemTextA(dialog, IDC_PROGRESS_STATUS, "");
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
  SetWindowTextA(dialog, caption_);
  // The template puts the dialog at its owner's top-left corner, over the owner's title.
  CenterOverOwner(dialog);
  SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  context_.dialogWindow = dialog;
  workerThread_.reset(CreateThread(nullptr, 0, UPDialogThread, &context_, 0, nullptr));
  if (!workerThread_) {
    LogFailure("The progress dialog's worker thread could not be created", GetLastError());
    EndDialog(dialog, kUPDialogWorkerFailed);
  }
  return TRUE;
}

void CUPDialog::Terminate(HWND dialog) {
  context_.terminated = 1;
  ShowStatus(dialog, "Termination Initiated..");
  SendMessageA(dialog, WM_UPD_DISABLE_CANCEL, 0, 0);
  if (context_.running == 1) {
    Sleep(kTerminationWaitMs);
    if (context_.running == 1) {
      ShowStatus(dialog, "Termination Complete ..Shutting Down !!");
      if (context_.running == 1) Sleep(kTerminationWaitMs);
    }
  }
  // The dialog ends now whatever the worker does; Show waits for the worker afterwards.
  EndDialog(dialog, kUPDialogTerminated);
}

INT_PTR CALLBACK UPDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return reinterpret_cast<CUPDialog*>(lParam)->OnInitDialog(dialog);
    case WM_COMMAND:
      // The dialog manager turns Escape into IDCANCEL.
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      SendMessageA(dialog, WM_UPD_TERMINATE, 0, 0);
      return TRUE;
    case WM_SYSCOMMAND:
      if (wParam != SC_CLOSE) return FALSE;
      SendMessageA(dialog, WM_UPD_TERMINATE, 0, 0);
      return TRUE;
    case WM_UPD_DISABLE_CANCEL: {
      EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE,
                     MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
      const HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel != nullptr) EnableWindow(cancel, FALSE);
      return TRUE;
    }
    case WM_UPD_FINISHED:
      EndDialog(dialog, static_cast<INT_PTR>(wParam));
      return TRUE;
    case WM_UPD_SET_POS:
      SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, wParam, 0);
      return TRUE;
    case WM_UPD_SET_TEXT:
      SendDlgItemMessageA(dialog, IDC_PROGRESS_STATUS, WM_SETTEXT, 0, lParam);
      return TRUE;
    case WM_UPD_TERMINATE: {
      auto* self = reinterpret_cast<CUPDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
      if (self != nullptr) self->Terminate(dialog);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

DWORD WINAPI UPDialogThread(LPVOID parameter) {
  auto* context = static_cast<ProgressContext*>(parameter);
  uint8_t terminated = context->terminated;
  context->running = 1;
  int code = kUPDialogWorkerFailed;
  if (terminated != 1) {
    // The worker's message boxes belong to the dialog: modal to it and above it. Without an
    // owner a box would open behind the wizard, which takes no input while the dialog runs.
    const CThreadMainWindow boxesBelongTo(context->dialogWindow);
    const bool succeeded = context->worker != nullptr && context->worker(context);
    code = succeeded ? kUPDialogWorkerSucceeded : kUPDialogWorkerFailed;
    terminated = context->terminated;
  }
  context->running = 0;
  // After a stop the dialog has already ended: nothing to tell it.
  if (terminated == 0) {
    PostMessageA(context->dialogWindow, WM_UPD_FINISHED, static_cast<WPARAM>(code), 0);
  }
  return 0;
}
