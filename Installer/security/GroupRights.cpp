// The group rights of the installed folders and files: the security attributes every created
// object gets, and the inheritable grants written on them afterwards.
#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/Installer.h"
#include "security/AccountSid.h"
#include "security/AccountSidCache.h"
#include "security/FileSecurity.h"
#include "security/GroupList.h"
#include "support/Log.h"

namespace {

constexpr char kStepName[] = "initSecurityUserGroup()";

// Full file access for the group on the created object itself; children get the group's rights
// from the grants that SetGroupRights writes, not from this entry.
EXPLICIT_ACCESS_A GroupAccess(PSID sid) {
  EXPLICIT_ACCESS_A access = {};
  access.grfAccessPermissions = FILE_ALL_ACCESS;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.pMultipleTrustee = nullptr;
  access.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
  access.Trustee.ptstrName = static_cast<LPSTR>(sid);
  return access;
}

std::string SetEntriesInAclMessage(long code) {
  char text[64];
  snprintf(text, sizeof(text), "SetEntriesInAcl Error! (Error Code: %ld)", code);
  return text;
}

// Appends one SID per group of |groups| to |sids|, a null one for a name that does not resolve.
// Answers the first failed lookup's code, or ERROR_SUCCESS when every name resolved.
DWORD ResolveGroups(const std::string& groups, std::vector<HeapSid>* sids) {
  DWORD firstError = ERROR_SUCCESS;
  for (const std::string& group : SplitGroupList(groups)) {
    sids->push_back(GetAccountSid(group.c_str()));
    if (sids->back() || firstError != ERROR_SUCCESS) continue;
    firstError = GetLastError();
    // A failed lookup always sets a code; should it not, the report must still not read as
    // success.
    if (firstError == ERROR_SUCCESS) firstError = ERROR_NONE_MAPPED;
  }
  return firstError;
}

// The ACL of |entries| and an absolute descriptor whose DACL it is, into |acl| and |descriptor|
// (kept there even when a later step fails). Answers the failure message, or "" on success.
std::string BuildGroupDescriptor(std::vector<EXPLICIT_ACCESS_A>* entries, LocalBlock<ACL>* acl,
                                 LocalBlock<void>* descriptor) {
  PACL newAcl = nullptr;
  const DWORD result =
      SetEntriesInAclA(static_cast<ULONG>(entries->size()), entries->data(), nullptr, &newAcl);
  if (result != ERROR_SUCCESS) return SetEntriesInAclMessage(static_cast<long>(result));
  acl->reset(newAcl);

  descriptor->reset(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
  if (!*descriptor) return "LocalAlloc Error!";
  if (!InitializeSecurityDescriptor(descriptor->get(), SECURITY_DESCRIPTOR_REVISION)) {
    return "InitializeSecurityDescriptor Error!";
  }
  if (!SetSecurityDescriptorDacl(descriptor->get(), TRUE, acl->get(), FALSE)) {
    return "SetSecurityDescriptorDacl Error!";
  }
  return {};
}

}  // namespace

int CInstaller::initSecurityUserGroup(const std::string& groups) {
  theLog.EnterFunction(kStepName, ("groupNames is " + groups).c_str());
  ReleaseSecurity();

  const DWORD lookupError = ResolveGroups(groups, &groupSids);
  explicitAccess.assign(groupSids.size(), EXPLICIT_ACCESS_A{});
  for (size_t i = 0; i < groupSids.size(); ++i) explicitAccess[i] = GroupAccess(groupSids[i].get());

  // A name that does not resolve keeps its place as a null SID, but the list never reaches
  // SetEntriesInAclA: a null trustee SID would crash it. The failure is reported in the words of
  // a refused list, with the lookup's code. What was built so far stays in the fields until the
  // next ReleaseSecurity.
  const std::string failure =
      lookupError != ERROR_SUCCESS
          ? SetEntriesInAclMessage(static_cast<long>(lookupError))
          : BuildGroupDescriptor(&explicitAccess, &groupAcl, &groupSecurityDescriptor);
  if (!failure.empty()) {
    ReportMessage(failure);
    return 0;
  }

  securityAttributes.nLength = sizeof(SECURITY_ATTRIBUTES);
  securityAttributes.lpSecurityDescriptor = groupSecurityDescriptor.get();
  securityAttributes.bInheritHandle = FALSE;
  theLog.LeaveFunction(kStepName);
  return 1;
}

void CInstaller::ReleaseSecurity() {
  groupSids.clear();
  groupSids.shrink_to_fit();
  explicitAccess.clear();
  explicitAccess.shrink_to_fit();
  groupAcl.reset();
  groupSecurityDescriptor.reset();
}

void CInstaller::SetGroupRights(const std::string& path, const std::string& groups) {
  // The reset only prepares the grants; each grant reads the DACL afresh, so its result does not
  // decide anything. The four edits share one open of the folder.
  DaclTarget target(path.c_str());
  ResetFileDacl(&target);
  for (const std::string& group : SplitGroupList(groups)) {
    // The same groups are granted on every folder of the run, so each is looked up once; a name
    // that does not resolve is looked up, and its failure printed, on every folder.
    const PSID sid = accountSids.Find(group);
    if (sid && GrantSidAccess(&target, sid, GENERIC_ALL)) continue;
    ReportMessage("Please check if group " + group +
                  " exists and if you have sufficient privileges to change the right of this "
                  "directory or file: " + path);
  }
}
