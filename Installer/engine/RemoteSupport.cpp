// Setting up the UltraVNC server from the version folder.
#include "engine/RemoteSupport.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "engine/HiddenProcess.h"
#include "engine/Installer.h"

std::string UltraVncServerPath(const std::string& programFilesFolder) {
  return programFilesFolder + kUltraVncServerBelowProgramFiles;
}

std::string UltraVncSetupPath(const std::string& versionFolder) {
  return versionFolder + kUltraVncSetupFile;
}

std::string UltraVncCommandLine(const std::string& versionFolder) {
  return "\"" + UltraVncSetupPath(versionFolder) + "\" /silent";
}

bool CInstaller::InstallUltraVNC() {
  // A server that is there already is left as it is, and so is its configuration.
  if (PathFileExistsA(UltraVncServerPath(GetShellFolderPath(CSIDL_PROGRAM_FILES)).c_str())) {
    return true;
  }
  const std::string versionFolder = GetVersionFolder();
  // The shipped payload need not carry the setup: then there is nothing to do.
  if (!PathFileExistsA(UltraVncSetupPath(versionFolder).c_str())) return true;

  DWORD error = 0;
  if (!RunHiddenAndWait("", UltraVncCommandLine(versionFolder), &error)) {
    ReportMessage(SystemMessageText(error));
    return false;
  }
  return true;
}
