#include "support/SystemPaths.h"

#include <cctype>
#include <vector>

namespace {

// The longest path Windows has is 32767 characters; a buffer never needs to grow past it.
constexpr DWORD kLongestPath = 32768;

// Calls |read| (buffer, capacity) -> length with a buffer that grows until the answer fits.
// Both system calls answer 0 on failure and a length of |capacity| or more when the buffer was
// too small (GetModuleFileNameA the capacity itself, GetFullPathNameA the size it needs).
template <typename Read>
std::string ReadWhole(DWORD firstCapacity, Read read) {
  DWORD capacity = firstCapacity > 0 ? firstCapacity : 1;
  for (;;) {
    std::vector<char> buffer(capacity);
    const DWORD length = read(buffer.data(), capacity);
    if (length == 0) return std::string();
    if (length < capacity) return std::string(buffer.data(), length);
    if (capacity >= kLongestPath) return std::string();
    capacity = length + 1 > capacity * 2 ? length + 1 : capacity * 2;
    if (capacity > kLongestPath) capacity = kLongestPath;
  }
}

}  // namespace

std::string ModuleFileName(HMODULE module, DWORD firstCapacity) {
  return ReadWhole(firstCapacity, [module](char* buffer, DWORD capacity) {
    return GetModuleFileNameA(module, buffer, capacity);
  });
}

std::string FullPathName(const std::string& path) {
  if (path.empty()) return std::string();
  return ReadWhole(MAX_PATH, [&path](char* buffer, DWORD capacity) {
    return GetFullPathNameA(path.c_str(), capacity, buffer, nullptr);
  });
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || IsFullyQualified(path)) return path;
  const std::string full = FullPathName(path);
  return full.empty() ? path : full;
}

bool IsFullyQualified(const std::string& path) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         path[1] == ':' && path[2] == '\\';
}
