// The merge of stored product settings: the list arithmetic on its own, then ReadMergedList and
// CInstaller::MergeRegistrySettings against the real registry of the test prefix.
#include "engine/RegistrySettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/Installer.h"

namespace {

// The records as one line each, so a failing case shows the whole list.
std::string Describe(const std::vector<RegValue>& records) {
  std::string text;
  for (const RegValue& record : records) {
    text += "[" + record.keyPath + "] " + record.valueName + " = '" + record.value + "'\n";
  }
  return text;
}

TEST(MergeListsTest, UserItemsFirstThenNewMachineItems) {
  struct Case {
    const char* name;
    const char* user;
    const char* machine;
    const char* want;
  };
  const Case cases[] = {
      {"overlapping lists", "h1 h2", "h2 h3", "h1 h2 h3"},
      {"machine only, repeated and trailing blanks", "", "h1  h2 ", "h1 h2"},
      {"user only", "h1 h2", "", "h1 h2"},
      {"neither", "", "", ""},
      {"only blanks", "   ", " ", ""},
      {"leading blanks", "  h1", " h2", "h1 h2"},
      {"items differing in case both stay", "H1", "h1", "H1 h1"},
      {"repeats within one list", "h1 h1 h2", "h2 h1", "h1 h2"},
      {"the same list in both hives", "h1 h2", "h1 h2", "h1 h2"},
      {"order of the user's list is kept", "h3 h1", "h1 h2", "h3 h1 h2"},
      {"items are split at blanks only", "a,b\tc", "a,b", "a,b\tc a,b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, MergeLists(c.user, c.machine)) << c.name;
  }
}

TEST(AddUniqueTokensTest, AppendsOnlyItemsTheListLacks) {
  std::vector<std::string> list = {"h2"};
  AddUniqueTokens("h1 h2  H2 h1 ", list);
  EXPECT_EQ((std::vector<std::string>{"h2", "h1", "H2"}), list);
}

TEST(ProductSettingsKeyTest, TallysetProductsHaveAKeyOfTheirOwn) {
  struct Case {
    const char* appName;
    const char* want;
  };
  const Case cases[] = {
      {"Norvane", "SOFTWARE\\QVX\\QUORVIN"},
      {"Brenmoor", "SOFTWARE\\QVX\\QUORVIN"},
      {"", "SOFTWARE\\QVX\\QUORVIN"},
      {"Tallyset", "SOFTWARE\\QVX\\Tallyset"},
      {"TallysetAdmin", "SOFTWARE\\QVX\\TallysetAdmin"},
      {"tallysetADMIN", "SOFTWARE\\QVX\\tallysetADMIN"},
      {"TallysetAdministrator", "SOFTWARE\\QVX\\QUORVIN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, ProductSettingsKey(c.appName)) << "'" << c.appName << "'";
  }
}

// Registry tests: the keys the product uses are real keys of the throwaway unit prefix, so each
// case starts and ends with them deleted from both hives.
constexpr char kQuorvin[] = "SOFTWARE\\QVX\\QUORVIN";
constexpr char kTallysetAdmin[] = "SOFTWARE\\QVX\\TallysetAdmin";
constexpr char kExitCare[] = "SOFTWARE\\MedQuest\\ExitCare\\Settings";
const char* const kStoredRoots[] = {"SOFTWARE\\QVX", "SOFTWARE\\MedQuest"};
const std::string kTestKey = "SOFTWARE\\QvxTest" + std::to_string(GetCurrentProcessId());

void DeleteStoredSettings() {
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const char* root : kStoredRoots) RegDeleteTreeA(hive, root);
    RegDeleteTreeA(hive, kTestKey.c_str());
  }
}

bool KeyExists(HKEY hive, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value that an earlier installation of the product left behind.
struct Stored {
  HKEY hive;
  std::string key;
  std::string name;
  std::string text;
};

void Store(const Stored& value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(value.hive, value.key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                           nullptr, &key, nullptr))
      << value.key;
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, value.name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.text.c_str()),
                                          static_cast<DWORD>(value.text.size() + 1)));
  RegCloseKey(key);
}

class StoredSettingsTest : public testing::Test {
 protected:
  void SetUp() override { DeleteStoredSettings(); }
  void TearDown() override { DeleteStoredSettings(); }
};

TEST_F(StoredSettingsTest, ReadMergedListReadsBothHives) {
  struct Case {
    const char* name;
    std::vector<Stored> stored;
    std::string start;  // what the result holds before the call
    std::string want;
  };
  const HKEY user = HKEY_CURRENT_USER;
  const HKEY machine = HKEY_LOCAL_MACHINE;
  const std::string tooLong(512, 'x');
  const Case cases[] = {
      {"both hives",
       {{user, kTestKey, "HostList", "h1 h2"}, {machine, kTestKey, "HostList", "h2 h3"}},
       "",
       "h1 h2 h3"},
      {"machine only", {{machine, kTestKey, "HostList", "h1  h2 "}}, "", "h1 h2"},
      {"neither, starting empty", {}, "", ""},
      // A hive that has no value offers what the result held before.
      {"neither, starting with a list", {}, "p1  p2", "p1 p2"},
      {"machine only, starting with a list",
       {{machine, kTestKey, "HostList", "p2 m1"}},
       "p1 p2",
       "p1 p2 m1"},
      {"user's value too long for the buffer",
       {{user, kTestKey, "HostList", tooLong}, {machine, kTestKey, "HostList", "m1"}},
       "",
       "m1"},
      {"value names of the registry ignore case", {{user, kTestKey, "HOSTLIST", "u1"}}, "", "u1"},
  };
  for (const Case& c : cases) {
    DeleteStoredSettings();
    for (const Stored& value : c.stored) Store(value);
    std::string result = c.start;
    EXPECT_TRUE(ReadMergedList(kTestKey, "HostList", result)) << c.name;
    EXPECT_EQ(c.want, result) << c.name;
    // Reading creates nothing: a hive keeps the key only when the case stored a value there.
    for (HKEY hive : {user, machine}) {
      const bool stored = std::any_of(c.stored.begin(), c.stored.end(),
                                      [&](const Stored& value) { return value.hive == hive; });
      EXPECT_EQ(stored, KeyExists(hive, kTestKey))
          << c.name << (hive == user ? ": current user" : ": machine");
    }
  }
}

TEST_F(StoredSettingsTest, StoredListsReplaceTheConfiguredOnes) {
  struct Case {
    const char* name;
    const char* appName;
    std::vector<RegValue> configured;
    std::vector<Stored> stored;
    std::vector<RegValue> want;
  };
  const HKEY user = HKEY_CURRENT_USER;
  const HKEY machine = HKEY_LOCAL_MACHINE;
  const std::string key = "SOFTWARE/QVX/QUORVIN";  // the records' place in AppInfo.xml
  const std::string ownKey = "SOFTWARE/QVX/TallysetAdmin";
  const RegValue exitCare = {kExitCare, "ExitCareLocation", "\\\\care01\\ExitCare"};
  const Case cases[] = {
      {"current user first, then new machine items",
       "Norvane",
       {{key, "HostList", "cfg1"}},
       {{user, kQuorvin, "HostList", "h1 h2"}, {machine, kQuorvin, "HostList", "h2 h3"}},
       {{key, "HostList", "h1 h2 h3"}}},
      {"machine only, repeated and trailing blanks",
       "Brenmoor",
       {{key, "HostList", "cfg1"}},
       {{machine, kQuorvin, "HostList", "h1  h2 "}},
       {{key, "HostList", "h1 h2"}}},
      {"a list in neither hive keeps the configured value",
       "Brenmoor",
       {{key, "HostList", "cfg1"}, {key, "PortList", "4000 4001"}},
       {{user, kQuorvin, "HostList", "h1"}},
       {{key, "HostList", "h1"}, {key, "PortList", "4000 4001"}}},
      {"a stored list of blanks keeps the configured value",
       "Brenmoor",
       {{key, "PortList", "4000"}},
       {{user, kQuorvin, "PortList", "   "}},
       {{key, "PortList", "4000"}}},
      {"items differing in case both stay",
       "Brenmoor",
       {{key, "HostList", "cfg1"}},
       {{user, kQuorvin, "HostList", "H1"}, {machine, kQuorvin, "HostList", "h1"}},
       {{key, "HostList", "H1 h1"}}},
      {"every list setting is looked up",
       "Brenmoor",
       {{key, "Campus", "c"},
        {key, "HostList", "h"},
        {key, "PortList", "p"},
        {key, "AutoUpdateHostName", "a"},
        {key, "UpdateFileURL", "u"},
        {key, "WebHostList", "w"}},
       {{machine, kQuorvin, "Campus", "C1"},
        {machine, kQuorvin, "HostList", "H1"},
        {machine, kQuorvin, "PortList", "P1"},
        {machine, kQuorvin, "AutoUpdateHostName", "A1"},
        {machine, kQuorvin, "UpdateFileURL", "http://update/U1"},
        {machine, kQuorvin, "WebHostList", "W1"}},
       {{key, "Campus", "C1"},
        {key, "HostList", "H1"},
        {key, "PortList", "P1"},
        {key, "AutoUpdateHostName", "A1"},
        {key, "UpdateFileURL", "http://update/U1"},
        {key, "WebHostList", "W1"}}},
      {"MinFontSize is never looked up",
       "Brenmoor",
       {{key + "/Font/Size", "MinFontSize", "9"}},
       {{user, kQuorvin, "MinFontSize", "12"}, {machine, kQuorvin, "MinFontSize", "14"}},
       {{key + "/Font/Size", "MinFontSize", "9"}}},
      // The registry would find "hostlist" too: only the exact name is looked up.
      {"setting names are matched exactly",
       "Brenmoor",
       {{key, "hostlist", "cfg1"}},
       {{user, kQuorvin, "HostList", "h1"}},
       {{key, "hostlist", "cfg1"}}},
      {"no record for a name the configuration lacks",
       "Norvane",
       {{key, "PortList", "4000"}},
       {{user, kQuorvin, "HostList", "h1"}, {machine, kQuorvin, "HostList", "h2"}},
       {{key, "PortList", "4000"}}},
      {"TallysetAdmin reads its own key",
       "TallysetAdmin",
       {{ownKey, "HostList", "cfg1"}, {ownKey, "PortList", "4000"}},
       {{user, kTallysetAdmin, "HostList", "t1"},
        {user, kQuorvin, "HostList", "q1"},
        {machine, kQuorvin, "PortList", "5000"}},
       {{ownKey, "HostList", "t1"}, {ownKey, "PortList", "4000"}}},
      {"ExitCare location of the current user for Norvane",
       "Norvane",
       {{key, "HostList", "cfg1"}},
       {{user, kExitCare, "ExitCareLocation", exitCare.value}},
       {{key, "HostList", "cfg1"}, exitCare}},
      {"ExitCare location merged over both hives, any case of Norvane",
       "NORVANE",
       {},
       {{user, kExitCare, "ExitCareLocation", "L1"},
        {machine, kExitCare, "ExitCareLocation", "L1 L2"}},
       {{kExitCare, "ExitCareLocation", "L1 L2"}}},
      {"no ExitCare record when none is stored",
       "Norvane",
       {{key, "HostList", "cfg1"}},
       {},
       {{key, "HostList", "cfg1"}}},
      {"no ExitCare record for another product",
       "Brenmoor",
       {{key, "HostList", "cfg1"}},
       {{user, kExitCare, "ExitCareLocation", "L1"},
        {machine, kExitCare, "ExitCareLocation", "L2"}},
       {{key, "HostList", "cfg1"}}},
  };
  for (const Case& c : cases) {
    DeleteStoredSettings();
    for (const Stored& value : c.stored) Store(value);
    CInstaller engine;
    engine.appName = c.appName;
    engine.regValues = c.configured;
    engine.MergeRegistrySettings();
    EXPECT_EQ(Describe(c.want), Describe(engine.regValues)) << c.name;
  }
}

// Reading creates nothing: a merge on a machine without stored settings leaves no key behind,
// neither the settings key nor the ExitCare key the main product looks up, nor a parent of them.
TEST_F(StoredSettingsTest, ReadingLeavesNoKeyBehind) {
  const char* const kAppNames[] = {"Norvane", "Brenmoor", "TallysetAdmin"};
  for (const char* appName : kAppNames) {
    DeleteStoredSettings();
    CInstaller engine;
    engine.appName = appName;
    engine.regValues = {{"SOFTWARE/QVX/QUORVIN", "HostList", "cfg1"}};
    engine.MergeRegistrySettings();
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      const char* hiveName = hive == HKEY_CURRENT_USER ? "HKCU" : "HKLM";
      for (const char* root : kStoredRoots) {
        EXPECT_FALSE(KeyExists(hive, root)) << appName << " " << hiveName << "\\" << root;
      }
    }
    EXPECT_EQ("cfg1", engine.regValues.at(0).value) << appName;
  }
}

}  // namespace
