// Where the product goes: the company folder chosen by the user or the command line, made to
// exist with the group rights, and the Start-menu company folder.
#include <shlobj.h>

#include <cstdio>

#include "engine/HiddenProcess.h"
#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"
#include "support/PathHelpers.h"

namespace {

std::string CreateFailureText(const std::string& path, DWORD error) {
  // The system's text ends in CR LF; a code the system has no text for is named by its number.
  const std::string reason = SystemMessageText(error);
  return "Failed to create directory " + path + " with reason: " +
         (reason.empty() ? "error " + std::to_string(error) + "\r\n" : reason);
}

// Creates the folder |path| with |security|: through the run's bookkeeping when it records, which
// answers true for a folder that is there already, or else with the plain call. False with the
// code in |error| when the folder could not be made.
bool MakeFolder(rollback::RunChanges* changes, const std::string& path,
                SECURITY_ATTRIBUTES* security, DWORD* error) {
  if (changes) return changes->Journal().CreateFolder(path, security, error);
  if (CreateDirectoryA(path.c_str(), security)) return true;
  *error = GetLastError();
  return false;
}

// True when a folder or a file has the name |path| (a trailing backslash is allowed).
bool IsThere(std::string path) {
  if (EndsWithBackslash(path)) path.pop_back();
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
  // Other products of the company install into the same company folder and Start-menu folder:
  // a rollback of this run must leave what they put there.
  const std::string programsFolder = GetShellFolderPath(programsFolderId);
  const std::string startMenuFolder =
      programsFolder.empty() ? std::string() : programsFolder + "\\" + companyName;
  if (runChanges) {
    runChanges->MarkSharedFolder(destination);
    if (!startMenuFolder.empty()) runChanges->MarkSharedFolder(startMenuFolder);
  }

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
  // A file the run replaces is moved aside below it: a rename on the same volume.
  if (runChanges) runChanges->SetBackupParent(destination);

  // Without a known Start-menu folder the name would be "\<company>", a folder at the root of
  // the current drive, outside everything the installer was given: it is left out instead.
  if (startMenuFolder.empty()) {
    theLog.Write("The Start-menu programs folder is unknown; no Start-menu folder is created.");
  } else {
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
  // exist already fail here harmlessly and leave a line in the log (a run that records its
  // changes knows the drive and existing folders for what they are, and writes no line for them).
  DWORD error = ERROR_SUCCESS;
  for (size_t separator : SeparatorPositions(path.c_str(), CP_ACP)) {
    const std::string prefix = path.substr(0, separator);
    if (!MakeFolder(runChanges, prefix, security, &error)) {
      theLog.Write(CreateFailureText(prefix, error).c_str());
    }
  }
  // "Already exists" means the path itself is there. The run's bookkeeping also answers it for
  // a file in the path above, where the plain create fails with "path not found": nothing can
  // be made below a file.
  if (!MakeFolder(runChanges, path, security, &error) &&
      (error != ERROR_ALREADY_EXISTS || !IsThere(path))) {
    if (error == ERROR_ALREADY_EXISTS) error = ERROR_PATH_NOT_FOUND;
    ReportMessage(CreateFailureText(path, error));
    return false;
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
