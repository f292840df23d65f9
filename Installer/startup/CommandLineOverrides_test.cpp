#include "startup/CommandLineOverrides.h"

#include <gtest/gtest.h>

namespace {

std::vector<RegValue> ConfiguredSettings() {
  return {{"/SOFTWARE/QVX/QUORVIN[0]", "Campus", ""},
          {"/SOFTWARE/QVX/QUORVIN[0]", "HostList", "HOST1 HOST2 HOST3"},
          {"/SOFTWARE/QVX/QUORVIN[0]", "PortList", "15000"},
          {"/SOFTWARE/QVX/QUORVIN[0]", "AutoUpdateHostName", "AUTOUPDATEHOSTS"},
          {"/SOFTWARE/QVX/QUORVIN[0]", "UpdateFileURL", "Norvane/update.txt"},
          {"/SOFTWARE/QVX/QUORVIN[0]/Font/Size", "MinFontSize", "14"},
          {"/SOFTWARE/QVX/QUORVIN[0]", "WebHostList", "WEB1"}};
}

// Each value, marked "(given)" when it is marked as given on the command line.
std::vector<std::string> Values(const std::vector<RegValue>& settings) {
  std::vector<std::string> values;
  for (const RegValue& record : settings) {
    values.push_back(record.value + (record.fromCommandLine ? " (given)" : ""));
  }
  return values;
}

TEST(CommandLineOverridesTest, OptionsReplaceTheirSettings) {
  struct Case {
    const char* name;
    CCmdLineArgTracker args;
    bool changed;
    std::vector<std::string> values;
  };
  auto args = [](const char* c, const char* h, const char* p, const char* a, const char* b) {
    CCmdLineArgTracker t;
    t.campus = c;
    t.hostList = h;
    t.portList = p;
    t.autoUpdateList = a;
    t.webHostList = b;
    return t;
  };
  const Case cases[] = {
      {"nothing given", args("", "", "", "", ""), false,
       {"", "HOST1 HOST2 HOST3", "15000", "AUTOUPDATEHOSTS", "Norvane/update.txt", "14", "WEB1"}},
      {"hosts only", args("", "H1 H2", "", "", ""), true,
       {"", "H1 H2 (given)", "15000", "AUTOUPDATEHOSTS", "Norvane/update.txt", "14", "WEB1"}},
      {"every option", args("West", "H", "1 2", "U", "W"), true,
       {"West (given)", "H (given)", "1 2 (given)", "U (given)", "Norvane/update.txt", "14",
        "W (given)"}},
  };
  for (const Case& c : cases) {
    std::vector<RegValue> settings = ConfiguredSettings();
    EXPECT_EQ(c.changed, ApplyCommandLineOverrides(c.args, &settings)) << c.name;
    EXPECT_EQ(c.values, Values(settings)) << c.name;
  }
}

TEST(CommandLineOverridesTest, NamesAreComparedExactly) {
  std::vector<RegValue> settings = {{"", "hostlist", "old"}, {"", "HostList ", "old"}};
  CCmdLineArgTracker args;
  args.hostList = "new";
  EXPECT_FALSE(ApplyCommandLineOverrides(args, &settings));
  EXPECT_EQ((std::vector<std::string>{"old", "old"}), Values(settings));
}

TEST(CommandLineOverridesTest, WithoutSettingsNothingChanges) {
  std::vector<RegValue> settings;
  CCmdLineArgTracker args;
  args.hostList = "H";
  EXPECT_FALSE(ApplyCommandLineOverrides(args, &settings));
  EXPECT_TRUE(settings.empty());
}

TEST(CommandLineOverridesTest, CompanyFolderBelowTheTarget) {
  EXPECT_EQ("C:\\Apps\\QVX", CompanyFolderBelow("C:\\Apps", "QVX"));
  EXPECT_EQ("C:\\Apps\\QVX", CompanyFolderBelow("C:\\Apps\\", "QVX"));
  EXPECT_EQ("C:\\QVX", CompanyFolderBelow("C:\\", "QVX"));
}

// A value given with -c -h -p -a -b that the configuration has no setting for (no regInfo at all,
// or not that setting) cannot be stored: each gets a line that names the setting and the value.
TEST(CommandLineOverridesTest, GivenValuesWithoutTheirSettingAreNamed) {
  struct Case {
    const char* name;
    std::vector<RegValue> settings;
    const char* campus;
    const char* hostList;
    const char* webHostList;
    std::vector<std::string> lines;
  };
  const std::vector<RegValue> configured = ConfiguredSettings();
  const std::vector<RegValue> withoutWebHosts(configured.begin(), configured.end() - 1);
  const Case cases[] = {
      {"no regInfo, -hHOSTX", {}, "", "HOSTX", "",
       {"The setting HostList given on the command line (HOSTX) cannot be stored: the "
        "configuration has no HostList setting."}},
      {"no regInfo, -c and -b", {}, "West", "", "W1 W2",
       {"The setting Campus given on the command line (West) cannot be stored: the configuration "
        "has no Campus setting.",
        "The setting WebHostList given on the command line (W1 W2) cannot be stored: the "
        "configuration has no WebHostList setting."}},
      {"no regInfo, nothing given", {}, "", "", "", {}},
      {"every setting configured", ConfiguredSettings(), "West", "HOSTX", "W", {}},
      {"only WebHostList missing", withoutWebHosts, "", "HOSTX", "W",
       {"The setting WebHostList given on the command line (W) cannot be stored: the "
        "configuration has no WebHostList setting."}},
  };
  for (const Case& c : cases) {
    CCmdLineArgTracker args;
    args.campus = c.campus;
    args.hostList = c.hostList;
    args.webHostList = c.webHostList;
    EXPECT_EQ(c.lines, UnstorableCommandLineSettings(args, c.settings)) << c.name;
  }
}

}  // namespace
