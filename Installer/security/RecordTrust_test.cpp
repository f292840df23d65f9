// The trust boundary of the run records on descriptors written as SDDL: Wine keeps no ACLs on
// files, so every case is a descriptor in memory, read into facts as the installer reads a file's.
#include "security/RecordTrust.h"

#include <gtest/gtest.h>

#include "security/SddlTestTools.h"

namespace {

// An ordinary local user.
#define USER "S-1-5-21-1004336348-1177238915-682003330-1001"
// The account a test process runs as: an administrator's own account.
#define ADMIN_ACCOUNT "S-1-5-21-1004336348-1177238915-682003330-500"

SecurityFacts FactsOf(const char* sddl, DWORD attributes) {
  const LocalBlock<void> descriptor = DescriptorFromSddl(sddl);
  SecurityFacts facts;
  EXPECT_TRUE(descriptor) << sddl;
  if (descriptor) {
    EXPECT_TRUE(FactsFromDescriptor(descriptor.get(), attributes, ADMIN_ACCOUNT, &facts)) << sddl;
  }
  return facts;
}

TEST(RecordTrustTest, OnlyWhatNoOneElseCanChangeIsTrusted) {
  constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
  constexpr DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
  const struct {
    const char* name;
    const char* sddl;
    DWORD attributes;
    bool trusted;
    const char* reason;  // the start of the reason
  } cases[] = {
      {"the folder this installer makes", kRecordFolderSddl, kFolder, true, ""},
      {"a record inside it (inherited entries)", "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)", kFile,
       true, ""},
      {"owned by SYSTEM, Users may read", "O:SYD:(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", kFolder,
       true, ""},
      {"owned by TrustedInstaller",
       "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;SY)", kFile,
       true, ""},
      {"owned by the running account", "O:" ADMIN_ACCOUNT "D:(A;;FA;;;" ADMIN_ACCOUNT ")", kFile,
       true, ""},
      {"an empty DACL: only the owner", "O:BAD:", kFile, true, ""},
      {"a deny entry for Users", "O:BAD:(D;;FA;;;BU)(A;;FA;;;BA)", kFile, true, ""},
      {"CREATOR OWNER, inherit-only", "O:BAD:(A;OICIIO;GA;;;CO)(A;;FA;;;BA)", kFolder, true, ""},
      {"a folder owned by a user", "O:" USER "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kFolder, false,
       "it is owned by " USER},
      {"a folder that grants Users write", "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1201bf;;;BU)", kFolder,
       false, "it lets S-1-5-32-545 change it"},
      {"a folder that grants Users delete", "O:BAD:(A;;FA;;;BA)(A;;SD;;;BU)", kFolder, false,
       "it lets S-1-5-32-545 change it (rights 0x10000)"},
      {"a folder that lets Users delete what is in it", "O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)",
       kFolder, false, "it lets S-1-5-32-545 change it (rights 0x40)"},
      {"FILE_DELETE_CHILD means nothing on a file", "O:BAD:(A;;FA;;;BA)(A;;0x1200e9;;;BU)", kFile,
       true, ""},
      {"an inherited Everyone entry", "O:BAD:AI(A;;FA;;;BA)(A;OICIID;FA;;;WD)", kFolder, false,
       "it lets S-1-1-0 change it"},
      {"an inherit-only Users entry: the records would inherit it",
       "O:BAD:(A;;FA;;;BA)(A;OICIIO;GA;;;BU)", kFolder, false, "it lets S-1-5-32-545"},
      {"Authenticated Users may change the permissions", "O:BAD:(A;;FA;;;BA)(A;;WD;;;AU)", kFile,
       false, "it lets S-1-5-11 change it"},
      {"Users may take ownership", "O:BAD:(A;;FA;;;BA)(A;;WO;;;BU)", kFile, false,
       "it lets S-1-5-32-545"},
      {"Users get GENERIC_WRITE", "O:BAD:(A;;FA;;;BA)(A;;GW;;;BU)", kFile, false,
       "it lets S-1-5-32-545"},
      {"a reparse point", kRecordFolderSddl, kFolder | FILE_ATTRIBUTE_REPARSE_POINT, false,
       "it is a reparse point"},
  };
  for (const auto& c : cases) {
    const TrustJudgement judgement = JudgeRecordLocation(FactsOf(c.sddl, c.attributes));
    EXPECT_EQ(c.trusted, judgement.trusted) << c.name << ": " << judgement.reason;
    EXPECT_TRUE(judgement.reason.compare(0, std::string(c.reason).size(), c.reason) == 0)
        << c.name << ": " << judgement.reason;
    EXPECT_EQ(c.trusted, judgement.reason.empty()) << c.name;
  }
}

// A null DACL lets everyone do everything. Built by hand: Wine's SDDL parser makes an empty DACL
// of "NO_ACCESS_CONTROL".
TEST(RecordTrustTest, ANullDaclIsNotTrusted) {
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  const LocalBlock<void> administrators = SidFromString("BA");
  ASSERT_TRUE(administrators);
  ASSERT_TRUE(SetSecurityDescriptorOwner(&descriptor, administrators.get(), FALSE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
  SecurityFacts facts;
  ASSERT_TRUE(FactsFromDescriptor(&descriptor, FILE_ATTRIBUTE_DIRECTORY, ADMIN_ACCOUNT, &facts));
  const TrustJudgement judgement = JudgeRecordLocation(facts);
  EXPECT_FALSE(judgement.trusted);
  EXPECT_EQ("it has no access control list: everyone may change it", judgement.reason);
}

// The descriptor the installer applies reads back as the one it means: no other account at all.
TEST(RecordTrustTest, TheRecordFolderDescriptorGivesOnlySystemAndAdministratorsAccess) {
  const LocalBlock<void> descriptor = DescriptorFromSddl(kRecordFolderSddl);
  ASSERT_TRUE(descriptor);
  EXPECT_EQ("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", DaclSddl(descriptor.get()));
  SecurityFacts facts;
  ASSERT_TRUE(FactsFromDescriptor(descriptor.get(), FILE_ATTRIBUTE_DIRECTORY, "", &facts));
  EXPECT_EQ("S-1-5-32-544", facts.owner);
  ASSERT_EQ(2u, facts.entries.size());
  EXPECT_EQ("S-1-5-18", facts.entries[0].sid);
  EXPECT_EQ("S-1-5-32-544", facts.entries[1].sid);
}

// The installer's own folder must pass where it runs, Wine included (as root, Wine reports the
// running account as the owner of every file and makes the DACL up from the mode bits).
TEST(RecordTrustTest, AFolderThisProcessMadeIsTrustedWhereItRuns) {
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string folder = std::string(temp) + "RecordTrustTest" +
                             std::to_string(GetCurrentProcessId());
  const LocalBlock<void> descriptor = DescriptorFromSddl(kRecordFolderSddlWithoutOwner);
  SECURITY_ATTRIBUTES security = {sizeof(security), descriptor.get(), FALSE};
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), &security));
  SecurityFacts facts;
  DWORD error = 0;
  const bool read = ReadSecurityFacts(folder, &facts, &error);
  RemoveDirectoryA(folder.c_str());
  ASSERT_TRUE(read) << error;
  EXPECT_FALSE(facts.runningAccount.empty());
  const TrustJudgement judgement = JudgeRecordLocation(facts);
  EXPECT_TRUE(judgement.trusted) << judgement.reason << " (owner " << facts.owner
                                 << ", running account " << facts.runningAccount << ")";
}

}  // namespace
