// The decision a run states before its first change, from the version its Uninstall entry names.
#include "engine/InstallDecision.h"

#include <gtest/gtest.h>

#include "engine/UninstallValues.h"
#include "rollback/RollbackTestTools.h"
#include "support/RegisterKey.h"

namespace {

TEST(InstallDecisionTest, VersionsCompareAsNumbersPartByPart) {
  struct Case {
    const char* a;
    const char* b;
    int want;
  } cases[] = {
      {"1.6.0003.0000.0035", "1.6.0003.0000.0035", 0},
      {"1.6.0003.0000.0035", "1.6.3.0.35", 0},
      {"1.6", "1.6.0.0", 0},
      {"1.6.0003.0000.0035", "1.7.0000.0000.0001", -1},
      {"1.10", "1.9", 1},
      {"2", "10", -1},
      {"1.6.0003.0000.0036", "1.6.0003.0000.0035", 1},
      {"1.6b", "1.6a", 1},  // a part that is no number compares as text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersions(c.a, c.b), c.want) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareVersions(c.b, c.a), -c.want) << c.b << " vs " << c.a;
  }
}

TEST(InstallDecisionTest, TheSentenceNamesWhatTheRunDoes) {
  struct Case {
    const char* installed;
    const char* want;
  } cases[] = {
      {"", "This is a fresh installation of 1.7."},
      {"1.6", "This is an upgrade from 1.6 to 1.7."},
      {"1.7", "This is a reinstallation of 1.7."},
      {"1.7.0", "This is a reinstallation of 1.7."},
      {"1.8", "This is a downgrade from 1.8 to 1.7."},
  };
  for (const Case& c : cases) EXPECT_EQ(DecisionSentence(c.installed, "1.7"), c.want) << c.installed;
}

TEST(InstallDecisionTest, TheInstalledVersionIsTheUninstallEntrysDisplayVersion) {
  const std::string appName = "DecisionVane" + std::to_string(GetCurrentProcessId());
  const std::string key = UninstallKeyPath(appName);
  EXPECT_EQ(InstalledVersion(appName), "") << "no entry";
  const std::string version = "1.6.0003.0000.0035";
  {
    CRegisterKey entry;
    ASSERT_EQ(entry.Open(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE), ERROR_SUCCESS);
    ASSERT_EQ(entry.WriteString("DisplayVersion", version.c_str()), ERROR_SUCCESS);
  }
  EXPECT_EQ(InstalledVersion(appName), version);
  rollback::DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
}

}  // namespace
