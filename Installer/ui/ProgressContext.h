// The record shared between the progress dialog and its worker thread: the worker reports
// progress to dialogWindow with synchronous messages and learns from |terminated| that the
// dialog is shutting down.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// The progress dialog's private messages. Every one answers true (handled).
// Greys out the close command and disables a Cancel button, when the dialog has them.
constexpr UINT WM_UPD_DISABLE_CANCEL = 0x08D2;
// wParam: the end code. Posted by the worker thread when the worker has returned; ends the dialog.
constexpr UINT WM_UPD_FINISHED = 0x08D3;
// wParam: the percentage, 0 to 100.
constexpr UINT WM_UPD_SET_POS = 0x08D4;
// lParam: a NUL-terminated status text, valid only during the call.
constexpr UINT WM_UPD_SET_TEXT = 0x08D5;
// The user asked to stop (Escape or the close command): tells the worker and ends the dialog.
constexpr UINT WM_UPD_TERMINATE = 0x08D6;

class InstallRun;

struct ProgressContext {
  HWND dialogWindow = nullptr;
  void* userData = nullptr;  // the installer's: a pointer to the shared 32-bit percentage
  std::atomic<uint8_t> running{0};
  std::atomic<uint8_t> terminated{0};  // set when the dialog begins to shut down
  void* owner = nullptr;               // the window object that created the dialog
  bool (*worker)(ProgressContext* context) = nullptr;
  // The installation attempt that the installer's worker (InstallWorker) runs; null otherwise.
  InstallRun* attempt = nullptr;
};
