// The values of the Uninstall entry <appName>_new, worked out without touching the system.
//
// The system's list of installed programs reads the first three (DisplayName, UninstallString,
// DisplayIcon). Deployment tools read the rest: winget, Intune and Configuration Manager compare
// DisplayVersion to decide on upgrades and detect the product by it, show Publisher, and run
// QuietUninstallString to remove the product without questions; Apps & Features shows
// EstimatedSize and InstallDate, and offers neither Modify nor Repair, which this installer
// does not have.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the entry is made of; the step fills it from the engine and the clock.
struct UninstallEntryFacts {
  std::string appName;
  std::string uninstallCommand;  // the shortcut step's command line; never empty here
  std::string uninstallIcon;     // empty: no DisplayIcon
  std::string version;           // the payload's version string
  std::string companyName;
  std::string installRoot;  // the company folder, with its trailing backslash
  SYSTEMTIME localTime = {};  // when the product was installed, local time
  uint64_t placedBytes = 0;   // what extraction wrote during this run
};

struct UninstallValue {
  std::string name;
  DWORD type = REG_SZ;  // REG_SZ (text) or REG_DWORD (number)
  std::string text;
  DWORD number = 0;
};

// HKLM's sub-key of the entry: Software\Microsoft\Windows\CurrentVersion\Uninstall\<appName>_new.
std::string UninstallKeyPath(const std::string& appName);

// The values in the order they are written: DisplayName, UninstallString, DisplayIcon (only when
// there is an icon), DisplayVersion, Publisher, InstallLocation, InstallDate, EstimatedSize,
// NoModify, NoRepair, QuietUninstallString (only when the command line's last argument is the
// uninstall program's "TRUE"/"FALSE").
std::vector<UninstallValue> UninstallEntryValues(const UninstallEntryFacts& facts);

// "YYYYMMDD" of |localTime|, the form Apps & Features reads: 2026-03-07 gives "20260307".
std::string InstallDateText(const SYSTEMTIME& localTime);

// |bytes| in KiB, rounded up (1 byte is 1 KiB, 1024 bytes are 1 KiB, 1025 are 2); a size past
// what a DWORD holds answers 0xFFFFFFFF.
DWORD EstimatedSizeKiB(uint64_t bytes);

// |uninstallCommand| with "TRUE" as its last argument, which makes the uninstall program remove
// the product without asking: a command that ends in "FALSE" (quoted) gets "TRUE" instead, one
// that ends in "TRUE" (any case) stays as it is. Any other command answers "": it is not one the
// shortcut step builds, and guessing would give a quiet command that asks.
std::string QuietUninstallCommand(const std::string& uninstallCommand);
