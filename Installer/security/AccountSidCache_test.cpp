#include "security/AccountSidCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogReader.h"
#include "security/AccountSid.h"
#include "security/CapturedStdout.h"
#include "security/SddlTestTools.h"

namespace {

// Every name the stand-in lookup was asked for, in order; it resolves the names the real lookup
// resolves.
std::vector<std::string> g_lookedUp;

HeapSid CountingLookup(const char* accountName) {
  g_lookedUp.push_back(accountName);
  return GetAccountSid(accountName);
}

TEST(AccountSidCacheTest, EachResolvedNameIsLookedUpOncePerRun) {
  struct Case {
    const char* name;
    std::vector<std::string> requests;
    std::vector<std::string> lookups;
  } cases[] = {
      {"the default groups for three folders",
       {"Users", "SYSTEM", "Administrators", "Users", "SYSTEM", "Administrators", "Users",
        "SYSTEM", "Administrators"},
       {"Users", "SYSTEM", "Administrators"}},
      {"an unknown name is looked up on every request",
       {"Users", "NoSuchGroupOfThisInstaller", "Users", "NoSuchGroupOfThisInstaller"},
       {"Users", "NoSuchGroupOfThisInstaller", "NoSuchGroupOfThisInstaller"}},
      {"names are compared exactly", {"Users", "users", "Users"}, {"Users", "users"}},
  };
  for (const Case& c : cases) {
    g_lookedUp.clear();
    AccountSidCache cache(CountingLookup);
    CapturedStdout output;
    for (const std::string& name : c.requests) cache.Find(name);
    output.Stop();
    EXPECT_EQ(c.lookups, g_lookedUp) << c.name;
  }
}

TEST(AccountSidCacheTest, RepeatedRequestAnswersTheSameSidOfTheAccount) {
  AccountSidCache cache;

  const PSID first = cache.Find("Users");
  const PSID second = cache.Find("Users");

  const LocalBlock<void> users = SidFromString("BU");
  ASSERT_NE(nullptr, first);
  EXPECT_TRUE(EqualSid(first, users.get()));
  EXPECT_EQ(first, second) << "the second request must not make a new SID";
  EXPECT_EQ(1u, cache.size());
}

TEST(AccountSidCacheTest, FailedLookupReportsAsOftenAsItIsRequested) {
  AccountSidCache cache;
  const LogSince log = LogSince("unknown name through the cache");
  CapturedStdout output;

  const PSID first = cache.Find("NoSuchGroupOfThisInstaller");
  const DWORD firstError = GetLastError();
  const PSID second = cache.Find("NoSuchGroupOfThisInstaller");
  const DWORD secondError = GetLastError();
  const std::string printed = output.Stop();

  EXPECT_EQ(nullptr, first);
  EXPECT_EQ(nullptr, second);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), firstError);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), secondError);
  EXPECT_EQ("LookupAccountName() failed. Error 1332\nLookupAccountName() failed. Error 1332\n",
            printed);
  EXPECT_EQ(0u, cache.size());
  const std::string logged = log.Text();
  const std::string line = "LookupAccountName() failed. Error 1332\r\n";
  const size_t at = logged.find(line);
  ASSERT_NE(std::string::npos, at) << logged;
  EXPECT_NE(std::string::npos, logged.find(line, at + line.size())) << logged;
}

}  // namespace
