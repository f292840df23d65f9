// The grant and the reset on descriptors written as SDDL: before, edit, after.
#include "security/DaclEdit.h"

#include <gtest/gtest.h>

#include "security/SddlTestTools.h"

namespace {

// A local user that is neither the account granted nor a well-known group.
#define OTHER_USER "S-1-5-21-1004336348-1177238915-682003330-1001"

enum class Available { kBoth, kWithoutAceEx, kNeither };

SecurityEntryPoints EntryPoints(Available available) {
  SecurityEntryPoints entryPoints = LookUpSecurityEntryPoints();
  if (available != Available::kBoth) entryPoints.addAccessAllowedAceEx = nullptr;
  if (available == Available::kNeither) entryPoints.setSecurityDescriptorControl = nullptr;
  return entryPoints;
}

TEST(DaclEditTest, BothEntryPointsAreFoundInAdvapi32) {
  const SecurityEntryPoints entryPoints = LookUpSecurityEntryPoints();
  EXPECT_NE(nullptr, entryPoints.addAccessAllowedAceEx);
  EXPECT_NE(nullptr, entryPoints.setSecurityDescriptorControl);
}

TEST(DaclEditTest, GrantPlacesTheAccountsOnlyEntryBetweenExplicitAndInheritedEntries) {
  struct Case {
    const char* name;
    const char* before;
    const char* account;
    DWORD mask;
    Available available;
    const char* after;
  } cases[] = {
      {"the account's allow and deny entries are replaced by one at the end of the explicit ones",
       "D:(D;;FA;;;BU)(D;;FW;;;" OTHER_USER ")(A;;FR;;;BU)(A;;FA;;;SY)(A;OICIID;FA;;;BA)", "BU",
       GENERIC_ALL, Available::kBoth,
       "D:(D;;FW;;;" OTHER_USER ")(A;;FA;;;SY)(A;OICI;GA;;;BU)(A;OICIID;FA;;;BA)"},
      {"only inherited entries: the new entry comes first, the inherited keep their order",
       "D:(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)", "BU", GENERIC_ALL,
       Available::kBoth,
       "D:(A;OICI;GA;;;BU)(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"},
      {"no DACL", "O:BA", "BU", GENERIC_ALL, Available::kBoth, "D:(A;OICI;GA;;;BU)"},
      {"a null DACL", "D:NO_ACCESS_CONTROL", "BU", GENERIC_ALL, Available::kBoth,
       "D:(A;OICI;GA;;;BU)"},
      {"an empty DACL", "D:", "BU", GENERIC_ALL, Available::kBoth, "D:(A;OICI;GA;;;BU)"},
      {"an explicit entry after an inherited one stays after the new entry, the account's too",
       "D:(A;;FA;;;SY)(A;ID;FA;;;BA)(A;;FR;;;BU)(D;;FA;;;" OTHER_USER ")", "BU", GENERIC_ALL,
       Available::kBoth,
       "D:(A;;FA;;;SY)(A;OICI;GA;;;BU)(A;ID;FA;;;BA)(A;;FR;;;BU)(D;;FA;;;" OTHER_USER ")"},
      {"a literal SID and another mask", "D:(A;;FA;;;" OTHER_USER ")(A;;FA;;;BU)", OTHER_USER,
       FILE_ALL_ACCESS, Available::kBoth, "D:(A;;FA;;;BU)(A;OICI;FA;;;" OTHER_USER ")"},
      {"auto-inherited asks for auto-inheritance too", "D:AI(A;ID;FA;;;SY)", "BU", GENERIC_ALL,
       Available::kBoth, "D:ARAI(A;OICI;GA;;;BU)(A;ID;FA;;;SY)"},
      {"protected stays protected", "D:P(A;;FA;;;SY)", "BU", GENERIC_ALL, Available::kBoth,
       "D:P(A;;FA;;;SY)(A;OICI;GA;;;BU)"},
      {"auto-inherited wins over protected", "D:PAI(A;;FA;;;SY)", "BU", GENERIC_ALL,
       Available::kBoth, "D:ARAI(A;;FA;;;SY)(A;OICI;GA;;;BU)"},
      {"neither: no bits, not even a request for auto-inheritance", "D:AR(A;;FA;;;SY)", "BU",
       GENERIC_ALL, Available::kBoth, "D:(A;;FA;;;SY)(A;OICI;GA;;;BU)"},
      {"without AddAccessAllowedAceEx the entry has no inheritance flags", "D:AI(A;ID;FA;;;SY)",
       "BU", GENERIC_ALL, Available::kWithoutAceEx, "D:ARAI(A;;GA;;;BU)(A;ID;FA;;;SY)"},
      {"without SetSecurityDescriptorControl no bits are carried over", "D:PAI(A;;FA;;;SY)", "BU",
       GENERIC_ALL, Available::kNeither, "D:(A;;FA;;;SY)(A;;GA;;;BU)"},
  };
  for (const Case& c : cases) {
    const LocalBlock<void> before = DescriptorFromSddl(c.before);
    const LocalBlock<void> account = SidFromString(c.account);
    ASSERT_TRUE(before) << c.name;
    ASSERT_TRUE(account) << c.name;
    EditedDescriptor edited;

    ASSERT_TRUE(BuildGrantedDescriptor(before.get(), account.get(), c.mask,
                                       EntryPoints(c.available), &edited))
        << c.name;

    EXPECT_EQ(c.after, DaclSddl(&edited.descriptor)) << c.name;
    ASSERT_TRUE(edited.acl) << c.name;
    EXPECT_TRUE(IsValidAcl(edited.acl.get())) << c.name;
    EXPECT_EQ(ACL_REVISION, edited.acl->AclRevision) << c.name;
  }
}

TEST(DaclEditTest, ResetKeepsNoDaclAndOnlyTheInheritanceBits) {
  struct Case {
    const char* name;
    const char* before;
    Available available;
    SECURITY_DESCRIPTOR_CONTROL control;
  } cases[] = {
      {"auto-inherited", "D:AI(A;ID;FA;;;SY)", Available::kBoth,
       SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED},
      {"protected", "D:P(A;;FA;;;SY)", Available::kBoth, SE_DACL_PROTECTED},
      {"auto-inherited and protected", "D:PAI(A;;FA;;;SY)", Available::kBoth,
       SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED},
      {"neither", "D:(A;;FA;;;SY)(A;;FA;;;BU)", Available::kBoth, 0},
      {"no DACL before", "O:BA", Available::kBoth, 0},
      {"without SetSecurityDescriptorControl", "D:AI(A;ID;FA;;;SY)", Available::kNeither, 0},
  };
  for (const Case& c : cases) {
    const LocalBlock<void> before = DescriptorFromSddl(c.before);
    ASSERT_TRUE(before) << c.name;
    EditedDescriptor edited;

    ASSERT_TRUE(BuildResetDescriptor(before.get(), EntryPoints(c.available), &edited)) << c.name;

    BOOL present = TRUE;
    BOOL defaulted = TRUE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(&edited.descriptor, &present, &dacl, &defaulted))
        << c.name;
    EXPECT_FALSE(present) << c.name;
    EXPECT_EQ(nullptr, edited.acl) << c.name;
    SECURITY_DESCRIPTOR_CONTROL control = 0xFFFF;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(&edited.descriptor, &control, &revision)) << c.name;
    EXPECT_EQ(c.control, control) << c.name;
    EXPECT_EQ(static_cast<DWORD>(SECURITY_DESCRIPTOR_REVISION), revision) << c.name;
  }
}

}  // namespace
