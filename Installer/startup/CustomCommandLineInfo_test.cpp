#include "startup/CustomCommandLineInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "startup/StartupTesting.h"

namespace {

struct Case {
  const char* name;
  std::vector<std::string> arguments;
  std::function<void(CCmdLineArgTracker&)> want;  // applied to a tracker with nothing set
};

void ExpectParses(const Case& c) {
  CCmdLineArgTracker want;
  if (c.want) c.want(want);
  EXPECT_EQ(Describe(ParseArguments(c.arguments)), Describe(want)) << c.name;
}

TEST(CustomCommandLineInfoTest, EachLetterSetsItsField) {
  const Case kCases[] = {
      {"-c", {"-cWest"}, [](auto& t) { t.campus = "West"; }},
      {"-h", {"-hHOST1 HOST2"}, [](auto& t) { t.hostList = "HOST1 HOST2"; }},
      {"-p", {"-p8080 8081"}, [](auto& t) { t.portList = "8080 8081"; }},
      {"-a", {"-aupd1 upd2"}, [](auto& t) { t.autoUpdateList = "upd1 upd2"; }},
      {"-d", {"-dC:\\Apps"}, [](auto& t) { t.targetDir = "C:\\Apps"; }},
      {"-l", {"-lC:\\Logs\\"}, [](auto& t) { t.logLocation = "C:\\Logs\\"; }},
      {"-b", {"-bweb1 web2"}, [](auto& t) { t.webHostList = "web1 web2"; }},
      {"-u", {"-u"}, [](auto& t) { t.invokedByAutoUpdate = 1; }},
      {"-?", {"-?"}, [](auto& t) { t.showHelp = 1; }},
      {"-w", {"-w"}, [](auto& t) { t.needSilentUninstall = 1; }},
      {"-t", {"-t"}, [](auto& t) { t.needCreateShortcutOnDesktop = 1; }},
      {"-v", {"-v"}, [](auto& t) { t.vistaEnabled = 1; }},
      {"-r", {"-r"}, [](auto& t) { t.needInstallUVNC = 1; }},
      {"nothing given", {}, nullptr},
  };
  for (const Case& c : kCases) ExpectParses(c);
}

TEST(CustomCommandLineInfoTest, EdgeCases) {
  const Case kCases[] = {
      {"a value must be attached to its letter", {"-cOld", "-c", "Campus1"},
       [](auto& t) { t.campus = ""; }},
      {"a blank inside one argument is kept", {"-cNorth Wing"},
       [](auto& t) { t.campus = "North Wing"; }},
      {"capital letters are ignored",
       {"-CX", "-HX", "-PX", "-AX", "-DX", "-LX", "-BX", "-U", "-W", "-T", "-V", "-R"}, nullptr},
      {"no dash: directory is -d with irectory", {"directory"},
       [](auto& t) { t.targetDir = "irectory"; }},
      {"no dash: a lone ? asks for help", {"?"}, [](auto& t) { t.showHelp = 1; }},
      {"slash is the same as dash", {"/dC:\\Apps", "/t"},
       [](auto& t) {
         t.targetDir = "C:\\Apps";
         t.needCreateShortcutOnDesktop = 1;
       }},
      {"the later value wins", {"-hA", "-hB"}, [](auto& t) { t.hostList = "B"; }},
      {"a bare letter clears the value", {"-hA", "-h"}, [](auto& t) { t.hostList = ""; }},
      {"text after a switch is ignored", {"-rfoo", "-tx", "-vanything"},
       [](auto& t) {
         t.needInstallUVNC = 1;
         t.needCreateShortcutOnDesktop = 1;
         t.vistaEnabled = 1;
       }},
      {"a switch cannot be turned off", {"-u", "-u0"}, [](auto& t) { t.invokedByAutoUpdate = 1; }},
      {"values are not trimmed or unquoted", {"-h  A B  ", "-c\"x\""},
       [](auto& t) {
         t.hostList = "  A B  ";
         t.campus = "\"x\"";
       }},
      {"unknown, empty and doubled-dash arguments change nothing",
       {"-x", "", "-", "--c", "Campus1", "C:\\Apps"}, nullptr},
  };
  for (const Case& c : kCases) ExpectParses(c);
}

// The same rules over command lines as the C runtime of a started program splits them: the quotes
// group words and disappear, whether they surround the whole argument or only the value.
TEST(CustomCommandLineInfoTest, CommandLinesSplitByTheCRuntime) {
  const std::string echo = TestToolPath("argv_echo.exe");
  ASSERT_TRUE(FileExists(echo)) << echo << " is missing: build the argv_echo target";
  struct CommandLineCase {
    const char* name;
    const char* parameters;
    std::function<void(CCmdLineArgTracker&)> want;
  };
  const CommandLineCase kCases[] = {
      {"whole argument quoted", "\"-cNorth Wing\"", [](auto& t) { t.campus = "North Wing"; }},
      {"value quoted", "-c\"North Wing\"", [](auto& t) { t.campus = "North Wing"; }},
      {"unquoted blank splits", "-cNorth Wing", [](auto& t) { t.campus = "North"; }},
      {"space after the letter", "-c Campus1 -dC:\\Apps",
       [](auto& t) { t.targetDir = "C:\\Apps"; }},
  };
  for (const CommandLineCase& c : kCases) {
    const EchoedRun run = RunArgvEcho(echo, c.parameters, 0);
    ASSERT_TRUE(run.result.launched) << c.name << ": error " << run.result.error;
    ASSERT_FALSE(run.argv.empty()) << c.name;
    CCmdLineArgTracker want;
    c.want(want);
    const std::vector<std::string> arguments(run.argv.begin() + 1, run.argv.end());
    EXPECT_EQ(Describe(ParseArguments(arguments)), Describe(want)) << c.name;
  }
}

TEST(CustomCommandLineInfoTest, ArgumentsThatAreNoOptionsAreNamedAsGiven) {
  std::vector<std::string> args = {"Setup.exe", "/S",     "-dC:\\Apps", "/qn", "-d",
                                   "C:\\Apps", "hHOST", "-Elevated",   "",    "-?"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  const std::vector<std::string> want = {"/S", "/qn", "C:\\Apps", ""};
  EXPECT_EQ(NotOptionArguments(static_cast<int>(argv.size()), argv.data()), want);
  // Every letter named as an option's is one that the walk takes.
  for (const char* letter = kOptionLetters; *letter != '\0'; ++letter) {
    CCmdLineArgTracker tracker;
    CCustomCommandLineInfo info(&tracker);
    const std::string param = std::string(1, *letter) + "x";
    info.ParseParam(param.c_str(), true, true);
    const bool changed = !tracker.campus.empty() || !tracker.hostList.empty() ||
                         !tracker.portList.empty() || !tracker.autoUpdateList.empty() ||
                         !tracker.targetDir.empty() || !tracker.logLocation.empty() ||
                         !tracker.webHostList.empty() || tracker.invokedByAutoUpdate ||
                         tracker.showHelp || tracker.needSilentUninstall ||
                         tracker.needCreateShortcutOnDesktop || tracker.vistaEnabled ||
                         tracker.needInstallUVNC;
    EXPECT_TRUE(changed) << *letter;
  }
}

}  // namespace
