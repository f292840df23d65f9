#include "startup/ElevatedRelaunch.h"

#include <shellapi.h>

#include "support/Log.h"
#include "support/UniqueHandle.h"

RelaunchResult RelaunchElevatedAndWait(const std::string& exePath, const std::string& parameters) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  // The process handle is needed to wait for the copy; without FLAG_NO_UI the shell would show an
  // error box of its own on failure, which an unattended run must never do.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "runas";
  info.lpFile = exePath.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;

  RelaunchResult result;
  theLog.WaitUntilAllFlushed();
  if (!ShellExecuteExA(&info)) {
    result.error = GetLastError();
    return result;
  }
  result.launched = true;
  const UniqueHandle process(info.hProcess);
  if (!process) {
    // Started, but without a handle the outcome cannot be known: never taken for success.
    result.error = ERROR_INVALID_HANDLE;
    return result;
  }

  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) {
    result.error = GetLastError();
    return result;
  }
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.get(), &exitCode)) {
    result.error = GetLastError();
    return result;
  }
  result.exitCode = exitCode;
  return result;
}
