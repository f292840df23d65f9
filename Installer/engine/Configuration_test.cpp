// The appConfig document as the engine reads it: query paths, trimming, defaults and lists.
#include <gtest/gtest.h>

#include "engine/Installer.h"
#include "LogReader.h"

namespace {

// A configuration rooted like the shipped one, with a default namespace; |body| goes inside.
std::string Config(const std::string& body) {
  return "<?xml version=\"1.0\"?>\r\n<appConfig xmlns=\"urn:qvx:appconfig\">\r\n" + body +
         "\r\n</appConfig>\r\n";
}

std::string Settings(const std::string& key, const std::string& children) {
  return "<regInfo><SOFTWARE><QVX><" + key + ">" + children + "</" + key +
         "></QVX></SOFTWARE></regInfo>";
}

const char kAllSettings[] =
    "<HostList>HOST1 HOST2 HOST3</HostList><PortList>15000 15001</PortList>"
    "<AutoUpdateHostName>AUTOUPDATEHOSTS</AutoUpdateHostName><WebHostList>WEB1</WebHostList>"
    "<WebAppName></WebAppName><UpdateFileURL>Norvane/update.txt</UpdateFileURL>"
    "<Font><Size><MinFontSize>14</MinFontSize></Size></Font>";

struct Engine : CInstaller {
  Engine() { silent = 1; }  // messages go to the log; no box may block a test
};

std::vector<std::string> Names(const std::vector<RegValue>& values) {
  std::vector<std::string> names;
  for (const RegValue& v : values) names.push_back(v.valueName);
  return names;
}

TEST(ConfigurationTest, ApplicationBlockAndDefaults) {
  struct Case {
    const char* name;
    std::string config;
    std::string companyName, appName, groupName, justHelper, projectName;
  } cases[] = {
      {"no appInfo: every default", Config("<license/>"), "QVX", "Norvane",
       "Users|SYSTEM|Administrators", "", "Product"},
      {"empty elements take their defaults",
       Config("<appInfo><companyName/><appName></appName><groupName/><projectName/></appInfo>"),
       "QVX", "Norvane", "Users|SYSTEM|Administrators", "", "Product"},
      {"values as configured",
       Config("<appInfo><companyName>Acme</companyName><appName>Tallyset</appName>"
              "<groupName>Users</groupName><justHelper>TRUE</justHelper>"
              "<projectName>Brenmoor</projectName></appInfo>"),
       "Acme", "Tallyset", "Users", "TRUE", "Brenmoor"},
      // The document hands back inner tabs; only blanks are trimmed here.
      {"blanks trimmed, an inner tab kept",
       Config("<appInfo><appName>  Norvane  </appName><companyName>Q\tVX</companyName></appInfo>"),
       "Q\tVX", "Norvane", "Users|SYSTEM|Administrators", "", "Product"},
  };
  for (const Case& c : cases) {
    Engine engine;
    EXPECT_TRUE(engine.ParseXml(c.config, true)) << c.name;
    engine.ApplyDefaults("Product");
    EXPECT_EQ(c.companyName, engine.companyName) << c.name;
    EXPECT_EQ(c.appName, engine.appName) << c.name;
    EXPECT_EQ(c.groupName, engine.groupName) << c.name;
    EXPECT_EQ(c.justHelper, engine.justHelper) << c.name;
    EXPECT_EQ(c.projectName, engine.projectName) << c.name;
  }
}

TEST(ConfigurationTest, TextsGetCrLfForTheWizard) {
  Engine engine;
  engine.ParseXml(Config("<license><![CDATA[first line\nsecond line]]></license>"
                         "<information>one\r\ntwo</information>"),
                  true);
  EXPECT_EQ("first line\r\nsecond line", engine.license);
  EXPECT_EQ("one\r\ntwo", engine.information);
}

TEST(ConfigurationTest, SettingsRecords) {
  struct Case {
    const char* name;
    std::string appName;
    std::string settings;
    bool campusEmpty;
    std::vector<std::string> names;
    std::string firstKeyPath;
  } cases[] = {
      {"shipped layout without -c", "", Settings("QUORVIN", kAllSettings), true,
       {"HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL", "MinFontSize", "WebHostList"},
       "/SOFTWARE/QVX/QUORVIN[0]"},
      {"with -c a Campus record comes first, even without its element", "",
       Settings("QUORVIN", kAllSettings), false,
       {"Campus", "HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL", "MinFontSize",
        "WebHostList"},
       "/SOFTWARE/QVX/QUORVIN[0]"},
      {"children missing: six empty records", "", Settings("QUORVIN", ""), true,
       {"HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL", "MinFontSize", "WebHostList"},
       "/SOFTWARE/QVX/QUORVIN[0]"},
      {"no settings element: no records", "", "<regInfo/>", false, {}, ""},
      {"Tallyset reads its own key", "Tallyset", Settings("Tallyset", kAllSettings), true,
       {"HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL", "MinFontSize", "WebHostList"},
       "/SOFTWARE/QVX/Tallyset[0]"},
      {"tallysetadmin, as written", "tallysetadmin", Settings("tallysetadmin", kAllSettings), true,
       {"HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL", "MinFontSize", "WebHostList"},
       "/SOFTWARE/QVX/tallysetadmin[0]"},
      {"Tallyset ignores QUORVIN", "Tallyset", Settings("QUORVIN", kAllSettings), true, {}, ""},
  };
  for (const Case& c : cases) {
    Engine engine;
    const std::string appInfo =
        c.appName.empty() ? "" : "<appInfo><appName>" + c.appName + "</appName></appInfo>";
    engine.ParseXml(Config(appInfo + c.settings), c.campusEmpty);
    EXPECT_EQ(c.names, Names(engine.regValues)) << c.name;
    if (!engine.regValues.empty()) {
      EXPECT_EQ(c.firstKeyPath, engine.regValues.front().keyPath) << c.name;
    }
  }
}

TEST(ConfigurationTest, SettingsValuesAndKeyPaths) {
  Engine engine;
  engine.ParseXml(Config(Settings("QUORVIN", kAllSettings)), true);
  ASSERT_EQ(6u, engine.regValues.size());
  EXPECT_EQ("HOST1 HOST2 HOST3", engine.regValues[0].value);
  EXPECT_EQ("Norvane/update.txt", engine.regValues[3].value);
  EXPECT_EQ("/SOFTWARE/QVX/QUORVIN[0]/Font/Size", engine.regValues[4].keyPath);
  EXPECT_EQ("14", engine.regValues[4].value);
}

TEST(ConfigurationTest, ExecutablesAndShortcuts) {
  Engine engine;
  engine.ParseXml(
      Config("<exeInfo><name>Quorvin.exe</name><path></path></exeInfo>"
             "<!-- <exeInfo><name>Old.exe</name><path>x</path></exeInfo> -->"
             "<other/>"
             "<exeInfo><name>unwindle.exe</name><path>root</path></exeInfo>"
             "<exeInfo><name>QUORVIN.EXE</name><path>mainApp</path></exeInfo>"
             "<exeInfo><name>Webvane.exe</name><path> BrenmoorEHR </path></exeInfo>"
             "<shortCut><name>Quorvin.EXE</name><alias>Brenmoor</alias>"
             "<argument>BrenmoorEHR\\Webvane.exe</argument><icon>4</icon></shortCut>"
             "<shortCut><name>unwindle.exe</name><alias>Uninstall Norvane</alias><argument/>"
             "<icon>UnWindle.EXE</icon></shortCut>"),
      true);
  const std::map<std::string, std::string> expected = {
      {"quorvin.exe", ""}, {"unwindle.exe", "root"}, {"webvane.exe", "BrenmoorEHR"}};
  EXPECT_EQ(expected, engine.exePaths) << "the first entry of a name wins; comments are not entries";
  ASSERT_EQ(2u, engine.shortcuts.size());
  EXPECT_EQ("quorvin.exe", engine.shortcuts[0].name);
  EXPECT_EQ("Brenmoor", engine.shortcuts[0].alias);
  EXPECT_EQ("BrenmoorEHR\\Webvane.exe", engine.shortcuts[0].argument);
  EXPECT_EQ("4", engine.shortcuts[0].icon);
  EXPECT_EQ("Uninstall Norvane", engine.shortcuts[1].alias);
  EXPECT_EQ("", engine.shortcuts[1].argument);
  EXPECT_EQ("unwindle.exe", engine.shortcuts[1].icon);
}

TEST(ConfigurationTest, TheWholeConfigurationIsTracedAndABadOneReported) {
  {
    Engine engine;
    const LogSince log;
    const std::string config = Config("<appInfo><appName>X</appName></appInfo>");
    EXPECT_TRUE(engine.ParseXml(config, true));
    EXPECT_TRUE(log.Has("Enter function ParseXml() with parameter xmlName is " + config + "."));
    EXPECT_TRUE(log.Has("Leave function ParseXml()."));
  }
  {
    Engine engine;
    const LogSince log;
    EXPECT_FALSE(engine.ParseXml("<appConfig><unclosed></appConfig>", true));
    EXPECT_TRUE(log.Has("init XMLDOM failed!"));
    EXPECT_FALSE(log.Has("Leave function ParseXml()."));
    engine.ApplyDefaults("Product");
    EXPECT_EQ("QVX", engine.companyName) << "a configuration that cannot be read leaves the defaults";
  }
}

}  // namespace
