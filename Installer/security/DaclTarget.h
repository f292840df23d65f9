// One file or folder whose DACL is read and written several times in a row.
#pragma once

#include <windows.h>

#include <string>

#include "security/DaclEdit.h"
#include "security/SecurityOwners.h"
#include "support/UniqueHandle.h"

// The reset and the grants of a new folder read and write its descriptor four times each. Each
// path call (GetFileSecurityA, SetFileSecurityA) opens the folder anew, and an open means a
// walk of the whole path; so the target opens the folder once, for reading and writing its
// descriptor, and every read and write goes through that handle. The reads and writes, their
// order and their results stay those of the path calls: the handle's calls are the ones the path
// calls make after their own open.
//
// When the handle cannot be had (a missing path, a folder that grants reading its descriptor but
// not writing it), every call goes by the path as before, so results and messages are exactly
// those of the path calls.
class DaclTarget {
 public:
  // Tries the one open; nothing is printed when it fails.
  explicit DaclTarget(const char* path);

  DaclTarget(const DaclTarget&) = delete;
  DaclTarget& operator=(const DaclTarget&) = delete;

  // The descriptor with its DACL, as the file system answers it now (self-relative); null after
  // a failure, which is printed with PrintError: "GetFileSecurity() failed. Error %d\n" (or
  // "HeapAlloc() failed. Error %d\n").
  HeapBlock<void> Read();

  // Writes the DACL of |edited|. 1 when it was written; else 0, printed as
  // "SetFileSecurity() failed. Error %d ".
  int Write(EditedDescriptor* edited);

  // True when the calls go through one handle rather than the path.
  bool HasHandle() const { return static_cast<bool>(handle_); }

 private:
  // One query of the descriptor into |descriptor| of |size| bytes, through the handle or by
  // path; on ERROR_INSUFFICIENT_BUFFER |needed| holds the size it takes.
  BOOL Query(void* descriptor, DWORD size, DWORD* needed);

  std::string path_;
  UniqueHandle handle_;
};
