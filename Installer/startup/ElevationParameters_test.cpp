#include "startup/ElevationParameters.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "startup/StartupTesting.h"

namespace {

struct Case {
  const char* name;
  std::function<void(CCmdLineArgTracker&)> given;
  std::string want;
};

TEST(ElevationParametersTest, PiecesInOrderWithValuesQuoted) {
  const std::string longValue(6000, 'x');
  const Case kCases[] = {
      {"nothing given", nullptr, ""},
      {"host list with a blank, folder, desktop shortcut",
       [](auto& t) {
         t.targetDir = "C:\\Apps";
         t.hostList = "HOST1 HOST2";
         t.needCreateShortcutOnDesktop = 1;
       },
       " -h\"HOST1 HOST2\" -d\"C:\\Apps\" -t"},
      {"folder, desktop shortcut, UltraVNC",
       [](auto& t) {
         t.targetDir = "C:\\Apps";
         t.needCreateShortcutOnDesktop = 1;
         t.needInstallUVNC = 1;
       },
       " -d\"C:\\Apps\" -t -r"},
      {"every option, in the fixed order",
       [](auto& t) {
         t.logLocation = "L";
         t.webHostList = "B";
         t.targetDir = "D";
         t.autoUpdateList = "A";
         t.portList = "P";
         t.hostList = "H";
         t.campus = "C";
         t.needInstallUVNC = t.showHelp = t.vistaEnabled = 1;
         t.invokedByAutoUpdate = t.needCreateShortcutOnDesktop = t.needSilentUninstall = 1;
       },
       " -c\"C\" -h\"H\" -p\"P\" -a\"A\" -d\"D\" -b\"B\" -l\"L\" -w -t -u -v -? -r"},
      {"blanks stay inside the quotes", [](auto& t) { t.campus = " North  Wing "; },
       " -c\" North  Wing \""},
      {"a trailing backslash is doubled", [](auto& t) { t.targetDir = "C:\\Apps\\"; },
       " -d\"C:\\Apps\\\\\""},
      {"trailing backslashes are all doubled", [](auto& t) { t.logLocation = "C:\\Logs\\\\"; },
       " -l\"C:\\Logs\\\\\\\\\""},
      {"a double quote is escaped", [](auto& t) { t.campus = "say \"hi\""; },
       " -c\"say \\\"hi\\\"\""},
      {"backslashes before a quote are doubled", [](auto& t) { t.campus = "a\\\\\"b"; },
       " -c\"a\\\\\\\\\\\"b\""},
      {"other backslashes stay single", [](auto& t) { t.targetDir = "\\\\server\\share\\x"; },
       " -d\"\\\\server\\share\\x\""},
      {"several thousand characters", [&](auto& t) { t.hostList = longValue; },
       " -h\"" + longValue + "\""},
  };
  for (const Case& c : kCases) {
    CCmdLineArgTracker args;
    if (c.given) c.given(args);
    EXPECT_EQ(BuildElevationParameters(args), c.want) << c.name;
  }
}

// The arguments the system's own splitter makes of a command line, argv[0] dropped.
std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

TEST(ElevationParametersTest, ValuesComeBackUnchangedFromTheSplitCommandLine) {
  for (const TrackerCase& c : ValuesThatMustSurvive()) {
    const std::string commandLine =
        "\"C:\\Program Files\\Setup.exe\"" + BuildElevationParameters(c.args);
    EXPECT_EQ(Describe(ParseArguments(SplitArguments(commandLine))), Describe(c.args)) << c.name;
  }
}

TEST(ElevationParametersTest, TheRelaunchAddsAMarkerThatOnlyTellsTheCopyWhatItIs) {
  for (const TrackerCase& c : ValuesThatMustSurvive()) {
    const std::string parameters = BuildRelaunchParameters(c.args);
    EXPECT_EQ(parameters, BuildElevationParameters(c.args) + " -Elevated") << c.name;
    std::vector<std::string> argv = SplitArguments("\"C:\\Setup.exe\"" + parameters);
    EXPECT_EQ(Describe(ParseArguments(argv)), Describe(c.args)) << c.name << ": options unchanged";
    argv.insert(argv.begin(), "Setup.exe");
    EXPECT_TRUE(IsElevatedCopyArgv(argv)) << c.name;
  }
  const std::vector<std::string> notTheMarker[] = {
      {"Setup.exe"},
      {"Setup.exe", "-dC:\\Apps"},
      {"Setup.exe", "-elevated"},
      {"Setup.exe", "/Elevated"},
      {"Setup.exe", "-Elevated2"},
      {"Setup.exe", "-h-Elevated"},
      {"-Elevated"},  // the program's own name is no argument
  };
  for (const std::vector<std::string>& argv : notTheMarker) {
    EXPECT_FALSE(IsElevatedCopyArgv(argv)) << argv.back();
  }
}

}  // namespace
