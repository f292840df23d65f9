#include "startup/LogFolderChoice.h"

#include "support/PathHelpers.h"
#include "support/UniqueHandle.h"

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

// Opens an existing |fileName| the way the log appends to it (append only, shared for reading and
// writing) and closes it again. A viewer that opened it with no sharing or read sharing only
// refuses the log every line of the run, silently; another installer writing the same log shares
// it and does not count. A missing file is not created here: the log creates it with its first
// line.
bool IsHeldByAnotherProgram(const std::string& fileName) {
  const HANDLE opened = CreateFileA(fileName.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  const UniqueHandle file(opened);
  return !file && error == ERROR_SHARING_VIOLATION;
}

// The temporary folder is the last place for the log: when even its log file name would pass
// 259 characters (a long installer name), no line could be written anywhere, and the run must
// end before it does anything rather than install without a trace.
LogFolderChoice InTemporaryFolder(const std::string& temporaryFolder, const std::string& notice,
                                  const CLogEx& log) {
  if (!log.FileNameFitsIn(temporaryFolder)) {
    return {temporaryFolder, std::string(), std::string(), ERROR_FILENAME_EXCED_RANGE};
  }
  return {temporaryFolder, std::string(), notice};
}

// |refusal| names what -l asked for and why it cannot take the log.
LogFolderChoice InTemporaryFolderInstead(const std::string& refusal,
                                         const std::string& temporaryFolder, const CLogEx& log) {
  return InTemporaryFolder(
      temporaryFolder,
      refusal + ". The log is written to the temporary folder " + temporaryFolder + " instead.",
      log);
}

LogFolderChoice PassOver(const std::string& requested, const std::string& why,
                         const std::string& temporaryFolder, const CLogEx& log) {
  return InTemporaryFolderInstead("The log folder " + requested + " cannot hold the log: " + why,
                                  temporaryFolder, log);
}

LogFolderChoice PassOverFile(const std::string& requested, const std::string& why,
                             const std::string& temporaryFolder, const CLogEx& log) {
  return InTemporaryFolderInstead("The log file " + requested + " cannot be written: " + why,
                                  temporaryFolder, log);
}

LogFolderChoice ChooseLogFile(const std::string& requested, const std::string& temporaryFolder,
                              const CLogEx& log) {
  if (!LastNameFits(requested)) {
    return PassOverFile(requested, "its name is longer than 255 characters", temporaryFolder, log);
  }
  if (requested.size() >= MAX_PATH) {
    return PassOverFile(requested, "its name is longer than 259 characters", temporaryFolder, log);
  }
  const std::string folder = GetPathFolder(requested.c_str());
  // EnsurePath makes the folders above |folder| and, with pathIsFinal false, |folder| itself.
  if (EnsurePath(folder.c_str(), false, nullptr) != 1 || !IsExistingFolder(folder)) {
    return PassOverFile(requested, "its folder does not exist and cannot be created",
                        temporaryFolder, log);
  }
  if (IsHeldByAnotherProgram(requested)) {
    return PassOverFile(requested, "it is held open by another program", temporaryFolder, log);
  }
  return {folder, LastPathComponent(requested), std::string()};
}

}  // namespace

bool LastNameFits(const std::string& path) {
  return LastPathComponent(path).size() <= kMaxNameLength;
}

bool NamesLogFile(const std::string& requested) {
  constexpr char kExtension[] = ".log";
  constexpr std::size_t kExtensionLength = sizeof(kExtension) - 1;
  return requested.size() > kExtensionLength &&
         lstrcmpiA(requested.c_str() + requested.size() - kExtensionLength, kExtension) == 0 &&
         !IsExistingFolder(requested);
}

LogFolderChoice ChooseLogFolder(const std::string& requested, const std::string& temporaryFolder,
                                const CLogEx& log) {
  if (NamesLogFile(requested)) return ChooseLogFile(requested, temporaryFolder, log);
  const std::string wanted = requested.empty() ? temporaryFolder : requested;
  // The name is the same in every folder, so no folder can hold it; the run ends before it has
  // created anything, the -l folder included.
  if (!LastNameFits(log.FileNameIn(wanted))) {
    return {wanted, std::string(), std::string(), ERROR_FILENAME_EXCED_RANGE};
  }
  if (requested.empty()) return InTemporaryFolder(temporaryFolder, std::string(), log);
  if (!log.FileNameFitsIn(requested)) {
    return PassOver(requested, "the log file name in it would be longer than 259 characters",
                    temporaryFolder, log);
  }
  if (EnsurePath(requested.c_str(), false, nullptr) != 1) {
    return PassOver(requested, "the folder above it does not exist and cannot be created",
                    temporaryFolder, log);
  }
  if (IsExistingFile(requested)) {
    return PassOver(requested, "it is a file, not a folder", temporaryFolder, log);
  }
  // A name Windows refuses ("C:\Lo|gs", or "C:\My Logs\"" where the C runtime took the closing
  // quote into the value) or a device ("C:\con") is no folder after EnsurePath either: the run
  // still leaves its log, where the deployment engineer looks for a failed -l anyway.
  if (!IsExistingFolder(requested)) {
    return PassOver(requested, "it is no folder and cannot be created", temporaryFolder, log);
  }
  const std::string logFile = log.FileNameIn(requested);
  if (IsHeldByAnotherProgram(logFile)) {
    return PassOver(requested,
                    "its log file " + LastPathComponent(logFile) + " is held open by another program",
                    temporaryFolder, log);
  }
  return {requested, std::string(), std::string()};
}
