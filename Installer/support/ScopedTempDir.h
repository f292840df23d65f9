#pragma once

#include <string>

// Test helper (linked into installer_tests only): a fresh, empty folder below the user's
// temporary folder for one test, removed with everything in it when the object goes away, so
// tests run against the real file system without touching anything else.
class ScopedTempDir {
 public:
  // Creates <temporary folder>\installer_tests_<process id>_<n> for the first free n; path() is
  // empty when no folder could be created.
  ScopedTempDir();
  ~ScopedTempDir();

  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder's full path, without a trailing backslash.
  const std::string& path() const { return path_; }
  // path() + "\" + |relative|.
  std::string Child(const std::string& relative) const;

 private:
  std::string path_;
};

// Deletes |path| and everything below it, clearing read-only attributes on the way and removing
// links without entering them (RemoveTree); a missing path is not an error. True when nothing is
// left.
bool DeleteTree(const std::string& path);
