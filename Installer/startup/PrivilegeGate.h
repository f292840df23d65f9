// Whether the installer may go on with the rights it was started with.
#pragma once

#include <windows.h>

// What the system tells about the user's rights and its own version.
struct PrivilegeFacts {
  bool isAdministrator = false;
  DWORD platformId = 0;    // VER_PLATFORM_WIN32_NT (2) on every system that can elevate
  DWORD majorVersion = 0;  // 6 and later (Vista on) have the "runas" elevation prompt
};

// Reads the facts: IsUserAnAdmin (SHELL32 ordinal 680, looked up at run time; a system without it
// counts as "not an administrator") and GetVersionExA with an OSVERSIONINFOEXA. Should the version
// query fail, platform and version stay 0, which the gate treats as a system too old to elevate.
PrivilegeFacts ReadPrivilegeFacts();

enum class GateDecision {
  kProceed,           // go on in this process
  kRefuseOldSystem,   // not an administrator, and the system cannot elevate: refuse
  kRelaunchElevated,  // not an administrator: start an elevated copy, and end this one
  kRefuseStillNotAdministrator,  // the elevated copy itself has no rights: refuse, never again
};

// A run started by the automatic-update program (|invokedByAutoUpdate|) always proceeds with the
// rights it has. Otherwise an administrator proceeds; anybody else is refused unless the system is
// NT version 6 or later, where the installer relaunches itself elevated, once: a copy that a
// relaunch started (|isElevatedCopy|) and that still is no administrator (user account control
// turned off gives the copy the same rights) is refused instead of relaunching again, endlessly.
GateDecision DecidePrivilegeGate(bool invokedByAutoUpdate, bool isElevatedCopy,
                                 const PrivilegeFacts& facts);
