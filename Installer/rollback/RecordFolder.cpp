#include "rollback/RecordFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "support/CallFailure.h"
#include "support/PathHelpers.h"

namespace rollback {
namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

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
  DWORD error = ERROR_SUCCESS;
  for (const std::string& level : PathLevels(folder)) {
    if (CreateDirectoryA(level.c_str(), nullptr)) {
      made->push_back(level);
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
      error = GetLastError();
    }
  }
  if (IsFolder(folder)) return true;
  // Half a chain of folders would stay behind with no record to name it.
  for (auto level = made->rbegin(); level != made->rend(); ++level) {
    RemoveDirectoryA(level->c_str());
  }
  made->clear();
  LogCallFailure("CreateDirectoryA", folder, error == ERROR_SUCCESS ? ERROR_DIRECTORY : error);
  return false;
}

}  // namespace rollback
