// The folders one run has made, or found already there, on its way to the files it writes. The
// extraction creates every folder of a file's path before the file; with thousands of files in a
// few hundred folders, asking the system again for each file would cost a file-system lookup per
// folder level and file for folders that are known to exist.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>

class KnownFolders {
 public:
  // How a folder is made; CreateDirectoryA in the installer, a recording stand-in in tests.
  using CreateFolder = BOOL(WINAPI*)(LPCSTR folder, LPSECURITY_ATTRIBUTES security);

  explicit KnownFolders(CreateFolder create = nullptr);

  // Creates |folder| with |security| unless this run has made or found it before. A folder that
  // was made, or that the create found already there (ERROR_ALREADY_EXISTS), is taken as there
  // for the rest of the run; any other failure (a folder that cannot be made) is tried again on
  // the next call, as the file's own create will report it. Names are compared exactly: another
  // spelling of a known folder costs one more create, never a missed one.
  void Make(const std::string& folder, SECURITY_ATTRIBUTES* security);

  // True when |folder| (exactly so spelled) was made or found by Make.
  bool Knows(const std::string& folder) const { return folders_.count(folder) != 0; }

 private:
  CreateFolder create_;
  std::unordered_set<std::string> folders_;
};
