// Removing the product's earlier Windows Installer installations before this one is placed.
#include "engine/OldVersions.h"

#include <memory>
#include <type_traits>
#include <vector>

#include "engine/HiddenProcess.h"
#include "engine/Installer.h"
#include "support/Log.h"

namespace {

struct RegistryKeyClose {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
// An open registry key, closed when the owner goes.
using RegistryKeyOwner = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyClose>;

RegistryKeyOwner OpenForReading(HKEY parent, const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return RegistryKeyOwner(key);
}

// The DisplayName of |entry|; false when it is missing or does not fit the buffer.
bool ReadDisplayName(HKEY entry, std::string& displayName) {
  char buffer[kDisplayNameBufferSize] = {};
  DWORD size = sizeof(buffer);
  if (RegQueryValueExA(entry, "DisplayName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  // A value stored without its terminator still ends at the bytes it has.
  displayName.assign(buffer, strnlen(buffer, size));
  return true;
}

}  // namespace

std::string OldVersionDisplayName(const std::string& appName) {
  return lstrcmpiA(appName.c_str(), "TallysetAdmin") == 0 ? "Tallyset Admin" : appName;
}

bool IsOwnUninstallEntry(const std::string& subKeyName, const std::string& appName) {
  return subKeyName.find(appName + "_new") != std::string::npos;
}

bool IsOldVersionEntry(const std::string& subKeyName, const std::string& displayName,
                       const std::string& appName) {
  if (IsOwnUninstallEntry(subKeyName, appName)) return false;
  return lstrcmpA(displayName.c_str(), OldVersionDisplayName(appName).c_str()) == 0;
}

std::string MsiexecCommandLine(const std::string& productCode) {
  return "MSIEXEC /x " + productCode + " /qb";
}

std::string SystemMsiexecPath() {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(folder, length) + "\\msiexec.exe";
}

void ForEachOldVersionEntry(HKEY uninstallKey, const std::string& appName,
                            const std::function<void(const std::string&)>& remove) {
  // The entries are collected first and removed afterwards: an uninstaller deletes its key, and
  // removing while enumerating by index would shift the next entry onto the index just read and
  // skip it, leaving a second old installation in place.
  std::vector<std::string> matching;
  for (DWORD index = 0;; ++index) {
    char name[kUninstallNameBufferSize] = {};
    DWORD nameLength = kUninstallNameBufferSize;
    const LONG status =
        RegEnumKeyExA(uninstallKey, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;  // a name too long for the buffer, for one

    const std::string subKeyName(name, nameLength);
    bool matches = false;
    {  // the subkey is closed before its uninstaller runs and deletes it
      const RegistryKeyOwner entry = OpenForReading(uninstallKey, name);
      std::string displayName;
      matches = entry && ReadDisplayName(entry.get(), displayName) &&
                IsOldVersionEntry(subKeyName, displayName, appName);
    }
    if (matches) matching.push_back(subKeyName);
  }
  for (const std::string& productCode : matching) remove(productCode);
}

void CInstaller::ProcessOldVersion() {
  theLog.EnterFunction("ProcessOldVersion()", nullptr);
  const RegistryKeyOwner uninstallKey = OpenForReading(HKEY_LOCAL_MACHINE, kUninstallKeyPath);
  if (!uninstallKey) {
    ReportMessage("Open register key failed.");
    return;
  }
  const std::string msiexec = SystemMsiexecPath();
  ForEachOldVersionEntry(uninstallKey.get(), appName, [&](const std::string& productCode) {
    // Each removal is awaited, so the next one (and the installation) never overlaps it.
    DWORD error = 0;
    if (!RunHiddenAndWait(msiexec, MsiexecCommandLine(productCode), &error)) {
      ReportMessage(SystemMessageText(error));
    }
  });
  theLog.LeaveFunction("ProcessOldVersion()");
}
