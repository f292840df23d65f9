#include "startup/PrivilegeGate.h"

#include <gtest/gtest.h>

namespace {

const char* Name(GateDecision decision) {
  switch (decision) {
    case GateDecision::kProceed: return "proceed";
    case GateDecision::kRefuseOldSystem: return "refuse";
    case GateDecision::kRelaunchElevated: return "relaunch";
    case GateDecision::kRefuseStillNotAdministrator: return "refuse the elevated copy";
  }
  return "?";
}

TEST(PrivilegeGateTest, Decisions) {
  constexpr DWORD kNt = VER_PLATFORM_WIN32_NT;
  constexpr DWORD kWindows9x = VER_PLATFORM_WIN32_WINDOWS;
  struct Case {
    const char* name;
    bool invokedByAutoUpdate;
    bool isElevatedCopy;
    PrivilegeFacts facts;
    GateDecision want;
  };
  const Case kCases[] = {
      {"administrator on XP", false, false, {true, kNt, 5}, GateDecision::kProceed},
      {"administrator on Windows 10", false, false, {true, kNt, 10}, GateDecision::kProceed},
      {"administrator, version unknown", false, false, {true, 0, 0}, GateDecision::kProceed},
      {"user on XP (5.1)", false, false, {false, kNt, 5}, GateDecision::kRefuseOldSystem},
      {"user on Vista (6.0)", false, false, {false, kNt, 6}, GateDecision::kRelaunchElevated},
      {"user on Windows 10", false, false, {false, kNt, 10}, GateDecision::kRelaunchElevated},
      {"user, platform not NT", false, false, {false, kWindows9x, 6},
       GateDecision::kRefuseOldSystem},
      {"user, version query failed", false, false, {false, 0, 0}, GateDecision::kRefuseOldSystem},
      {"-u, user on XP", true, false, {false, kNt, 5}, GateDecision::kProceed},
      {"-u, user on Windows 10", true, false, {false, kNt, 10}, GateDecision::kProceed},
      {"-u, platform not NT", true, false, {false, kWindows9x, 4}, GateDecision::kProceed},
      {"elevated copy, administrator", false, true, {true, kNt, 10}, GateDecision::kProceed},
      {"elevated copy, still a user on Vista", false, true, {false, kNt, 6},
       GateDecision::kRefuseStillNotAdministrator},
      {"elevated copy, still a user on Windows 10", false, true, {false, kNt, 10},
       GateDecision::kRefuseStillNotAdministrator},
      {"elevated copy, user on XP", false, true, {false, kNt, 5}, GateDecision::kRefuseOldSystem},
      {"elevated copy with -u", true, true, {false, kNt, 10}, GateDecision::kProceed},
  };
  for (const Case& c : kCases) {
    EXPECT_STREQ(Name(DecidePrivilegeGate(c.invokedByAutoUpdate, c.isElevatedCopy, c.facts)),
                 Name(c.want))
        << c.name;
  }
}

// The facts agree with what other interfaces of the system tell: membership of the
// Administrators group in the process token, and the version word of GetVersion.
TEST(PrivilegeGateTest, ReadsTheFactsOfThisSystem) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                       DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       &administrators));
  BOOL isMember = FALSE;
  const BOOL checked = CheckTokenMembership(nullptr, administrators, &isMember);
  FreeSid(administrators);
  ASSERT_TRUE(checked) << GetLastError();

  const DWORD versionWord = GetVersion();
  const PrivilegeFacts facts = ReadPrivilegeFacts();
  EXPECT_EQ(facts.isAdministrator, isMember != FALSE);
  EXPECT_EQ(facts.majorVersion, static_cast<DWORD>(LOBYTE(LOWORD(versionWord))));
  const bool ntFamily = (versionWord & 0x80000000u) == 0;
  EXPECT_EQ(facts.platformId, ntFamily ? static_cast<DWORD>(VER_PLATFORM_WIN32_NT) : 1u);
}

}  // namespace
