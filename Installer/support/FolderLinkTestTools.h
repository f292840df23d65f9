// Test helper (linked into installer_tests only): a symbolic link to a folder, so that tests can
// show that a removal takes the link away without entering it.
#pragma once

#include <string>

// Makes |link| a symbolic link to the folder |target| for the owner's lifetime and removes the
// link (never the target) afterwards, if it is still there. Under Windows that is
// CreateSymbolicLinkA and RemoveDirectoryA; Wine answers the first with success but makes
// nothing, and cannot remove such a link either, so there both are done on the host side (ln -s,
// rm), and Wine reports the link as a folder reparse point.
class ScopedFolderLink {
 public:
  ScopedFolderLink(const std::string& link, const std::string& target);
  ~ScopedFolderLink();

  ScopedFolderLink(const ScopedFolderLink&) = delete;
  ScopedFolderLink& operator=(const ScopedFolderLink&) = delete;

  // True when the link is a reparse point after construction.
  bool made() const { return made_; }

 private:
  std::string link_;
  bool made_;
};
