#include "security/AccountSid.h"

#include <gtest/gtest.h>

#include "LogReader.h"

#include "security/CapturedStdout.h"
#include "security/SddlTestTools.h"

namespace {

TEST(AccountSidTest, DefaultGroupsResolveToTheirWellKnownSids) {
  struct Case {
    const char* name;
    const char* sid;
  } cases[] = {
      {"Users", "S-1-5-32-545"},
      {"SYSTEM", "S-1-5-18"},
      {"Administrators", "S-1-5-32-544"},
  };
  for (const Case& c : cases) {
    const HeapSid sid = GetAccountSid(c.name);
    const LocalBlock<void> expected = SidFromString(c.sid);
    ASSERT_TRUE(sid) << c.name;
    ASSERT_TRUE(expected) << c.name;
    EXPECT_TRUE(EqualSid(sid.get(), expected.get())) << c.name;
  }
}

TEST(AccountSidTest, UnknownNameAnswersNullAndPrintsTheLookupError) {
  const LogSince log = LogSince("unknown account name");
  CapturedStdout output;
  ASSERT_TRUE(output.active());

  const HeapSid sid = GetAccountSid("NoSuchGroupOfThisInstaller");
  const DWORD error = GetLastError();
  const std::string printed = output.Stop();

  EXPECT_EQ(nullptr, sid);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), error) << "the code survives the printing";
  EXPECT_EQ("LookupAccountName() failed. Error 1332\n", printed);
  EXPECT_TRUE(log.Has("LookupAccountName() failed. Error 1332\r\n")) << log.Text();
}

}  // namespace
