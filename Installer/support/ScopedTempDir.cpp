#include "support/ScopedTempDir.h"

#include <windows.h>

#include "support/RemoveTree.h"

bool DeleteTree(const std::string& path) { return RemoveTree(path, nullptr); }

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
