#include "support/FileVersion.h"

#include <windows.h>

#include <vector>

std::string FileVersionOf(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
}
