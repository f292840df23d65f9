// The Uninstall entry that lets the system's list of installed programs show the product and
// start its uninstall program, and that deployment tools detect the product by.
#include <algorithm>

#include "engine/Installer.h"
#include "engine/UninstallValues.h"
#include "rollback/RunChanges.h"
#include "support/CallFailure.h"
#include "support/Log.h"
#include "support/RegisterKey.h"

namespace {

// The values of |values| that the run may write: all recorded first, with the key when the write
// creates it. All of them when the run records nothing; one that cannot be recorded (logged) is
// left as it is.
std::vector<UninstallValue> RecordedValues(rollback::RunChanges* changes,
                                           const std::string& keyPath,
                                           const std::vector<UninstallValue>& values) {
  if (!changes) return values;
  std::vector<std::string> names;
  for (const UninstallValue& value : values) names.push_back(value.name);
  const std::vector<std::string> prepared =
      changes->Journal().PrepareValueWrites(HKEY_LOCAL_MACHINE, keyPath, names);
  std::vector<UninstallValue> recorded;
  for (const UninstallValue& value : values) {
    if (std::find(prepared.begin(), prepared.end(), value.name) != prepared.end()) {
      recorded.push_back(value);
    }
  }
  return recorded;
}

// A run without an uninstall program writes no entry, so an entry an earlier installation made
// stays as it was and goes on naming that installation's folder and uninstall command: detection
// tools and the system's list of programs then point at the old tree. The log says so.
void WarnOfEntryLeftAsItWas(const std::string& keyPath, const std::string& installRoot) {
  CRegisterKey key;
  if (key.OpenExisting(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS) return;
  std::string location;
  if (key.ReadString("InstallLocation", location) != ERROR_SUCCESS) location = "(none)";
  std::string command;
  if (key.ReadString("UninstallString", command) != ERROR_SUCCESS) command = "(none)";
  theLog.Write(("Warning: the package has no uninstall program, so the Uninstall entry HKLM\\" +
                keyPath + " is left as it was: InstallLocation " + location +
                ", UninstallString " + command + "; this installation is in " + installRoot +
                ".")
                   .c_str());
}

}  // namespace

void CInstaller::RegisterUninstall() {
  // The command line comes from the uninstall program's shortcut; without one there is nothing
  // the entry could start, so no key is made at all.
  if (uninstallCommand.empty()) {
    WarnOfEntryLeftAsItWas(UninstallKeyPath(appName), installRoot);
    return;
  }
  UninstallEntryFacts facts;
  facts.appName = appName;
  facts.uninstallCommand = uninstallCommand;
  facts.uninstallIcon = uninstallIcon;
  facts.version = version;
  facts.companyName = companyName;
  facts.installRoot = installRoot;
  GetLocalTime(&facts.localTime);
  // ExePathInfo follows the entry at once in both run modes; its bytes are the version folder.
  const bool writesExePathInfo = lstrcmpiA(justHelper.c_str(), "TRUE") != 0;
  facts.placedBytes = placedBytes + (writesExePathInfo ? GetVersionFolder().size() : 0);

  const std::string keyPath = UninstallKeyPath(appName);
  const std::string keyName = "HKLM\\" + keyPath;
  const std::vector<UninstallValue> values =
      RecordedValues(runChanges, keyPath, UninstallEntryValues(facts));
  if (values.empty()) return;
  CRegisterKey key;
  const LONG opened = key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_WRITE);
  // The entry helps to find and remove the product but is not needed for it to run: a failure
  // is logged and the installation goes on.
  if (opened != ERROR_SUCCESS) {
    LogCallFailure("RegCreateKeyExA", keyName, opened);
    return;
  }
  // Only these values are written: anything else an administrator put into the key stays.
  for (const UninstallValue& value : values) {
    const LONG written = value.type == REG_DWORD ? key.WriteDword(value.name, value.number)
                                                 : key.WriteString(value.name, value.text.c_str());
    if (written != ERROR_SUCCESS) {
      LogCallFailure("RegSetValueExA", keyName + "\\" + value.name, written);
    }
  }
}
