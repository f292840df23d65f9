#include "startup/LogFolderChoice.h"

#include <windows.h>

#include "support/PathHelpers.h"

namespace {

// A trailing backslash is left out: "C:\Logs.txt\" names the file C:\Logs.txt as much as the
// name without it, and the system refuses to describe the one with it.
bool IsExistingFile(const std::string& path) {
  const std::string name = EndsWithBackslash(path) ? path.substr(0, path.size() - 1) : path;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

LogFolderChoice PassOver(const std::string& requested, const char* why,
                         const std::string& temporaryFolder) {
  return {temporaryFolder, "The log folder " + requested + " cannot hold the log: " + why +
                               ". The log is written to the temporary folder " +
                               temporaryFolder + " instead."};
}

}  // namespace

LogFolderChoice ChooseLogFolder(const std::string& requested, const std::string& temporaryFolder,
                                const CLogEx& log) {
  if (requested.empty()) return {temporaryFolder, std::string()};
  if (!log.FileNameFitsIn(requested)) {
    return PassOver(requested, "the log file name in it would be longer than 259 characters",
                    temporaryFolder);
  }
  if (EnsurePath(requested.c_str(), false, nullptr) != 1) {
    return PassOver(requested, "the folder above it does not exist and cannot be created",
                    temporaryFolder);
  }
  if (IsExistingFile(requested)) {
    return PassOver(requested, "it is a file, not a folder", temporaryFolder);
  }
  // A name Windows refuses ("C:\Lo|gs", or "C:\My Logs\"" where the C runtime took the closing
  // quote into the value) or a device ("C:\con") is no folder after EnsurePath either: the run
  // still leaves its log, where the deployment engineer looks for a failed -l anyway.
  if (!IsExistingFolder(requested)) {
    return PassOver(requested, "it is no folder and cannot be created", temporaryFolder);
  }
  return {requested, std::string()};
}
