// Which Uninstall entries are earlier Windows Installer installations of the product: the rule on
// its own, then the walk over a real registry key of the test's own (the machine's Uninstall key
// is left to the scenario that installs and removes a real package).
#include "engine/OldVersions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "LogReader.h"

namespace {

TEST(IsOldVersionEntryTest, WholeDisplayNameInItsCaseAndNotOurOwnEntry) {
  struct Case {
    const char* name;
    const char* subKey;
    const char* displayName;
    const char* appName;
    bool want;
  };
  const Case cases[] = {
      {"package entry named by its product code", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}",
       "Norvane", "Norvane", true},
      {"entry named like the product", "Norvane", "Norvane", "Norvane", true},
      {"display name in another case", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}", "norvane",
       "Norvane", false},
      {"display name in capitals", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}", "NORVANE", "Norvane",
       false},
      {"display name with a version after it", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}",
       "Norvane 1.5", "Norvane", false},
      {"display name with a blank after it", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}", "Norvane ",
       "Norvane", false},
      {"display name that is a prefix", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}", "Norv",
       "Norvane", false},
      {"empty display name", "{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}", "", "Norvane", false},
      {"this installer's own entry", "Norvane_new", "Norvane", "Norvane", false},
      {"a name that holds the marker", "Old Norvane_new copy", "Norvane", "Norvane", false},
      {"the marker in another case is not ours", "Norvane_NEW", "Norvane", "Norvane", true},
      {"another product's marker", "Webvane_new", "Norvane", "Norvane", true},
      {"TallysetAdmin was packaged with a blank", "{0A0B0C0D-0000-4000-8000-000000000001}",
       "Tallyset Admin", "TallysetAdmin", true},
      {"TallysetAdmin without the blank stays", "{0A0B0C0D-0000-4000-8000-000000000001}",
       "TallysetAdmin", "TallysetAdmin", false},
      {"appName TallysetAdmin in any case", "{0A0B0C0D-0000-4000-8000-000000000001}",
       "Tallyset Admin", "tallysetADMIN", true},
      {"the blank form is only for that product", "{0A0B0C0D-0000-4000-8000-000000000001}",
       "Tallyset Admin", "Tallyset", false},
      {"TallysetAdmin's own entry", "TallysetAdmin_new", "Tallyset Admin", "TallysetAdmin", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, IsOldVersionEntry(c.subKey, c.displayName, c.appName)) << c.name;
  }
}

TEST(MsiexecTest, UninstallCommandAndTheSystemsProgram) {
  EXPECT_EQ("MSIEXEC /x {6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8} /qb",
            MsiexecCommandLine("{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}"));

  // The program is the system's own, never one found through the search path.
  char system[MAX_PATH] = {};
  ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
  const std::string path = SystemMsiexecPath();
  EXPECT_EQ(std::string(system) + "\\msiexec.exe", path);
  EXPECT_TRUE(FileExists(path)) << path;
}

// A registry key of the test's own under HKEY_CURRENT_USER, with Uninstall-like subkeys, deleted
// with everything below it afterwards.
class UninstallKeyTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\QvxOldVersionsTest" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  // Adds the subkey |name|, with a DisplayName when |displayName| is not null.
  void AddEntry(const std::string& name, const char* displayName) {
    HKEY entry = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &entry, nullptr))
        << name;
    if (displayName) {
      EXPECT_EQ(ERROR_SUCCESS,
                RegSetValueExA(entry, "DisplayName", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(displayName),
                               static_cast<DWORD>(strlen(displayName) + 1)));
    }
    RegCloseKey(entry);
  }
  // The subkeys the walk hands over for removal, sorted.
  std::vector<std::string> Removed(const std::string& appName) const {
    std::vector<std::string> removed;
    ForEachOldVersionEntry(key_, appName,
                           [&](const std::string& name) { removed.push_back(name); });
    std::sort(removed.begin(), removed.end());
    return removed;
  }

  std::string path_;
  HKEY key_ = nullptr;
};

TEST_F(UninstallKeyTest, OnlyExactDisplayNamesOutsideOurOwnEntriesAreRemoved) {
  AddEntry("{11111111-1111-4111-8111-111111111111}", "Norvane");
  AddEntry("{22222222-2222-4222-8222-222222222222}", "norvane");
  AddEntry("{33333333-3333-4333-8333-333333333333}", "Norvane 1.5.0002");
  AddEntry("{44444444-4444-4444-8444-444444444444}", nullptr);
  AddEntry("{55555555-5555-4555-8555-555555555555}", "Norvane");
  AddEntry("Norvane_new", "Norvane");
  AddEntry("Copy of Norvane_new", "Norvane");
  AddEntry("Tallyset Admin", "Tallyset Admin");

  EXPECT_EQ((std::vector<std::string>{"{11111111-1111-4111-8111-111111111111}",
                                      "{55555555-5555-4555-8555-555555555555}"}),
            Removed("Norvane"));
  EXPECT_EQ((std::vector<std::string>{"Tallyset Admin"}), Removed("TallysetAdmin"));
  EXPECT_EQ((std::vector<std::string>{}), Removed("Webvane"));
}

TEST_F(UninstallKeyTest, DisplayNameMustFitItsBuffer) {
  // 255 characters and the terminator fill the buffer exactly; one more does not fit, and such
  // an entry is skipped even for a product of that very name.
  const std::string fits(kDisplayNameBufferSize - 1, 'N');
  const std::string tooLong(kDisplayNameBufferSize, 'N');
  AddEntry("{66666666-6666-4666-8666-666666666666}", fits.c_str());
  AddEntry("{77777777-7777-4777-8777-777777777777}", tooLong.c_str());

  EXPECT_EQ((std::vector<std::string>{"{66666666-6666-4666-8666-666666666666}"}), Removed(fits));
  EXPECT_EQ((std::vector<std::string>{}), Removed(tooLong));
}

TEST_F(UninstallKeyTest, SubkeyNameMustFitItsBuffer) {
  // 255 characters and the terminator fill the name buffer exactly; an entry with a longer name
  // cannot be read and is passed over, and the walk goes on after it.
  const std::string longest(kUninstallNameBufferSize - 1, 'K');
  const std::string tooLong(kUninstallNameBufferSize, 'L');
  AddEntry(longest, "Norvane");
  AddEntry("{88888888-8888-4888-8888-888888888888}", "Norvane");
  HKEY entry = nullptr;
  if (RegCreateKeyExA(key_, tooLong.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry,
                      nullptr) != ERROR_SUCCESS) {
    GTEST_SKIP() << "this registry refuses key names of 256 characters";  // Windows does
  }
  RegSetValueExA(entry, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Norvane"), 8);
  RegCloseKey(entry);

  EXPECT_EQ((std::vector<std::string>{longest, "{88888888-8888-4888-8888-888888888888}"}),
            Removed("Norvane"));
}

TEST(ProcessOldVersionTest, NoEarlierInstallationOnlyTraces) {
  CInstaller engine;
  engine.silent = 1;
  engine.appName = "QvxNoSuchProduct" + std::to_string(GetCurrentProcessId());
  const LogSince log;
  engine.ProcessOldVersion();
  EXPECT_TRUE(log.Has("Enter function ProcessOldVersion().\r\n")) << log.Text();
  EXPECT_TRUE(log.Has("Leave function ProcessOldVersion().\r\n")) << log.Text();
  EXPECT_FALSE(log.Has("Open register key failed.")) << log.Text();
}

}  // namespace
