#include "support/RemoveTree.h"

#include "support/UniqueHandle.h"

namespace {

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void NoteFailure(const char* call, const std::string& path, RemovalFailure* failure) {
  const DWORD error = GetLastError();
  if (!failure) return;
  if (failure->count++ == 0) {
    failure->call = call;
    failure->path = path;
    failure->error = error;
  }
}

bool RemoveEntry(const std::string& path, DWORD attributes, RemovalFailure* failure);

// The entries' attributes come with the search, so a large tree costs one call per entry to
// find and one to remove it.
void RemoveChildren(const std::string& folder, RemovalFailure* failure) {
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &entry));
  if (!search) return;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    RemoveEntry(folder + "\\" + entry.cFileName, entry.dwFileAttributes, failure);
  } while (FindNextFileA(search.get(), &entry));
}

bool RemoveEntry(const std::string& path, DWORD attributes, RemovalFailure* failure) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) &&
      !SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    NoteFailure("SetFileAttributesA", path, failure);
    return false;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (DeleteFileA(path.c_str())) return true;
    NoteFailure("DeleteFileA", path, failure);
    return false;
  }
  // A link to a folder is removed as the link: entering it would empty the folder it points to,
  // which lies anywhere.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveChildren(path, failure);
  if (RemoveDirectoryA(path.c_str())) return true;
  NoteFailure("RemoveDirectoryA", path, failure);
  return false;
}

}  // namespace

bool RemoveTree(const std::string& path, RemovalFailure* failure) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    NoteFailure("GetFileAttributesA", path, failure);
    return false;
  }
  return RemoveEntry(path, attributes, failure);
}
