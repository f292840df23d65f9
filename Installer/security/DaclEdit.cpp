#include "security/DaclEdit.h"

#include "security/PrintError.h"

namespace {

constexpr BYTE kGrantFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
// The size of an ACL without entries: what a missing DACL counts as.
constexpr DWORD kEmptyAclBytes = sizeof(ACL);
// An access-allowed entry without its SID: header and mask (the SidStart placeholder is where
// the SID begins).
constexpr DWORD kAllowedAceFixedBytes = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);

// The SID that allow and deny entries carry after their header and mask, or null when the entry
// is too small to hold a valid one there (an entry of another layout is then never read past
// its end, and simply kept).
PSID EntrySid(ACE_HEADER* entry) {
  if (entry->AceSize < kAllowedAceFixedBytes + sizeof(SID)) return nullptr;
  PSID sid = &reinterpret_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
  if (!IsValidSid(sid) || kAllowedAceFixedBytes + GetLengthSid(sid) > entry->AceSize) {
    return nullptr;
  }
  return sid;
}

bool InitializeNewDescriptor(EditedDescriptor* out) {
  if (!InitializeSecurityDescriptor(&out->descriptor, SECURITY_DESCRIPTOR_REVISION)) {
    PrintLastError("InitializeSecurityDescriptor() failed.Error %d\n");
    return false;
  }
  return true;
}

// Carries the DACL's inheritance state from |oldDescriptor| to |newDescriptor|, so a folder that
// inherits from its parent keeps inheriting and a protected one stays protected.
bool CopyInheritanceControl(PSECURITY_DESCRIPTOR oldDescriptor, PSECURITY_DESCRIPTOR newDescriptor,
                            const SecurityEntryPoints& entryPoints) {
  if (!entryPoints.setSecurityDescriptorControl) return true;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(oldDescriptor, &control, &revision)) {
    PrintLastError("GetSecurityDescriptorControl() failed.Error %d ");
    return false;
  }
  SECURITY_DESCRIPTOR_CONTROL bits = 0;
  if (control & SE_DACL_AUTO_INHERITED) {
    bits = SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED;
  } else if (control & SE_DACL_PROTECTED) {
    bits = SE_DACL_PROTECTED;
  }
  if (bits == 0) return true;
  if (!entryPoints.setSecurityDescriptorControl(newDescriptor, bits, bits)) {
    PrintLastError("SetSecurityDescriptorControl() failed.Error %d ");
    return false;
  }
  return true;
}

// The old DACL (null when there is none, a null DACL included) and its size information.
bool ReadOldDacl(PSECURITY_DESCRIPTOR oldDescriptor, PACL* dacl, ACL_SIZE_INFORMATION* size) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  *dacl = nullptr;
  if (!GetSecurityDescriptorDacl(oldDescriptor, &present, dacl, &defaulted)) {
    PrintLastError("GetSecurityDescriptorDacl() failed. Error %d\n");
    return false;
  }
  if (!present) *dacl = nullptr;
  *size = {0, kEmptyAclBytes, 0};
  if (*dacl && !GetAclInformation(*dacl, size, sizeof(*size), AclSizeInformation)) {
    PrintLastError("GetAclInformation() failed. Error %d\n");
    return false;
  }
  return true;
}

bool AddGrantEntry(PACL acl, PSID account, DWORD mask, const SecurityEntryPoints& entryPoints) {
  if (entryPoints.addAccessAllowedAceEx) {
    if (!entryPoints.addAccessAllowedAceEx(acl, ACL_REVISION, kGrantFlags, mask, account)) {
      PrintLastError("AddAccessAllowedAceEx() failed. Error %d ");
      return false;
    }
    return true;
  }
  if (!AddAccessAllowedAce(acl, ACL_REVISION, mask, account)) {
    PrintLastError("AddAccessAllowedAce() failed. Error %d ");
    return false;
  }
  return true;
}

// The two copies print different messages: the first ends its lines, the second does not.
struct CopyMessages {
  const char* getAce;
  const char* addAce;
};
constexpr CopyMessages kLeadingCopy = {"GetAce() failed. Error %d\n", "AddAce() failed. Error %d\n"};
constexpr CopyMessages kRestCopy = {"GetAce() failed. Error %d ", "AddAce() failed. Error %d "};

bool AppendEntry(PACL acl, ACE_HEADER* entry, const CopyMessages& messages) {
  if (!AddAce(acl, ACL_REVISION, MAXDWORD, entry, entry->AceSize)) {
    PrintLastError(messages.addAce);
    return false;
  }
  return true;
}

// Copies the explicit entries before the first inherited one, leaving out |account|'s; |index|
// ends on the first inherited entry (or the count).
bool CopyLeadingEntries(PACL oldDacl, DWORD count, PSID account, PACL newAcl, DWORD* index) {
  for (*index = 0; *index < count; ++*index) {
    void* raw = nullptr;
    if (!GetAce(oldDacl, *index, &raw)) {
      PrintLastError(kLeadingCopy.getAce);
      return false;
    }
    ACE_HEADER* entry = static_cast<ACE_HEADER*>(raw);
    if (entry->AceFlags & INHERITED_ACE) return true;
    const PSID sid = EntrySid(entry);
    if (sid && EqualSid(sid, account)) continue;
    if (!AppendEntry(newAcl, entry, kLeadingCopy)) return false;
  }
  return true;
}

// Copies every entry from |index| on as it is: the inherited entries, and whatever a
// non-canonical DACL put after the first of them.
bool CopyRemainingEntries(PACL oldDacl, DWORD count, DWORD index, PACL newAcl) {
  for (; index < count; ++index) {
    void* raw = nullptr;
    if (!GetAce(oldDacl, index, &raw)) {
      PrintLastError(kRestCopy.getAce);
      return false;
    }
    if (!AppendEntry(newAcl, static_cast<ACE_HEADER*>(raw), kRestCopy)) return false;
  }
  return true;
}

}  // namespace

SecurityEntryPoints LookUpSecurityEntryPoints() {
  SecurityEntryPoints entryPoints;
  const HMODULE advapi = GetModuleHandleA("advapi32.dll");
  if (!advapi) return entryPoints;
  entryPoints.addAccessAllowedAceEx =
      reinterpret_cast<SecurityEntryPoints::AddAccessAllowedAceExFunction>(
          reinterpret_cast<void*>(GetProcAddress(advapi, "AddAccessAllowedAceEx")));
  entryPoints.setSecurityDescriptorControl =
      reinterpret_cast<SecurityEntryPoints::SetSecurityDescriptorControlFunction>(
          reinterpret_cast<void*>(GetProcAddress(advapi, "SetSecurityDescriptorControl")));
  return entryPoints;
}

bool BuildGrantedDescriptor(PSECURITY_DESCRIPTOR oldDescriptor, PSID account, DWORD mask,
                            const SecurityEntryPoints& entryPoints, EditedDescriptor* out) {
  if (!InitializeNewDescriptor(out)) return false;

  PACL oldDacl = nullptr;
  ACL_SIZE_INFORMATION oldSize;
  if (!ReadOldDacl(oldDescriptor, &oldDacl, &oldSize)) return false;

  // Room for every old entry and one more: the account's old entries, dropped, only leave some
  // of it unused.
  const DWORD newSize = oldSize.AclBytesInUse + kAllowedAceFixedBytes + GetLengthSid(account);
  out->acl.reset(static_cast<ACL*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, newSize)));
  if (!out->acl) {
    PrintLastError("HeapAlloc() failed. Error %d\n");
    return false;
  }
  if (!InitializeAcl(out->acl.get(), newSize, ACL_REVISION)) {
    PrintLastError("InitializeAcl() failed. Error %d\n");
    return false;
  }

  // The new entry goes after the explicit entries and before the inherited ones, which keeps a
  // canonical DACL canonical.
  DWORD index = 0;
  if (oldDacl && !CopyLeadingEntries(oldDacl, oldSize.AceCount, account, out->acl.get(), &index)) {
    return false;
  }
  if (!AddGrantEntry(out->acl.get(), account, mask, entryPoints)) return false;
  if (oldDacl && !CopyRemainingEntries(oldDacl, oldSize.AceCount, index, out->acl.get())) {
    return false;
  }

  if (!SetSecurityDescriptorDacl(&out->descriptor, TRUE, out->acl.get(), FALSE)) {
    PrintLastError("SetSecurityDescriptorDacl() failed. Error %d ");
    return false;
  }
  return CopyInheritanceControl(oldDescriptor, &out->descriptor, entryPoints);
}

bool BuildResetDescriptor(PSECURITY_DESCRIPTOR oldDescriptor,
                          const SecurityEntryPoints& entryPoints, EditedDescriptor* out) {
  out->acl.reset();
  if (!InitializeNewDescriptor(out)) return false;
  return CopyInheritanceControl(oldDescriptor, &out->descriptor, entryPoints);
}
