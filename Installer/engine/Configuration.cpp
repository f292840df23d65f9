// The engine object's life and its configuration defaults.
#include <shlobj.h>

#include "engine/Installer.h"
#include "support/PathHelpers.h"

namespace {

constexpr char kDefaultCompanyName[] = "QVX";
constexpr char kDefaultAppName[] = "Norvane";
constexpr char kDefaultGroupName[] = "Users|SYSTEM|Administrators";

// The path of a shell folder, or empty when the system does not know it.
std::string ShellFolderPath(int folderId) {
  LPITEMIDLIST idList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &idList)) || !idList) return {};
  char path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListA(idList, path);
  CoTaskMemFree(idList);
  return found ? path : std::string();
}

// Creates the folder when needed and answers whether it can be used.
bool FolderUsable(int folderId) {
  const std::string path = ShellFolderPath(folderId);
  return EnsurePath(path.c_str(), false, nullptr) == 1;
}

}  // namespace

CInstaller::CInstaller() {
  if (FolderUsable(CSIDL_COMMON_PROGRAMS) && FolderUsable(CSIDL_COMMON_DESKTOPDIRECTORY)) {
    programsFolderId = CSIDL_COMMON_PROGRAMS;
    desktopFolderId = CSIDL_COMMON_DESKTOPDIRECTORY;
  } else {
    programsFolderId = CSIDL_PROGRAMS;
    desktopFolderId = CSIDL_DESKTOPDIRECTORY;
  }
}

CInstaller::~CInstaller() = default;

void CInstaller::ApplyDefaults(const std::string& productName) {
  if (companyName.empty()) companyName = kDefaultCompanyName;
  if (appName.empty()) appName = kDefaultAppName;
  if (groupName.empty()) groupName = kDefaultGroupName;
  if (projectName.empty()) projectName = productName;
}
