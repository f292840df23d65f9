#include "package/codec/UninstallEntry.h"

namespace payload {

const char kUninstallEntriesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string UninstallEntryName(std::string_view appName) {
  // The "_new" suffix keeps this installer's entries apart from the Windows Installer entries
  // that the installer removes by display name.
  return std::string(appName) + "_new";
}

}  // namespace payload
