#include "support/ScopedTempDir.h"

#include <windows.h>

namespace {

// Owns a FindFirstFileA search handle, which FindClose (not CloseHandle) ends.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void DeleteChildren(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &entry));
  if (!search) return;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    DeleteTree(folder + "\\" + entry.cFileName);
  } while (FindNextFileA(search.get(), &entry));
}

}  // namespace

bool DeleteTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    DeleteChildren(path);
    return RemoveDirectoryA(path.c_str()) != FALSE;
  }
  return DeleteFileA(path.c_str()) != FALSE;
}

ScopedTempDir::ScopedTempDir() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return;
  // The process id keeps parallel test programs apart; the counter keeps the tests of one
  // program apart and steps over folders a crashed earlier run left behind.
  static unsigned counter = 0;
  const std::string prefix =
      std::string(temp, length) + "installer_tests_" + std::to_string(GetCurrentProcessId()) + "_";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string candidate = prefix + std::to_string(counter++);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

ScopedTempDir::~ScopedTempDir() {
  if (!path_.empty()) DeleteTree(path_);
}

std::string ScopedTempDir::Child(const std::string& relative) const {
  return path_ + "\\" + relative;
}
