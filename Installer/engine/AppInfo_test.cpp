// AppInfo.xml below the application folder: first installation, reinstallation with and without
// new host values, the element paths of the settings, a value the file cannot take, and the
// one-pass write against the write of one value at a time.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"
#include "xml/AppInfoSeedText.h"
#include "xml/RegUtil.h"
#include "LogReader.h"

namespace {

const char kSeed[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<appConfig xmlns=\"urn:qvx:appconfig\">\r\n"
    "  <appInfo><companyName>QVX</companyName><appName>Norvane</appName></appInfo>\r\n"
    "  <regInfo><SOFTWARE><QVX><QUORVIN>\r\n"
    "    <HostList>HOST1 HOST2</HostList>\r\n"
    "    <PortList>15000</PortList>\r\n"
    "  </QUORVIN></QVX></SOFTWARE></regInfo>\r\n"
    "</appConfig>\r\n";

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The text at |path| of the XML file, or "<missing>".
std::string ValueAt(const std::string& file, const std::string& path) {
  CXmlDom dom;
  if (!dom.Load(file, 1)) return "<unreadable>";
  ComPtr<IXMLDOMNode> root;
  dom.GetNode("/appConfig", &root, 1);
  std::string text;
  return root && dom.GetNodeText(&text, root.get(), path) ? text : "<missing>";
}

// The current user's stored host list, which a first installation takes over.
class StoredHostList {
 public:
  explicit StoredHostList(const char* value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "HostList", REG_SZ, value,
                    static_cast<DWORD>(strlen(value) + 1));
  }
  ~StoredHostList() { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

 private:
  static constexpr const char* kKey = "SOFTWARE\\QVX\\QUORVIN";
};

class AppInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    engine_.silent = 1;
    engine_.appName = "Norvane";
    engine_.groupName = "Users|SYSTEM|Administrators";
    ASSERT_EQ(1, engine_.initSecurityUserGroup(engine_.groupName));
    engine_.installRoot = temp_.path() + "\\";
    engine_.regValues = {{"/SOFTWARE/QVX/QUORVIN[0]", "HostList", "CONFIGURED"},
                         {"/SOFTWARE/QVX/QUORVIN[0]", "PortList", "16000"},
                         {"/SOFTWARE/QVX/QUORVIN[0]/Font/Size", "MinFontSize", "14"}};
    seed_ = temp_.Child("seed.xml");
    WriteFile(seed_, kSeed);
  }
  std::string AppInfoFile() const { return temp_.Child("Norvane\\AppData\\AppInfo.xml"); }

  ScopedTempDir temp_;
  CInstaller engine_;
  std::string seed_;
};

TEST_F(AppInfoTest, FirstInstallationCopiesTheConfigurationAndWritesEverySetting) {
  const StoredHostList stored("STORED1 STORED2");
  engine_.UpdateAppInfo(engine_.installRoot, seed_);

  EXPECT_EQ(AppInfoFile(), engine_.appInfoPath);
  EXPECT_EQ("STORED1 STORED2", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/HostList"))
      << "the list stored by an earlier installation carries over";
  EXPECT_EQ("16000", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/PortList"));
  EXPECT_EQ("14", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/Font/Size/MinFontSize"))
      << "missing key elements are created under the product key";
  EXPECT_EQ("QVX", ValueAt(AppInfoFile(), "/appConfig/appInfo/companyName")) << "a copy of the configuration";
  const std::string text = ReadFileBytes(AppInfoFile());
  EXPECT_EQ(std::string::npos, text.find("<?xml")) << "saved without a declaration";
  // The seed has <SOFTWARE> on the line of <regInfo>; the re-indented file gives it its own.
  EXPECT_TRUE(std::regex_search(text, std::regex("\n[ \t]+<SOFTWARE>"))) << "re-indented:\n" << text;
}

TEST_F(AppInfoTest, ReinstallationWithoutNewHostValuesLeavesTheFileAlone) {
  engine_.UpdateAppInfo(engine_.installRoot, seed_);
  const std::string before = ReadFileBytes(AppInfoFile());

  CInstaller second;
  second.silent = 1;
  second.appName = "Norvane";
  second.groupName = engine_.groupName;
  second.regValues = {{"/SOFTWARE/QVX/QUORVIN[0]", "HostList", "SECOND"}};
  const LogSince log;
  second.UpdateAppInfo(engine_.installRoot, seed_);

  EXPECT_EQ(before, ReadFileBytes(AppInfoFile())) << "byte for byte";
  EXPECT_FALSE(log.Has("Please check if group")) << "the rights are set again without complaint";
}

TEST_F(AppInfoTest, ReinstallationWithNewHostValuesWritesEveryValue) {
  engine_.UpdateAppInfo(engine_.installRoot, seed_);
  const StoredHostList stored("STORED");

  engine_.hostSettingsChanged = 1;
  engine_.regValues[0].value = "GIVEN1 GIVEN2";
  engine_.regValues[1].value = "17000";
  engine_.UpdateAppInfo(engine_.installRoot, seed_);

  EXPECT_EQ("GIVEN1 GIVEN2", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/HostList"))
      << "given values win; the registry is not read";
  EXPECT_EQ("17000", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/PortList"));
}

TEST_F(AppInfoTest, MissingValueElementsAndTheExitCareChain) {
  engine_.regValues = {{"/SOFTWARE/QVX/QUORVIN[0]", "WebHostList", "WEB1"},
                       {"SOFTWARE\\MedQuest\\ExitCare\\Settings", "ExitCareLocation", "\\\\srv\\ec"}};
  engine_.hostSettingsChanged = 1;  // no registry merge in this test
  engine_.UpdateAppInfo(engine_.installRoot, seed_);

  EXPECT_EQ("WEB1", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/WebHostList"));
  EXPECT_EQ("\\\\srv\\ec",
            ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/MedQuest/ExitCare/Settings/ExitCareLocation"))
      << "the chain is created below the existing SOFTWARE element";
}

TEST_F(AppInfoTest, OtherProductsUseTheirApplicationFolder) {
  engine_.appName = "Tallyset";
  engine_.hostSettingsChanged = 1;
  engine_.UpdateAppInfo(engine_.installRoot + "Tallyset\\", seed_);
  EXPECT_EQ(temp_.Child("Tallyset\\AppData\\AppInfo.xml"), engine_.appInfoPath);
  EXPECT_EQ("CONFIGURED", ValueAt(engine_.appInfoPath, "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/HostList"));
}

TEST_F(AppInfoTest, AValueTheFileCannotTakeIsSkippedAndLogged) {
  // An existing AppInfo.xml without the product key: the creating walk would have to make an
  // element named QUORVIN[0], which the DOM refuses.
  CreateDirectoryA(temp_.Child("Norvane").c_str(), nullptr);
  CreateDirectoryA(temp_.Child("Norvane\\AppData").c_str(), nullptr);
  WriteFile(AppInfoFile(), "<appConfig><regInfo><SOFTWARE/></regInfo></appConfig>");
  engine_.hostSettingsChanged = 1;
  engine_.regValues = {{"/SOFTWARE/QVX/QUORVIN[0]", "HostList", "H"},
                       {"SOFTWARE\\MedQuest\\ExitCare\\Settings", "ExitCareLocation", "E"}};
  const LogSince log;

  EXPECT_TRUE(engine_.UpdateAppInfo(engine_.installRoot, seed_))
      << "a configured value that cannot be written does not fail the installation";

  EXPECT_TRUE(log.Has("Writing setting HostList to element "
                      "/appConfig/regInfo//SOFTWARE/QVX/QUORVIN[0]/HostList of " +
                      AppInfoFile() + " failed with HRESULT 0x"))
      << log.Text();
  EXPECT_EQ("E", ValueAt(AppInfoFile(), "/appConfig/regInfo/SOFTWARE/MedQuest/ExitCare/Settings/ExitCareLocation"))
      << "the other values are still written";
}

TEST_F(AppInfoTest, AGivenSettingThatCannotBeStoredFailsTheStep) {
  // An existing AppInfo.xml that no XML reader accepts: no value can be written into it.
  CreateDirectoryA(temp_.Child("Norvane").c_str(), nullptr);
  CreateDirectoryA(temp_.Child("Norvane\\AppData").c_str(), nullptr);
  WriteFile(AppInfoFile(), "<appConfig><regInfo>");
  engine_.hostSettingsChanged = 1;
  engine_.regValues[0].value = "GIVEN";
  engine_.regValues[0].fromCommandLine = 1;
  const LogSince log;

  EXPECT_FALSE(engine_.UpdateAppInfo(engine_.installRoot, seed_));

  for (const char* name : {"HostList", "PortList"}) {
    EXPECT_TRUE(log.Has(std::string("Writing setting ") + name + " to element "
                        "/appConfig/regInfo//SOFTWARE/QVX/QUORVIN[0]/" + name + " of " +
                        AppInfoFile() + " failed with HRESULT 0x"))
        << name << ": every value is logged, the one that failed to load too\n" << log.Text();
  }
  EXPECT_FALSE(log.Has("failed with HRESULT 0x00000000")) << log.Text();
  EXPECT_TRUE(log.Has("Settings given on the command line could not be stored in " +
                      AppInfoFile() + ": HostList.\r\n"))
      << "only the given setting is named\n" << log.Text();
}

TEST_F(AppInfoTest, AFileThatCannotBeSavedLogsEveryValueAndFailsAGivenOne) {
  engine_.hostSettingsChanged = 1;
  engine_.UpdateAppInfo(engine_.installRoot, seed_);
  const std::string before = ReadFileBytes(AppInfoFile());
  // Another program reads the file and lets others only read it too: it loads and takes every
  // value, but cannot be written back.
  const UniqueHandle reader(CreateFileA(AppInfoFile().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  engine_.regValues[0].value = "GIVEN";
  engine_.regValues[0].fromCommandLine = 1;
  const LogSince log;

  EXPECT_FALSE(engine_.UpdateAppInfo(engine_.installRoot, seed_));

  EXPECT_EQ(before, ReadFileBytes(AppInfoFile()));
  for (const RegValue& record : engine_.regValues) {
    EXPECT_TRUE(log.Has("Writing setting " + record.valueName + " to element " +
                        ValueElementPath(record.keyPath, record.valueName) + " of " +
                        AppInfoFile() + " failed with HRESULT 0x"))
        << record.valueName << "\n" << log.Text();
  }
  EXPECT_FALSE(log.Has("failed with HRESULT 0x00000000")) << log.Text();
  EXPECT_TRUE(log.Has("Settings given on the command line could not be stored in " +
                      AppInfoFile() + ": HostList.\r\n"))
      << log.Text();
}

TEST_F(AppInfoTest, MissingSourceCreatesNothingAndReportsTheRights) {
  const LogSince log;
  engine_.UpdateAppInfo(engine_.installRoot, temp_.Child("no-such-seed.xml"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(AppInfoFile().c_str()));
  EXPECT_TRUE(log.Has("Please check if group Users exists")) << log.Text();
}

// ---------------------------------------------------------------------------------------------
// One load and one save against one value at a time

// The demo product's configuration, a resource of the test program.
std::string DemoConfiguration() {
  const HRSRC found = FindResourceA(nullptr, "DEMO_APPCONFIG", RT_RCDATA);
  const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : std::string();
}

// |text| with every |from| replaced by |to|; a |from| that is not there fails the test, so a
// changed demo cannot quietly turn a case into a copy of another.
std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  if (text.find(from) == std::string::npos) ADD_FAILURE() << "not in the configuration: " << from;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The settings the engine reads from |config|: a Campus record too unless |campusEmpty|.
std::vector<RegValue> SettingsOf(const std::string& config, bool campusEmpty) {
  CInstaller engine;
  engine.silent = 1;
  EXPECT_TRUE(engine.ParseXml(config, campusEmpty));
  return engine.regValues;
}

RegValue& Setting(std::vector<RegValue>& settings, const std::string& valueName) {
  for (RegValue& record : settings) {
    if (record.valueName == valueName) return record;
  }
  ADD_FAILURE() << "no setting " << valueName;
  return settings.front();
}

std::vector<std::string> NamesOf(const std::vector<RegValue>& settings) {
  std::vector<std::string> names;
  for (const RegValue& record : settings) names.push_back(record.valueName);
  return names;
}

// AppInfo.xml written one value at a time, as before the one-pass write: each value loads the
// file, is written and saves the file (as it is, then re-indented); a value whose DOM call fails
// is skipped.
void WriteOneValueAtATime(const std::string& file, const std::vector<RegValue>& settings) {
  for (const RegValue& record : settings) {
    try {
      CRegUtil(file).SetValue(record.keyPath, record.valueName, record.value);
    } catch (const _com_error&) {
    }
  }
}

TEST(AppInfoOnePassTest, LeavesTheBytesOfTheWriteOneValueAtATime) {
  ASSERT_EQ(1252u, GetACP()) << "the test prefix's ANSI code page";
  const std::string demo = DemoConfiguration();
  ASSERT_NE(std::string::npos, demo.find("<appName>Norvane</appName>")) << demo;
  const RegValue exitCare = {"SOFTWARE\\MedQuest\\ExitCare\\Settings", "ExitCareLocation",
                             "\\\\srv\\exitcare"};

  // First installation of the demo: the registry merge appends the ExitCare location.
  std::vector<RegValue> demoSettings = SettingsOf(demo, true);
  demoSettings.push_back(exitCare);

  const std::string tallyset =
      ReplacedAll(ReplacedAll(demo, "<appName>Norvane</appName>", "<appName>Tallyset</appName>"),
                  "QUORVIN>", "Tallyset>");

  // An ANSI configuration without an encoding of its own, converted to UTF-8 for the seed, with
  // letters outside ASCII and markup characters in the values; -c gives the campus.
  const std::string ansi = ReplacedAll(
      ReplacedAll(ReplacedAll(demo, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n", ""),
                  "Brenmoor</projectName>", "Brenmoor Sant\xE9</projectName>"),
      "HOST1 HOST2 HOST3", "H\xD6ST1 HOST2 &amp; &lt;HOST3&gt;");
  const std::string ansiSeed = AppInfoSeedText(ansi, 1252);
  ASSERT_NE(ansi, ansiSeed) << "the seed is converted";
  std::vector<RegValue> ansiSettings = SettingsOf(ansi, false);
  Setting(ansiSettings, "Campus") = {ansiSettings.front().keyPath, "Campus", "Nord \xC9st", 1};

  // Reinstallation with -h: the file a first installation left, given host values written in.
  const ScopedTempDir earlier;
  const std::string firstInstallation = earlier.Child("AppInfo.xml");
  WriteFile(firstInstallation, demo);
  WriteOneValueAtATime(firstInstallation, demoSettings);
  std::vector<RegValue> givenHosts = SettingsOf(demo, true);
  Setting(givenHosts, "HostList").value = "GIVEN1 GIVEN2";
  Setting(givenHosts, "HostList").fromCommandLine = 1;

  const struct {
    const char* name;
    std::string before;  // the file before the settings are written
    std::vector<RegValue> settings;
    std::vector<std::string> unwritten;
  } kCases[] = {
      {"demo, first installation", demo, demoSettings, {}},
      {"Tallyset, first installation", tallyset, SettingsOf(tallyset, true), {}},
      {"ANSI configuration converted to UTF-8", ansiSeed, ansiSettings, {}},
      {"reinstallation with -h", ReadFileBytes(firstInstallation), givenHosts, {}},
      {"a file without the product key: one value skipped",
       "<appConfig><regInfo><SOFTWARE/></regInfo></appConfig>",
       {{"/SOFTWARE/QVX/QUORVIN[0]", "HostList", "H"}, exitCare},
       {"HostList"}},
  };
  for (const auto& c : kCases) {
    const ScopedTempDir temp;
    const std::string oneAtATime = temp.Child("one-at-a-time.xml");
    WriteFile(oneAtATime, c.before);
    WriteOneValueAtATime(oneAtATime, c.settings);
    CInstaller engine;
    engine.silent = 1;
    engine.appInfoPath = temp.Child("AppInfo.xml");
    WriteFile(engine.appInfoPath, c.before);
    engine.regValues = c.settings;

    const std::vector<RegValue> unwritten = engine.WriteRegValuesToAppInfo();

    const std::string want = ReadFileBytes(oneAtATime);
    EXPECT_NE(c.before, want) << c.name << ": the settings change the file";
    EXPECT_EQ(want, ReadFileBytes(engine.appInfoPath)) << c.name;
    EXPECT_EQ(c.unwritten, NamesOf(unwritten)) << c.name;
  }
}

TEST(ReplaceCharTest, Table) {
  struct Case {
    std::string text;
    char from, to;
    std::string want;
  } cases[] = {
      {"", ' ', '-', ""},
      {"SOFTWARE\\QVX\\", '\\', '/', "SOFTWARE/QVX"},
      {"Min Font ", ' ', '-', "Min-Font"},
      {"a--", 'x', '-', "a-"},
      {"/SOFTWARE/QVX/QUORVIN[0]", '\\', '/', "/SOFTWARE/QVX/QUORVIN[0]"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    ReplaceChar(text, c.from, c.to);
    EXPECT_EQ(c.want, text) << "'" << c.text << "'";
  }
}

}  // namespace
