#include "rollback/RecordFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include <sddl.h>

#include <cstdio>

#include "rollback/RollbackLog.h"
#include "security/RecordTrust.h"
#include "security/SecurityOwners.h"
#include "support/CallFailure.h"
#include "support/PathHelpers.h"

namespace rollback {
namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TimeStamp() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  char stamp[20];
  std::snprintf(stamp, sizeof(stamp), "%08lX%08lX", now.dwHighDateTime, now.dwLowDateTime);
  return stamp;
}

// Why |level| may not hold records; "" when it may.
std::string Distrust(const std::string& level, std::string* owner) {
  SecurityFacts facts;
  DWORD error = ERROR_SUCCESS;
  if (!ReadSecurityFacts(level, &facts, &error)) {
    return "its security cannot be read (error " + std::to_string(error) + ")";
  }
  *owner = facts.owner;
  if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) return "it is not a folder";
  return JudgeRecordLocation(facts).reason;
}

bool MakeProtectedFolder(const std::string& level) {
  for (const char* sddl : {kRecordFolderSddl, kRecordFolderSddlWithoutOwner}) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
      continue;
    }
    const LocalBlock<void> owned(descriptor);
    SECURITY_ATTRIBUTES security = {sizeof(security), descriptor, FALSE};
    if (CreateDirectoryA(level.c_str(), &security)) return true;
    // A process that may not make Administrators the owner gets ERROR_INVALID_OWNER: what it
    // makes is then its own, which the trust check accepts too.
    if (GetLastError() != ERROR_INVALID_OWNER) return false;
  }
  return false;
}

}  // namespace

std::vector<std::string> RecordFolderLevels(const std::string& folder) {
  std::vector<std::string> levels = PathLevels(folder);
  if (levels.size() > 3) levels.erase(levels.begin(), levels.end() - 3);
  return levels;
}

bool SetAsideUntrustedLevels(const std::string& folder, bool* setAside) {
  if (setAside) *setAside = false;
  for (const std::string& level : RecordFolderLevels(folder)) {
    if (GetFileAttributesA(level.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    std::string owner;
    const std::string reason = Distrust(level, &owner);
    if (reason.empty()) continue;
    const std::string aside = level + ".untrusted-" + TimeStamp();
    LogLine("The record folder " + level + " (owner " + (owner.empty() ? "unknown" : owner) +
            ") is not trusted: " + reason + ". Nothing in it is acted on.");
    if (!MoveFileExA(level.c_str(), aside.c_str(), 0)) {
      LogCallFailure("MoveFileExA", level + " to " + aside, GetLastError());
      return false;
    }
    LogLine("It is moved to " + aside + " for an administrator to look at.");
    if (setAside) *setAside = true;
    // What was below it went with it.
    return true;
  }
  return true;
}

std::string RecordFolderBelow(const std::string& commonAppData, const std::string& companyName,
                              const std::string& appName) {
  return commonAppData + "\\" + companyName + "\\Setup\\" + appName;
}

std::string ProductRecordFolder(const std::string& companyName, const std::string& appName) {
  char folder[MAX_PATH] = {};
  const HRESULT result = SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
  if (FAILED(result)) {
    LogCallFailure("SHGetFolderPathA", "the all-users application data folder",
                   static_cast<DWORD>(result));
    return {};
  }
  return RecordFolderBelow(folder, companyName, appName);
}

bool MakeRecordFolder(const std::string& folder, std::vector<std::string>* made) {
  made->clear();
  if (!SetAsideUntrustedLevels(folder, nullptr)) return false;
  DWORD error = ERROR_SUCCESS;
  const std::vector<std::string> protectedLevels = RecordFolderLevels(folder);
  for (const std::string& level : PathLevels(folder)) {
    const bool protect = std::find(protectedLevels.begin(), protectedLevels.end(), level) !=
                         protectedLevels.end();
    if (protect ? MakeProtectedFolder(level) : CreateDirectoryA(level.c_str(), nullptr)) {
      made->push_back(level);
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
      error = GetLastError();
    }
  }
  // Another process may have made a level in between: it is looked at once more.
  if (IsFolder(folder) && SetAsideUntrustedLevels(folder, nullptr) && IsFolder(folder)) return true;
  // Half a chain of folders would stay behind with no record to name it.
  for (auto level = made->rbegin(); level != made->rend(); ++level) {
    RemoveDirectoryA(level->c_str());
  }
  made->clear();
  LogCallFailure("CreateDirectoryA", folder, error == ERROR_SUCCESS ? ERROR_DIRECTORY : error);
  return false;
}

void RemoveEmptyRecordFolders(const std::string& folder) {
  const std::vector<std::string> levels = RecordFolderLevels(folder);
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    if (!RemoveDirectoryA(level->c_str())) return;
  }
}

}  // namespace rollback
