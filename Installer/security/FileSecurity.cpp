#include "security/FileSecurity.h"

#include "security/AccountSid.h"
#include "security/DaclEdit.h"

int GrantAccountAccess(const char* path, const char* accountName, DWORD mask) {
  const HeapSid account = GetAccountSid(accountName);
  if (!account) return 0;
  return GrantSidAccess(path, account.get(), mask);
}

int GrantSidAccess(const char* path, PSID account, DWORD mask) {
  DaclTarget target(path);
  return GrantSidAccess(&target, account, mask);
}

int GrantSidAccess(DaclTarget* target, PSID account, DWORD mask) {
  const HeapBlock<void> oldDescriptor = target->Read();
  if (!oldDescriptor) return 0;
  EditedDescriptor edited;
  if (!BuildGrantedDescriptor(oldDescriptor.get(), account, mask, LookUpSecurityEntryPoints(),
                              &edited)) {
    return 0;
  }
  return target->Write(&edited);
}

int ResetFileDacl(const char* path) {
  DaclTarget target(path);
  return ResetFileDacl(&target);
}

int ResetFileDacl(DaclTarget* target) {
  const HeapBlock<void> oldDescriptor = target->Read();
  if (!oldDescriptor) return 0;
  EditedDescriptor edited;
  if (!BuildResetDescriptor(oldDescriptor.get(), LookUpSecurityEntryPoints(), &edited)) return 0;
  return target->Write(&edited);
}
