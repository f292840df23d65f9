// Starting the installer again with administrator rights.
#pragma once

#include <windows.h>

#include <string>

struct RelaunchResult {
  bool launched = false;  // the elevated copy was started
  DWORD error = 0;        // why it was not started (ERROR_CANCELLED: the prompt was declined),
                          // or why waiting for it failed
  DWORD exitCode = 0;     // the elevated copy's exit code, once it has ended
};

// Waits until the log is on the disk up to this point (the elevated copy appends to the same log,
// and this process then only waits), then starts |exePath| with |parameters| through the shell's
// "runas" verb (the system shows its
// elevation prompt) and waits for that copy to end. The shell shows no error box of its own on
// failure: the caller decides what to tell. A declined prompt answers launched false with error
// ERROR_CANCELLED (1223); other failures to start answer their Win32 error. When the copy was
// started, launched is true and exitCode holds its exit code (0, with no wait, in the rare case
// that the shell hands back no process).
RelaunchResult RelaunchElevatedAndWait(const std::string& exePath, const std::string& parameters);
