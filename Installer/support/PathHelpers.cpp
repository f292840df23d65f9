#include "support/PathHelpers.h"

#include <io.h>

#include <cstring>

namespace {

// The C runtime's existence test (mode 0), which accepts folders with a trailing backslash.
bool Exists(const std::string& path) { return !path.empty() && _access(path.c_str(), 0) == 0; }

}  // namespace

std::vector<std::size_t> SeparatorPositions(const char* path, UINT codePage) {
  std::vector<std::size_t> positions;
  if (path == nullptr) return positions;
  for (std::size_t i = 0; path[i] != '\0'; ++i) {
    const auto byte = static_cast<BYTE>(path[i]);
    if (byte == '\\') {
      positions.push_back(i);
    } else if (IsDBCSLeadByteEx(codePage, byte)) {
      // A lead byte cut off by the end of the string has no trail byte to skip.
      if (path[i + 1] == '\0') break;
      ++i;
    }
  }
  return positions;
}

int EnsurePath(const char* path, bool pathIsFinal, SECURITY_ATTRIBUTES* security) {
  if (path == nullptr) return 0;
  const std::vector<std::size_t> separators = SeparatorPositions(path, CP_ACP);
  for (std::size_t end : separators) {
    // A leading backslash would name an empty folder; "\" and "\\server" of a rooted or UNC
    // path are tried and fail harmlessly.
    if (end == 0) continue;
    CreateDirectoryA(std::string(path, end).c_str(), security);
  }
  if (pathIsFinal) return Exists(path) ? 1 : 0;

  CreateDirectoryA(path, security);
  if (separators.empty()) return 0;
  return Exists(std::string(path, separators.back())) ? 1 : 0;
}

std::string GetPathFolder(const char* path) {
  if (path == nullptr) return std::string();
  std::string folder(path, strnlen(path, kPathFolderMaxInput));
  const std::vector<std::size_t> separators = SeparatorPositions(folder.c_str(), CP_ACP);
  if (!separators.empty()) folder.resize(separators.back());
  return folder;
}

std::string LastPathComponent(const std::string& path) {
  const std::vector<std::size_t> separators = SeparatorPositions(path.c_str(), CP_ACP);
  return separators.empty() ? path : path.substr(separators.back() + 1);
}

bool EndsWithBackslash(const std::string& path) {
  const std::vector<std::size_t> separators = SeparatorPositions(path.c_str(), CP_ACP);
  return !separators.empty() && separators.back() + 1 == path.size();
}

std::vector<std::string> PathLevels(const std::string& path) {
  const std::vector<std::size_t> separators = SeparatorPositions(path.c_str(), CP_ACP);
  // The separators that end a root: the first four of a UNC path ("\\server\share"); for
  // other paths none, the drive ("C:") and the empty prefix being left out by their shape.
  const std::size_t rootSeparators = path.compare(0, 2, "\\\\") == 0 ? 4 : 0;
  const auto isRoot = [&](std::size_t length, std::size_t separatorsBefore) {
    return length == 0 || separatorsBefore < rootSeparators || (length == 2 && path[1] == ':');
  };
  std::vector<std::string> levels;
  for (std::size_t index = 0; index < separators.size(); ++index) {
    if (!isRoot(separators[index], index)) levels.push_back(path.substr(0, separators[index]));
  }
  const bool endsWithSeparator = !separators.empty() && separators.back() + 1 == path.size();
  if (!endsWithSeparator && !isRoot(path.size(), separators.size())) levels.push_back(path);
  return levels;
}
