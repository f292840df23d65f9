// Earlier installations of the product made by a Windows Installer package: which Uninstall
// entries they are and how each is removed. CInstaller::ProcessOldVersion walks the machine's
// Uninstall key with these.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The machine's Uninstall key below HKEY_LOCAL_MACHINE (the 32-bit view for this program).
constexpr const char* kUninstallKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Buffer sizes, terminating NUL included, of an Uninstall subkey name and of a DisplayName: a
// longer one cannot be read and its entry is skipped.
constexpr DWORD kUninstallNameBufferSize = 256;
constexpr DWORD kDisplayNameBufferSize = 256;

// The DisplayName an earlier package of |appName| registered: |appName| itself, except that the
// product TallysetAdmin (in any case) was packaged as "Tallyset Admin".
std::string OldVersionDisplayName(const std::string& appName);

// True when |subKeyName| holds |appName| + "_new" anywhere (case-sensitive): the entries this
// installer registers itself, which are never removed.
bool IsOwnUninstallEntry(const std::string& subKeyName, const std::string& appName);

// True when the Uninstall entry |subKeyName| with |displayName| is an earlier Windows Installer
// installation of |appName|: not one of this installer's own entries, and a DisplayName equal to
// OldVersionDisplayName(appName) as a whole string, case-sensitively (lstrcmpA). A DisplayName
// with a version after the name, or in another case, is a different product and stays.
bool IsOldVersionEntry(const std::string& subKeyName, const std::string& displayName,
                       const std::string& appName);

// "MSIEXEC /x <productCode> /qb": uninstall |productCode| with the basic user interface.
std::string MsiexecCommandLine(const std::string& productCode);

// The system's msiexec.exe by full path (the system folder + "\msiexec.exe"), so that no
// msiexec.exe lying next to the installer or in its current folder is run instead. "" when the
// system folder cannot be read.
std::string SystemMsiexecPath();

// Walks the subkeys of |uninstallKey| (opened with at least KEY_READ) by index from 0 until the
// system says there are no more, and calls |remove| with the name of each one that
// IsOldVersionEntry accepts, before the walk goes on (the subkey is closed by then). A subkey
// whose name does not fit kUninstallNameBufferSize, that cannot be opened with KEY_READ, or whose
// DisplayName is missing or does not fit kDisplayNameBufferSize is skipped silently. The index
// moves on by one after every subkey, whatever |remove| did with it.
void ForEachOldVersionEntry(HKEY uninstallKey, const std::string& appName,
                            const std::function<void(const std::string&)>& remove);
