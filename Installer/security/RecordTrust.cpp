#include "security/RecordTrust.h"

#include <aclapi.h>
#include <sddl.h>

#include "security/SecurityOwners.h"
#include "support/UniqueHandle.h"

namespace {

constexpr char kSystem[] = "S-1-5-18";
constexpr char kAdministrators[] = "S-1-5-32-544";
constexpr char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr char kCreatorOwner[] = "S-1-3-0";
constexpr char kCreatorGroup[] = "S-1-3-1";

constexpr DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsTrustedAccount(const std::string& sid, const std::string& runningAccount) {
  return sid == kSystem || sid == kAdministrators || sid == kTrustedInstaller ||
         (!runningAccount.empty() && sid == runningAccount);
}

bool IsAccessAllowed(BYTE type) {
  return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
         type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
}

std::string Hex(DWORD value) {
  char text[16];
  wsprintfA(text, "0x%lx", value);
  return text;
}

std::string SidText(PSID sid) {
  LPSTR text = nullptr;
  if (!sid || !ConvertSidToStringSidA(sid, &text)) return {};
  const LocalBlock<char> owned(text);
  return text;
}

}  // namespace

TrustJudgement JudgeRecordLocation(const SecurityFacts& facts) {
  if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return {false, "it is a reparse point"};
  }
  if (facts.owner.empty()) return {false, "it has no owner"};
  if (!IsTrustedAccount(facts.owner, facts.runningAccount)) {
    return {false, "it is owned by " + facts.owner};
  }
  if (facts.dacl == SecurityFacts::Dacl::kNull) {
    return {false, "it has no access control list: everyone may change it"};
  }
  const bool folder = (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const DWORD changing = kChangingRights | (folder ? FILE_DELETE_CHILD : 0);
  for (const AccessEntry& entry : facts.entries) {
    if (!IsAccessAllowed(entry.type) || !(entry.mask & changing)) continue;
    if (IsTrustedAccount(entry.sid, facts.runningAccount)) continue;
    if (entry.sid == kCreatorOwner || entry.sid == kCreatorGroup) continue;
    return {false, "it lets " + (entry.sid.empty() ? std::string("an object entry") : entry.sid) +
                       " change it (rights " + Hex(entry.mask & changing) + ")"};
  }
  return {true, {}};
}

bool FactsFromDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD attributes,
                         const std::string& runningAccount, SecurityFacts* facts) {
  *facts = SecurityFacts();
  facts->attributes = attributes;
  facts->runningAccount = runningAccount;
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted)) return false;
  facts->owner = SidText(owner);
  BOOL present = FALSE;
  BOOL daclDefaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &daclDefaulted)) return false;
  if (!present || !dacl) {
    facts->dacl = SecurityFacts::Dacl::kNull;
    return true;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    AccessEntry entry;
    entry.type = header->AceType;
    entry.flags = header->AceFlags;
    // Plain and callback entries keep the mask and the SID at the same places; object entries
    // put GUIDs before the SID, which is left "" (someone else's).
    if (entry.type == ACCESS_ALLOWED_ACE_TYPE || entry.type == ACCESS_DENIED_ACE_TYPE ||
        entry.type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE) {
      const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
      entry.mask = allowed->Mask;
      entry.sid = SidText(const_cast<DWORD*>(&allowed->SidStart));
    } else {
      entry.mask = static_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(ace)->Mask;
    }
    facts->entries.push_back(entry);
  }
  return true;
}

std::string RunningAccountSid() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
  const UniqueHandle token(opened);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::string buffer(size, '\0');
  if (!GetTokenInformation(token.get(), TokenUser, &buffer[0], size, &size)) return {};
  return SidText(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid);
}

bool ReadSecurityFacts(const std::string& path, SecurityFacts* facts, DWORD* error) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *error = GetLastError();
    return false;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD status = GetNamedSecurityInfoA(
      path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
      nullptr, nullptr, nullptr, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) {
    *error = status;
    return false;
  }
  const LocalBlock<void> owned(descriptor);
  static const std::string runningAccount = RunningAccountSid();
  if (!FactsFromDescriptor(descriptor, attributes, runningAccount, facts)) {
    *error = GetLastError();
    return false;
  }
  return true;
}
