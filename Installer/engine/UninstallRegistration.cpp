// The Uninstall entry that lets the system's list of installed programs show the product and
// start its uninstall program.
#include "engine/Installer.h"
#include "support/RegisterKey.h"

void CInstaller::RegisterUninstall() {
  // The command line comes from the uninstall program's shortcut; without one there is nothing
  // the entry could start, so no key is made at all.
  if (uninstallCommand.empty()) return;
  // The "_new" suffix keeps this installer's entries apart from the Windows Installer entries
  // that ProcessOldVersion removes by display name.
  const std::string key =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appName + "_new";
  // Only these values are written: anything else an administrator put into the key stays.
  WriteMachineString(key, "DisplayName", appName);
  WriteMachineString(key, "UninstallString", uninstallCommand);
  if (!uninstallIcon.empty()) WriteMachineString(key, "DisplayIcon", uninstallIcon);
}
