// The file calls of the grant and the reset. The platform under test keeps no file ACLs, so the
// DACL a grant produces is checked in DaclEdit_test; here the reads, the writes and their
// failures.
#include "security/FileSecurity.h"

#include <gtest/gtest.h>

#include "LogReader.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "security/AccountSid.h"
#include "security/CapturedStdout.h"
#include "support/ScopedTempDir.h"

namespace {

TEST(FileSecurityTest, MissingPathFailsAtTheFirstRead) {
  ScopedTempDir folder;
  ASSERT_FALSE(folder.path().empty());
  struct Case {
    const char* name;
    std::string path;
    const char* printed;
  } cases[] = {
      {"missing file", folder.Child("absent.txt"), "GetFileSecurity() failed. Error 2\n"},
      {"missing folder", folder.Child("absent\\file.txt"), "GetFileSecurity() failed. Error 3\n"},
  };
  for (const Case& c : cases) {
    const LogSince log = LogSince(c.name);
    CapturedStdout output;
    ASSERT_TRUE(output.active()) << c.name;

    const int granted = GrantAccountAccess(c.path.c_str(), "Users", GENERIC_ALL);
    const int reset = ResetFileDacl(c.path.c_str());

    const std::string printed = output.Stop();
    EXPECT_EQ(0, granted) << c.name;
    EXPECT_EQ(0, reset) << c.name;
    EXPECT_EQ(std::string(c.printed) + c.printed, printed) << c.name;
    const std::string line = std::string(c.printed, strlen(c.printed) - 1) + "\r\n";
    EXPECT_TRUE(log.Has(line)) << c.name;
  }
}

TEST(FileSecurityTest, UnknownAccountFailsAtTheLookupBeforeTheFileIsRead) {
  ScopedTempDir folder;
  const std::string file = folder.Child("file.txt");
  std::ofstream(file) << "x";
  CapturedStdout output;
  ASSERT_TRUE(output.active());

  const int granted = GrantAccountAccess(file.c_str(), "NoSuchGroupOfThisInstaller", GENERIC_ALL);

  const std::string printed = output.Stop();
  EXPECT_EQ(0, granted);
  EXPECT_EQ("LookupAccountName() failed. Error 1332\n", printed);
}

TEST(FileSecurityTest, GrantAndResetWriteAnExistingFileAndFolder) {
  ScopedTempDir folder;
  const std::string file = folder.Child("file.txt");
  std::ofstream(file) << "x";
  CapturedStdout output;
  ASSERT_TRUE(output.active());

  std::vector<int> results;
  for (const std::string& path : {file, folder.path()}) {
    results.push_back(ResetFileDacl(path.c_str()));
    results.push_back(GrantAccountAccess(path.c_str(), "Users", GENERIC_ALL));
    results.push_back(GrantAccountAccess(path.c_str(), "SYSTEM", GENERIC_ALL));
  }

  EXPECT_EQ("", output.Stop()) << "nothing failed, so nothing is printed";
  EXPECT_EQ(std::vector<int>(6, 1), results) << "reset, grant, grant on the file, then the folder";
}

TEST(FileSecurityTest, GrantBySidAnswersAndPrintsAsTheGrantByName) {
  ScopedTempDir folder;
  const std::string file = folder.Child("file.txt");
  std::ofstream(file) << "x";
  const HeapSid users = GetAccountSid("Users");
  ASSERT_NE(nullptr, users);
  struct Case {
    const char* name;
    std::string path;
    int want;
  } cases[] = {
      {"existing file", file, 1},
      {"existing folder", folder.path(), 1},
      {"missing file", folder.Child("absent.txt"), 0},
      {"missing folder", folder.Child("absent\\file.txt"), 0},
  };
  for (const Case& c : cases) {
    CapturedStdout byName;
    const int namedResult = GrantAccountAccess(c.path.c_str(), "Users", GENERIC_ALL);
    const std::string namedPrinted = byName.Stop();
    CapturedStdout bySid;
    const int sidResult = GrantSidAccess(c.path.c_str(), users.get(), GENERIC_ALL);
    const std::string sidPrinted = bySid.Stop();

    EXPECT_EQ(c.want, namedResult) << c.name;
    EXPECT_EQ(c.want, sidResult) << c.name;
    EXPECT_EQ(namedPrinted, sidPrinted) << c.name;
  }
}

}  // namespace
