#include "security/FileSecurity.h"

#include "security/AccountSid.h"
#include "security/DaclEdit.h"
#include "security/PrintError.h"
#include "security/SecurityOwners.h"

namespace {

void PrintLastError(const char* format) { PrintError(format, static_cast<int>(GetLastError())); }

// |path|'s descriptor with its DACL, as the file system answers it (self-relative); null after
// a failure. A first call that succeeds without a buffer means there is nothing to read: that
// answers null without a message.
HeapBlock<void> ReadFileDacl(const char* path) {
  DWORD needed = 0;
  if (GetFileSecurityA(path, DACL_SECURITY_INFORMATION, nullptr, 0, &needed)) return nullptr;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    PrintLastError("GetFileSecurity() failed. Error %d\n");
    return nullptr;
  }
  HeapBlock<void> descriptor(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
  if (!descriptor) {
    PrintLastError("HeapAlloc() failed. Error %d\n");
    return nullptr;
  }
  if (!GetFileSecurityA(path, DACL_SECURITY_INFORMATION, descriptor.get(), needed, &needed)) {
    PrintLastError("GetFileSecurity() failed. Error %d\n");
    return nullptr;
  }
  return descriptor;
}

int WriteFileDacl(const char* path, EditedDescriptor* edited) {
  if (!SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &edited->descriptor)) {
    PrintLastError("SetFileSecurity() failed. Error %d ");
    return 0;
  }
  return 1;
}

}  // namespace

int GrantAccountAccess(const char* path, const char* accountName, DWORD mask) {
  const HeapSid account = GetAccountSid(accountName);
  if (!account) return 0;
  return GrantSidAccess(path, account.get(), mask);
}

int GrantSidAccess(const char* path, PSID account, DWORD mask) {
  const HeapBlock<void> oldDescriptor = ReadFileDacl(path);
  if (!oldDescriptor) return 0;
  EditedDescriptor edited;
  if (!BuildGrantedDescriptor(oldDescriptor.get(), account, mask, LookUpSecurityEntryPoints(),
                              &edited)) {
    return 0;
  }
  return WriteFileDacl(path, &edited);
}

int ResetFileDacl(const char* path) {
  const HeapBlock<void> oldDescriptor = ReadFileDacl(path);
  if (!oldDescriptor) return 0;
  EditedDescriptor edited;
  if (!BuildResetDescriptor(oldDescriptor.get(), LookUpSecurityEntryPoints(), &edited)) return 0;
  return WriteFileDacl(path, &edited);
}
