// The engine's group rights: the creation descriptor built at start-up and the grants written on
// installed paths. The engines run unattended, so every report lands in the log.
#include <gtest/gtest.h>

#include "LogReader.h"

#include <fstream>
#include <vector>

#include "engine/Installer.h"
#include "security/CapturedStdout.h"
#include "security/SddlTestTools.h"
#include "support/ScopedTempDir.h"

namespace {

constexpr char kEnter[] = "Enter function initSecurityUserGroup() with parameter groupNames is ";
constexpr char kLeave[] = "Leave function initSecurityUserGroup().";

// The report SetGroupRights makes for |group| on |path|, as a log line ends.
std::string GroupReport(const std::string& group, const std::string& path) {
  return "Please check if group " + group +
         " exists and if you have sufficient privileges to change the right of this directory or "
         "file: " + path + "\r\n";
}

// The texts that follow the time stamps of the log lines in |text| that contain |piece|.
std::vector<std::string> LinesWith(const std::string& text, const std::string& piece) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end + 2 - start);
    if (line.find(piece) != std::string::npos && line.size() > 20) lines.push_back(line.substr(20));
  }
  return lines;
}

TEST(GroupRightsTest, CreationDescriptorGrantsEachGroupAllFileAccessInListOrder) {
  struct Case {
    const char* name;
    const char* groups;
    std::vector<const char*> sids;
    const char* dacl;
  } cases[] = {
      {"the default groups", "Users|SYSTEM|Administrators", {"BU", "SY", "BA"},
       "D:(A;;FA;;;BU)(A;;FA;;;SY)(A;;FA;;;BA)"},
      {"one configured group replaces the defaults", "Administrators", {"BA"}, "D:(A;;FA;;;BA)"},
  };
  for (const Case& c : cases) {
    CInstaller engine;
    engine.silent = 1;
    const LogSince log = LogSince(c.name);

    ASSERT_EQ(1, engine.initSecurityUserGroup(c.groups)) << c.name;

    ASSERT_EQ(c.sids.size(), engine.groupSids.size()) << c.name;
    ASSERT_EQ(c.sids.size(), engine.explicitAccess.size()) << c.name;
    for (size_t i = 0; i < c.sids.size(); ++i) {
      const EXPLICIT_ACCESS_A& entry = engine.explicitAccess[i];
      const LocalBlock<void> expected = SidFromString(c.sids[i]);
      EXPECT_TRUE(EqualSid(expected.get(), engine.groupSids[i].get())) << c.name << " " << i;
      EXPECT_EQ(static_cast<void*>(engine.groupSids[i].get()), entry.Trustee.ptstrName)
          << c.name << " " << i;
      EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), entry.grfAccessPermissions) << c.name;
      EXPECT_EQ(SET_ACCESS, entry.grfAccessMode) << c.name;
      EXPECT_EQ(static_cast<DWORD>(NO_INHERITANCE), entry.grfInheritance) << c.name;
      EXPECT_EQ(nullptr, entry.Trustee.pMultipleTrustee) << c.name;
      EXPECT_EQ(NO_MULTIPLE_TRUSTEE, entry.Trustee.MultipleTrusteeOperation) << c.name;
      EXPECT_EQ(TRUSTEE_IS_SID, entry.Trustee.TrusteeForm) << c.name;
      EXPECT_EQ(TRUSTEE_IS_GROUP, entry.Trustee.TrusteeType) << c.name;
    }
    EXPECT_EQ(12u, engine.securityAttributes.nLength) << c.name;
    EXPECT_EQ(engine.groupSecurityDescriptor.get(), engine.securityAttributes.lpSecurityDescriptor)
        << c.name;
    EXPECT_EQ(FALSE, engine.securityAttributes.bInheritHandle) << c.name;
    EXPECT_EQ(c.dacl, DaclSddl(engine.groupSecurityDescriptor.get())) << c.name;
    EXPECT_TRUE(log.Has(std::string(kEnter) + c.groups + ".\r\n")) << c.name << log.Text();
    EXPECT_TRUE(log.Has(std::string(kLeave) + "\r\n")) << c.name;
  }
}

TEST(GroupRightsTest, UnknownGroupFailsTheBuildWithTheLookupCode) {
  CInstaller engine;
  engine.silent = 1;
  const LogSince log = LogSince("unknown group");
  CapturedStdout output;

  const int built = engine.initSecurityUserGroup("Users|NoSuchGroupOfThisInstaller");

  EXPECT_EQ("LookupAccountName() failed. Error 1332\n", output.Stop());
  EXPECT_EQ(0, built);

  const std::string text = log.Text();
  EXPECT_EQ(std::vector<std::string>{"LookupAccountName() failed. Error 1332\r\n"},
            LinesWith(text, "LookupAccountName"));
  EXPECT_EQ(std::vector<std::string>{"SetEntriesInAcl Error! (Error Code: 1332)\r\n"},
            LinesWith(text, "SetEntriesInAcl"));
  EXPECT_EQ(std::string::npos, text.find(kLeave)) << "a failed step has no leave line";
  // The unresolved name keeps its place, but no ACL was asked for and nothing is usable.
  ASSERT_EQ(2u, engine.groupSids.size());
  EXPECT_NE(nullptr, engine.groupSids[0]);
  EXPECT_EQ(nullptr, engine.groupSids[1]);
  EXPECT_EQ(nullptr, engine.groupAcl);
  EXPECT_EQ(nullptr, engine.securityAttributes.lpSecurityDescriptor);
}

TEST(GroupRightsTest, ReleaseSecurityFreesEverythingButLeavesTheAttributes) {
  CInstaller engine;
  engine.silent = 1;
  ASSERT_EQ(1, engine.initSecurityUserGroup("Users|SYSTEM|Administrators"));
  const SECURITY_ATTRIBUTES attributes = engine.securityAttributes;

  engine.ReleaseSecurity();

  EXPECT_TRUE(engine.groupSids.empty());
  EXPECT_TRUE(engine.explicitAccess.empty());
  EXPECT_EQ(nullptr, engine.groupAcl);
  EXPECT_EQ(nullptr, engine.groupSecurityDescriptor);
  EXPECT_EQ(attributes.nLength, engine.securityAttributes.nLength);
  EXPECT_EQ(attributes.lpSecurityDescriptor, engine.securityAttributes.lpSecurityDescriptor);
}

TEST(GroupRightsTest, SecondBuildReplacesTheFirst) {
  CInstaller engine;
  engine.silent = 1;
  ASSERT_EQ(1, engine.initSecurityUserGroup("Users|SYSTEM|Administrators"));

  ASSERT_EQ(1, engine.initSecurityUserGroup("SYSTEM"));

  EXPECT_EQ(1u, engine.groupSids.size());
  EXPECT_EQ(1u, engine.explicitAccess.size());
  EXPECT_EQ("D:(A;;FA;;;SY)", DaclSddl(engine.securityAttributes.lpSecurityDescriptor));
}

TEST(GroupRightsTest, MissingPathIsReportedOncePerGroupInListOrder) {
  ScopedTempDir folder;
  struct Case {
    const char* name;
    const char* groups;
    std::vector<std::string> reported;
  } cases[] = {
      {"the default groups", "Users|SYSTEM|Administrators", {"Users", "SYSTEM", "Administrators"}},
      {"two separators in a row try an empty name between", "Users||SYSTEM", {"Users", "", "SYSTEM"}},
  };
  for (const Case& c : cases) {
    CInstaller engine;
    engine.silent = 1;
    const std::string path = folder.Child("absent");
    const LogSince log = LogSince(c.name);
    CapturedStdout output;

    engine.SetGroupRights(path, c.groups);
    output.Stop();

    std::vector<std::string> expected;
    for (const std::string& group : c.reported) expected.push_back(GroupReport(group, path));
    EXPECT_EQ(expected, LinesWith(log.Text(), "Please check if group")) << c.name;
  }
}

TEST(GroupRightsTest, MissingPathFailsTheResetThenEveryGrantInTurn) {
  ScopedTempDir folder;
  CInstaller engine;
  engine.silent = 1;
  const std::string path = folder.Child("absent");
  const LogSince log = LogSince("reset and grants on a missing path");
  CapturedStdout output;

  engine.SetGroupRights(path, "Users|SYSTEM|Administrators");
  output.Stop();

  // The reset's failure does not stop the grants; each grant reads the path again.
  const std::string read = "GetFileSecurity() failed. Error 2\r\n";
  const std::vector<std::string> expected = {
      read, read, GroupReport("Users", path), read, GroupReport("SYSTEM", path),
      read, GroupReport("Administrators", path)};
  EXPECT_EQ(expected, LinesWith(log.Text(), "")) << log.Text();
}

TEST(GroupRightsTest, ExistingFolderAndFileAreGrantedWithoutReports) {
  ScopedTempDir folder;
  const std::string file = folder.Child("AppInfo.xml");
  std::ofstream(file) << "<appInfo/>";
  CInstaller engine;
  engine.silent = 1;
  const LogSince log = LogSince("existing folder and file");
  CapturedStdout output;

  engine.SetGroupRights(folder.path() + "\\", "Users|SYSTEM|Administrators");
  engine.SetGroupRights(file, "Users|SYSTEM|Administrators");

  EXPECT_EQ("", output.Stop());
  EXPECT_EQ("", log.Text());
}

}  // namespace
