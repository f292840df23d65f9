#include "package/KnownFolders.h"

KnownFolders::KnownFolders(CreateFolder create)
    : create_(create != nullptr ? create : CreateDirectoryA) {}

void KnownFolders::Make(const std::string& folder, SECURITY_ATTRIBUTES* security) {
  if (Knows(folder)) return;
  if (create_(folder.c_str(), security) || GetLastError() == ERROR_ALREADY_EXISTS) {
    folders_.insert(folder);
  }
}
