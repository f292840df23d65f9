// Editing a security descriptor's DACL in memory: the descriptor a grant or a reset writes back,
// computed from the descriptor read from the file. Nothing here touches a file, so every edit can
// be checked on descriptors built in memory.
#pragma once

#include <windows.h>

#include "security/SecurityOwners.h"

// Two advapi32 entry points that older systems lack; the edits work without them (the grant then
// adds an entry without inheritance flags, and no control bits are carried over).
struct SecurityEntryPoints {
  using AddAccessAllowedAceExFunction = BOOL(WINAPI*)(PACL acl, DWORD revision, DWORD aceFlags,
                                                      DWORD mask, PSID sid);
  using SetSecurityDescriptorControlFunction =
      BOOL(WINAPI*)(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL bitsOfInterest,
                    SECURITY_DESCRIPTOR_CONTROL bitsToSet);

  AddAccessAllowedAceExFunction addAccessAllowedAceEx = nullptr;
  SetSecurityDescriptorControlFunction setSecurityDescriptorControl = nullptr;
};

// "AddAccessAllowedAceEx" and "SetSecurityDescriptorControl" of the loaded "advapi32.dll"; each is
// null when the system does not export it.
SecurityEntryPoints LookUpSecurityEntryPoints();

// An absolute descriptor (revision 1) and the ACL its DACL points at, owned together. Moving it
// keeps the pointer valid: the ACL block itself does not move.
struct EditedDescriptor {
  SECURITY_DESCRIPTOR descriptor = {};
  HeapBlock<ACL> acl;  // null when the descriptor has no DACL
};

// The descriptor a grant writes. Its DACL (revision 2) holds, in this order:
//   - the leading explicit entries of |oldDescriptor|'s DACL, except every entry whose SID is
//     |account| (allow and deny alike), up to the first inherited entry;
//   - the new entry: access-allowed, |mask|, |account|, flags OBJECT_INHERIT_ACE |
//     CONTAINER_INHERIT_ACE (no flags when |entryPoints| lacks AddAccessAllowedAceEx);
//   - the first inherited entry and everything after it, unchanged and without a SID test.
// A missing or null DACL counts as an empty one. When SetSecurityDescriptorControl is available
// the inheritance state is carried over: auto-inherited gives SE_DACL_AUTO_INHERIT_REQ |
// SE_DACL_AUTO_INHERITED, else protected gives SE_DACL_PROTECTED, else no bits.
// |oldDescriptor| may be self-relative (as GetFileSecurityA answers it) or absolute.
// False after a failure printed with PrintError ("<call>() failed. Error %d"); |out| is then
// unusable.
bool BuildGrantedDescriptor(PSECURITY_DESCRIPTOR oldDescriptor, PSID account, DWORD mask,
                            const SecurityEntryPoints& entryPoints, EditedDescriptor* out);

// The descriptor a reset writes: no DACL at all, and only the inheritance control bits of
// |oldDescriptor| carried over as in BuildGrantedDescriptor. False after a printed failure.
bool BuildResetDescriptor(PSECURITY_DESCRIPTOR oldDescriptor,
                          const SecurityEntryPoints& entryPoints, EditedDescriptor* out);
