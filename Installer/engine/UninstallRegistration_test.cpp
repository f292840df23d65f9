// The Uninstall entry in the machine's registry of the test prefix, read back in the 32-bit view
// that the installer and the product's other programs use.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "engine/Installer.h"
#include "engine/ShortcutPlan.h"
#include "engine/UninstallValues.h"
#include "support/RegisterKey.h"
#include "LogReader.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// An application name no other test uses, so the test owns its <name>_new key.
std::string UniqueAppName() {
  static int counter = 0;
  return "NorvaneTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// Opens HKLM\<key> in |view| (KEY_WOW64_32KEY or KEY_WOW64_64KEY) for reading.
class ReadKey {
 public:
  ReadKey(const std::string& key, REGSAM view)
      : status_(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &key_)) {}
  ~ReadKey() {
    if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  bool exists() const { return status_ == ERROR_SUCCESS; }
  // The REG_SZ value |name|; "<absent>" when there is none, "<type N>" for another type.
  std::string String(const char* name) const {
    char data[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(data) - 1;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS) {
      return "<absent>";
    }
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return data;
  }
  // The REG_DWORD value |name| in decimal; "<absent>" or "<type N>" as String answers.
  std::string Dword(const char* name) const {
    DWORD data = 0;
    DWORD type = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS) {
      return "<absent>";
    }
    if (type != REG_DWORD) return "<type " + std::to_string(type) + ">";
    return std::to_string(data);
  }

 private:
  HKEY key_ = nullptr;
  LONG status_;
};

class UninstallRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    engine_.appName = UniqueAppName();
    key_ = kUninstallKey + engine_.appName + "_new";
  }
  void TearDown() override {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), KEY_WOW64_64KEY, 0);
  }
  // The demo configuration's shortcuts, installed in C:\Program Files\QVX\.
  void SetDemoShortcuts() {
    engine_.installRoot = "C:\\Program Files\\QVX\\";
    engine_.companyName = "QVX";
    engine_.startMenuShortcut = 1;
    engine_.shortcuts = {{"quorvin.exe", "Brenmoor", "BrenmoorEHR\\Webvane.exe", "4"},
                         {"unwindle.exe", "Uninstall Norvane", "", "unwindle.exe"}};
    engine_.exePaths = {{"unwindle.exe", engine_.installRoot}};
  }
  // The shortcut step's work without the links: every program is taken to be there.
  void PlanShortcuts() {
    InstalledFiles files;
    files.exists = [](const std::string&) { return true; };
    std::vector<std::string> skipped;
    PlanShortcutLinks(engine_, files, &skipped);
  }

  CInstaller engine_;
  std::string key_;
};

TEST_F(UninstallRegistrationTest, ThreeValuesFromTheShortcutStep) {
  SetDemoShortcuts();
  PlanShortcuts();

  engine_.RegisterUninstall();

  const ReadKey key(key_, KEY_WOW64_32KEY);
  ASSERT_TRUE(key.exists());
  EXPECT_EQ(engine_.appName, key.String("DisplayName"));
  const std::string want = "\"C:\\Program Files\\QVX\\unwindle.exe\" \"C:\\Program Files\" "
                           "\"AppInfo.xml\" \"QVX\" \"" +
                           engine_.appName + "\" \"FALSE\"";
  EXPECT_EQ(want, key.String("UninstallString")) << "the program's path is quoted";
  EXPECT_EQ("C:\\Program Files\\QVX\\unwindle.exe", key.String("DisplayIcon"));
  EXPECT_FALSE(ReadKey(key_, KEY_WOW64_64KEY).exists()) << "only in the 32-bit view";
}

TEST_F(UninstallRegistrationTest, ValuesForDeploymentTools) {
  SetDemoShortcuts();
  PlanShortcuts();
  engine_.version = "1.6.0003.0000.0035";
  engine_.placedBytes = 3 * 1024 + 5;
  SYSTEMTIME before = {};
  GetLocalTime(&before);

  engine_.RegisterUninstall();

  SYSTEMTIME after = {};
  GetLocalTime(&after);
  const ReadKey key(key_, KEY_WOW64_32KEY);
  ASSERT_TRUE(key.exists());
  EXPECT_EQ("1.6.0003.0000.0035", key.String("DisplayVersion"));
  EXPECT_EQ("QVX", key.String("Publisher"));
  EXPECT_EQ("C:\\Program Files\\QVX\\", key.String("InstallLocation"));
  const std::string date = key.String("InstallDate");
  EXPECT_TRUE(date == InstallDateText(before) || date == InstallDateText(after)) << date;
  EXPECT_EQ("4", key.Dword("EstimatedSize"));
  EXPECT_EQ("1", key.Dword("NoModify"));
  EXPECT_EQ("1", key.Dword("NoRepair"));
  std::string quiet = key.String("UninstallString");
  ASSERT_EQ("\"FALSE\"", quiet.substr(quiet.size() - 7));
  quiet.replace(quiet.size() - 7, 7, "\"TRUE\"");
  EXPECT_EQ(quiet, key.String("QuietUninstallString"));
}

TEST_F(UninstallRegistrationTest, ExistingKeyKeepsItsOtherValues) {
  HKEY raw = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0,
                                           KEY_WRITE | KEY_WOW64_32KEY, nullptr, &raw, nullptr));
  for (const char* name : {"Comments", "Publisher", "DisplayName", "UninstallString",
                           "DisplayIcon"}) {
    const char old[] = "set by hand";
    RegSetValueExA(raw, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof(old));
  }
  RegCloseKey(raw);
  engine_.uninstallCommand = "\"C:\\QVX\\unwindle.exe\" \"C:\" \"AppInfo.xml\"";
  engine_.uninstallIcon = "C:\\QVX\\unwindle.exe";
  engine_.companyName = "QVX";

  engine_.RegisterUninstall();

  const ReadKey key(key_, KEY_WOW64_32KEY);
  EXPECT_EQ("set by hand", key.String("Comments"));
  EXPECT_EQ(engine_.companyName, key.String("Publisher")) << "a value of the entry is rewritten";
  EXPECT_EQ(engine_.appName, key.String("DisplayName"));
  EXPECT_EQ(engine_.uninstallCommand, key.String("UninstallString"));
  EXPECT_EQ(engine_.uninstallIcon, key.String("DisplayIcon"));
}

TEST_F(UninstallRegistrationTest, NoIconNoDisplayIcon) {
  engine_.uninstallCommand = "\"C:\\QVX\\unwindle.exe\" \"C:\"";

  engine_.RegisterUninstall();

  const ReadKey key(key_, KEY_WOW64_32KEY);
  ASSERT_TRUE(key.exists());
  EXPECT_EQ(engine_.uninstallCommand, key.String("UninstallString"));
  EXPECT_EQ("<absent>", key.String("DisplayIcon"));
}

TEST_F(UninstallRegistrationTest, NoKeyWithoutAnUninstallShortcut) {
  const struct {
    const char* name;
    bool dropUninstallEntry;
    int startMenuShortcut;
  } kCases[] = {
      {"no shortcut entry for the uninstall program", true, 1},
      {"Start-menu shortcuts switched off", false, 0},
  };
  for (const auto& c : kCases) {
    SetDemoShortcuts();
    if (c.dropUninstallEntry) engine_.shortcuts.pop_back();
    engine_.startMenuShortcut = c.startMenuShortcut;
    PlanShortcuts();
    ASSERT_EQ("", engine_.uninstallCommand) << c.name;

    engine_.RegisterUninstall();

    EXPECT_FALSE(ReadKey(key_, KEY_WOW64_32KEY).exists()) << c.name;
    EXPECT_FALSE(ReadKey(key_, KEY_WOW64_64KEY).exists()) << c.name;
  }
}

// A package without the uninstall program, installed elsewhere: the entry of the earlier
// installation is not touched, and the log names it, its folder and its command, so that nobody
// takes the old tree for the new one unwarned.
TEST_F(UninstallRegistrationTest, AnEntryLeftAsItWasIsNamedInTheLog) {
  const std::string oldCommand =
      "\"C:\\NQ\\QVX\\unwindle.exe\" \"C:\\NQ\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"FALSE\"";
  {
    CRegisterKey earlier;
    ASSERT_EQ(ERROR_SUCCESS, earlier.Open(HKEY_LOCAL_MACHINE, UninstallKeyPath(engine_.appName),
                                          KEY_WRITE));
    ASSERT_EQ(ERROR_SUCCESS, earlier.WriteString("InstallLocation", "C:\\NQ\\QVX\\"));
    ASSERT_EQ(ERROR_SUCCESS, earlier.WriteString("UninstallString", oldCommand.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, earlier.WriteString("DisplayVersion", "1.6"));
  }
  SetDemoShortcuts();
  engine_.installRoot = "C:\\NU\\QVX\\";
  engine_.shortcuts.pop_back();  // the package has no uninstall program
  engine_.version = "1.7";
  PlanShortcuts();
  ASSERT_EQ("", engine_.uninstallCommand);
  const LogSince log;

  engine_.RegisterUninstall();

  const ReadKey key(key_, KEY_WOW64_32KEY);
  ASSERT_TRUE(key.exists());
  EXPECT_EQ("C:\\NQ\\QVX\\", key.String("InstallLocation"));
  EXPECT_EQ(oldCommand, key.String("UninstallString"));
  EXPECT_EQ("1.6", key.String("DisplayVersion"));
  EXPECT_TRUE(log.Has("Warning: the package has no uninstall program, so the Uninstall entry HKLM\\" +
                      UninstallKeyPath(engine_.appName) +
                      " is left as it was: InstallLocation C:\\NQ\\QVX\\, UninstallString " +
                      oldCommand + "; this installation is in C:\\NU\\QVX\\.\r\n"))
      << log.Text();
}

TEST_F(UninstallRegistrationTest, NoEntryNoWarning) {
  SetDemoShortcuts();
  engine_.shortcuts.pop_back();
  PlanShortcuts();
  const LogSince log;

  engine_.RegisterUninstall();

  EXPECT_FALSE(ReadKey(key_, KEY_WOW64_32KEY).exists());
  EXPECT_FALSE(log.Has("Uninstall entry")) << log.Text();
}

}  // namespace
