// Where the product goes: the company folder chosen by the user or the command line, made to
// exist with the group rights, and the Start-menu company folder.
#include <shlobj.h>

#include <cstdio>

#include "engine/HiddenProcess.h"
#include "engine/Installer.h"
#include "support/Log.h"
#include "support/PathHelpers.h"

namespace {

std::string CreateFailureText(const std::string& path, DWORD error) {
  // The system's text ends in CR LF; a code the system has no text for is named by its number.
  const std::string reason = SystemMessageText(error);
  return "Failed to create directory " + path + " with reason: " +
         (reason.empty() ? "error " + std::to_string(error) + "\r\n" : reason);
}

}  // namespace

std::string GetShellFolderPath(int folderId) {
  LPITEMIDLIST idList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &idList)) || !idList) return {};
  char path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListA(idList, path);
  CoTaskMemFree(idList);
  return found ? path : std::string();
}

bool CInstaller::PrepareInstall(std::string& destination) {
  theLog.EnterFunction("PrepareInstall()", ("str is " + destination).c_str());
  if (!destination.empty() && !EndsWithBackslash(destination)) destination += '\\';

  if (GetFileAttributesA(destination.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) {
      if (!MyCreateDirectory(destination, &securityAttributes)) return false;
    } else if (error == ERROR_ACCESS_DENIED) {
      ReportMessage("You have insufficient privileges to access this directory: " + destination +
                    "\n,log on as an administrator or contact administrator.");
      return false;
    } else {
      char text[80];
      std::snprintf(text, sizeof(text), "PrepareInstall() failed: GetLastError returned %lu\n",
                    error);
      ReportMessage(text);
      return false;
    }
  }
  // The company folder gets the group rights before any file is written below it.
  SetGroupRights(destination, groupName);

  // Without a known Start-menu folder the name would be "\<company>", a folder at the root of
  // the current drive, outside everything the installer was given: it is left out instead.
  const std::string programsFolder = GetShellFolderPath(programsFolderId);
  if (programsFolder.empty()) {
    theLog.Write("The Start-menu programs folder is unknown; no Start-menu folder is created.");
  } else {
    const std::string startMenuFolder = programsFolder + "\\" + companyName;
    MyCreateDirectory(startMenuFolder, &securityAttributes);
    SetGroupRights(startMenuFolder, groupName);
  }

  SetInstallRoot(destination);
  theLog.LeaveFunction("PrepareInstall()");
  return true;
}

bool CInstaller::MyCreateDirectory(const std::string& path, SECURITY_ATTRIBUTES* security) {
  theLog.EnterFunction("MyCreateDirectory()", ("str is " + path).c_str());
  // Every folder above the path, from the top down; the drive, an empty prefix and folders that
  // exist already fail here harmlessly and leave a line in the log.
  for (size_t separator : SeparatorPositions(path.c_str(), CP_ACP)) {
    const std::string prefix = path.substr(0, separator);
    if (!CreateDirectoryA(prefix.c_str(), security)) {
      theLog.Write(CreateFailureText(prefix, GetLastError()).c_str());
    }
  }
  if (!CreateDirectoryA(path.c_str(), security)) {
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      ReportMessage(CreateFailureText(path, error));
      return false;
    }
  }
  theLog.LeaveFunction("MyCreateDirectory()");
  return true;
}

void CInstaller::SetInstallRoot(const std::string& path) {
  installRoot = path;
  if (!EndsWithBackslash(installRoot)) installRoot += '\\';
}

std::string CInstaller::GetVersionFolder() {
  // Fixed for the run: later changes of the root, the name or the version do not move it.
  if (versionFolder.empty()) {
    versionFolder = installRoot + appName + "\\" + appName + version + "\\";
  }
  return versionFolder;
}
