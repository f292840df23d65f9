// Removing a file or a folder with everything below it, for the rollback of a run and for the
// tests' temporary folders.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// What stopped a removal: the first call that failed, on what and with which code, and how many
// calls failed in all (each failed entry also keeps the folders above it).
struct RemovalFailure {
  const char* call = nullptr;  // "DeleteFileA", "RemoveDirectoryA", "SetFileAttributesA"
  std::string path;
  DWORD error = ERROR_SUCCESS;
  std::size_t count = 0;
};

// Removes whatever is at |path|: a file, or a folder with everything below it, clearing
// read-only attributes on the way. A reparse point (a symbolic link, a junction) is removed
// itself and never entered, so nothing outside |path| is touched. A missing path is not an
// error. Goes on past an entry that cannot be removed (a file held open, say), so as much as
// possible goes. Answers true when nothing is left at |path|; otherwise false, and |failure|
// (when not null) names the first failed call and counts the failures.
bool RemoveTree(const std::string& path, RemovalFailure* failure);
