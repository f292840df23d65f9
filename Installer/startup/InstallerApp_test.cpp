// Start-up decisions around the privilege gate, with the facts Wine cannot produce set by the
// test and the relaunch watched instead of performed. Every case runs unattended (-d), so any
// message goes to the log and no box can block the test.
#include "startup/InstallerApp.h"

#include <gtest/gtest.h>

#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "startup/ExitCode.h"
#include "support/ScopedTempDir.h"
#include "support/SystemPaths.h"
#include "support/UniqueHandle.h"
#include "LogReader.h"

namespace {

constexpr DWORD kNt = VER_PLATFORM_WIN32_NT;

struct RelaunchCall {
  std::string exePath;
  std::string parameters;
};

struct GateCase {
  const char* name;
  std::vector<std::string> args;
  PrivilegeFacts facts;
  RelaunchResult relaunch;  // what the fake relaunch answers
  bool expectRelaunch;
  int expectExitCode;
  const char* expectLogLine;
};

std::string LastComponent(const std::string& path) {
  return path.substr(path.find_last_of('\\') + 1);
}

int RunStart(CInstallerApp& app, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  app.Start(static_cast<int>(argv.size()), argv.data());
  return app.GetExitCode();
}

TEST(InstallerAppTest, PrivilegeGate) {
  const std::vector<std::string> unattended = {"Setup.exe", "-dC:\\Apps", "-t", "-r"};
  RelaunchResult elevatedEndedWell;
  elevatedEndedWell.launched = true;
  elevatedEndedWell.exitCode = 0;
  RelaunchResult elevatedFailed;
  elevatedFailed.launched = true;
  elevatedFailed.exitCode = 1603;
  RelaunchResult declined;
  declined.error = ERROR_CANCELLED;
  RelaunchResult notStarted;
  notStarted.error = ERROR_FILE_NOT_FOUND;
  RelaunchResult outcomeUnknown;
  outcomeUnknown.launched = true;
  outcomeUnknown.error = ERROR_INVALID_HANDLE;

  const GateCase cases[] = {
      {"administrator goes on in this process", unattended, {true, kNt, 10}, {}, false,
       kExitInstallFailed /* the test program carries no payload */, "Load resource failed!"},
      {"non-administrator on Vista or later relaunches and ends with the copy's code", unattended,
       {false, kNt, 6}, elevatedEndedWell, true, kExitSuccess,
       "The elevated installer ended with exit code 0."},
      {"the elevated copy's failure is this process's failure", unattended, {false, kNt, 10},
       elevatedFailed, true, kExitInstallFailed, "The elevated installer ended with exit code 1603."},
      {"a declined prompt is a cancel", unattended, {false, kNt, 6}, declined, true,
       kExitUserCancelled, "The elevation prompt was declined; nothing was installed."},
      {"a relaunch that cannot start fails", unattended, {false, kNt, 6}, notStarted, true,
       kExitInstallFailed, "could not be started with administrator rights (error 2)"},
      {"a copy whose outcome cannot be learnt is no success", unattended, {false, kNt, 6},
       outcomeUnknown, true, kExitInstallFailed,
       "The outcome of the elevated installer is unknown (error 6)."},
      {"non-administrator before Vista is refused", unattended, {false, kNt, 5}, {}, false,
       kExitInstallFailed,
       "You have insufficient privileges to install the program ,please contact administrator."},
      {"non-administrator on a system that is not NT is refused", unattended, {false, 1, 6}, {},
       false, kExitInstallFailed, "You have insufficient privileges"},
      {"-u skips the gate", {"Setup.exe", "-dC:\\Apps", "-u"}, {false, kNt, 5}, {}, false,
       kExitInstallFailed, "Load resource failed!"},
      {"the elevated copy that still is no administrator fails instead of relaunching again",
       {"Setup.exe", "-dC:\\Apps", "-t", "-r", "-Elevated"}, {false, kNt, 10}, {}, false,
       kExitInstallFailed,
       "The installer was started again to get administrator rights, but it still has none"},
      {"the elevated copy with the rights goes on",
       {"Setup.exe", "-dC:\\Apps", "-t", "-r", "-Elevated"}, {true, kNt, 10}, {}, false,
       kExitInstallFailed, "Load resource failed!"},
  };
  for (const GateCase& c : cases) {
    CInstallerApp app;
    std::vector<RelaunchCall> calls;
    int factReads = 0;
    app.system.readPrivilegeFacts = [&] {
      ++factReads;
      return c.facts;
    };
    app.system.executablePath = [] { return std::string("C:\\Setup.exe"); };
    app.system.relaunchElevated = [&](const std::string& exe, const std::string& parameters) {
      calls.push_back({exe, parameters});
      return c.relaunch;
    };
    const LogSince log;

    EXPECT_EQ(c.expectExitCode, RunStart(app, c.args)) << c.name;

    EXPECT_EQ(c.expectRelaunch ? 1u : 0u, calls.size()) << c.name;
    if (c.expectRelaunch && !calls.empty()) {
      EXPECT_EQ("C:\\Setup.exe", calls[0].exePath) << c.name;
      // The described pieces, then the marker that tells the copy it is the elevated one.
      EXPECT_EQ(" -d\"C:\\Apps\" -t -r -Elevated", calls[0].parameters) << c.name;
      EXPECT_FALSE(log.Has("Enter function Init().")) << c.name << ": nothing loaded before elevation";
    }
    if (c.args.size() == 3) {
      EXPECT_EQ(0, factReads) << c.name << ": -u reads no rights";
    }
    EXPECT_TRUE(log.Has(c.expectLogLine)) << c.name << "\nlog:\n" << log.Text();
  }
}

TEST(InstallerAppTest, WithoutItsOwnPathTheInstallerGoesOnUnelevated) {
  CInstallerApp app;
  bool relaunched = false;
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{false, kNt, 6}; };
  app.system.executablePath = [] { return std::string(); };
  app.system.relaunchElevated = [&](const std::string&, const std::string&) {
    relaunched = true;
    return RelaunchResult{};
  };
  const LogSince log;
  EXPECT_EQ(kExitInstallFailed, RunStart(app, {"Setup.exe", "-dC:\\Apps"}));
  EXPECT_FALSE(relaunched);
  EXPECT_TRUE(log.Has("Enter function Init()."));
}

TEST(InstallerAppTest, RelativeFoldersReachTheElevatedCopyAndTheLogAbsolute) {
  const ScopedTempDir temp;
  const ScopedCurrentDirectory inTemp(temp.path());
  ASSERT_TRUE(inTemp.entered());
  CInstallerApp app;
  std::string parameters;
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{false, kNt, 10}; };
  app.system.executablePath = [] { return std::string("C:\\Setup.exe"); };
  app.system.relaunchElevated = [&](const std::string&, const std::string& given) {
    parameters = given;
    return RelaunchResult{};
  };
  RunStart(app, {"Setup.exe", "-dRel\\Apps", "-l..\\" + LastComponent(temp.path()) + "\\Logs"});

  EXPECT_EQ(parameters, " -d\"" + temp.path() + "\\Rel\\Apps\" -l\"" + temp.path() +
                            "\\Logs\" -Elevated");
  EXPECT_EQ(theLog.GetFolder(), temp.path() + "\\Logs");
}

TEST(InstallerAppTest, ALogFolderThatIsAFileGivesTheTemporaryFolderAndALineThatSaysWhy) {
  const ScopedTempDir temp;
  const std::string file = temp.Child("Logs.txt");
  ASSERT_TRUE(UniqueHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));
  CInstallerApp app;
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{true, kNt, 10}; };
  const LogSince log;
  RunStart(app, {"Setup.exe", "-dC:\\Apps", "-l" + file});

  char tempFolder[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, tempFolder), 0u);
  EXPECT_EQ(theLog.GetFolder(), FullPathName(tempFolder));
  EXPECT_TRUE(log.Has("The log folder " + file + " cannot hold the log: it is a file, not a folder."))
      << log.Text();
}

TEST(InstallerAppTest, AnUnattendedRunTurnsTheSystemErrorBoxesOff) {
  const UINT before = GetErrorMode();
  SetErrorMode(0);
  CInstallerApp app;
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{true, kNt, 10}; };
  RunStart(app, {"Setup.exe", "-dC:\\Apps"});
  const UINT after = GetErrorMode();
  SetErrorMode(before);
  EXPECT_EQ(after & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
            static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
}

TEST(InstallerAppTest, UnattendedFlagsComeFromTheOptions) {
  CInstallerApp app;
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{true, kNt, 10}; };
  RunStart(app, {"Setup.exe", "-dC:\\Apps", "-w", "-t", "-r", "-v"});
  EXPECT_EQ(1, theInstaller.silent);
  EXPECT_EQ(1, theInstaller.silentUninstall);
  EXPECT_EQ(1, theInstaller.desktopShortcut);
  EXPECT_EQ(1, theInstaller.installUltraVNC);
  EXPECT_EQ(1, theInstaller.vistaEnabled);
}

TEST(InstallerAppTest, NoWizardWhereNobodyCanAnswerIt) {
  // A deployment engine's wrong switches: every one would otherwise open a wizard nobody sees.
  CInstallerApp app;
  bool factsRead = false;
  app.system.hasInteractiveDesktop = [] { return false; };
  app.system.readPrivilegeFacts = [&] {
    factsRead = true;
    return PrivilegeFacts{true, kNt, 10};
  };
  const LogSince log;
  EXPECT_EQ(kExitInvalidCommandLine,
            RunStart(app, {"Setup.exe", "/S", "/VERYSILENT", "/qn", "-d", "C:\\Apps"}));
  for (const char* argument : {"/S", "/VERYSILENT", "/qn", "C:\\Apps"}) {
    EXPECT_TRUE(log.Has(std::string(argument) + " is not an option of this installer and is ignored."))
        << argument << "\n" << log.Text();
  }
  EXPECT_TRUE(log.Has("The setup wizard cannot be shown: this process has no interactive desktop"))
      << log.Text();
  EXPECT_FALSE(log.Has("Enter function Init().")) << "nothing is loaded";
  EXPECT_FALSE(factsRead) << "no elevation prompt either";
}

TEST(InstallerAppTest, EveryRunLogsItsCommandLineAndTheArgumentsItIgnores) {
  CInstallerApp app;
  app.system.hasInteractiveDesktop = [] { return false; };  // an unattended run never asks
  app.system.readPrivilegeFacts = [] { return PrivilegeFacts{true, kNt, 10}; };
  app.system.executablePath = [] { return std::string("C:\\Setup.exe"); };
  const LogSince log;
  RunStart(app, {"Setup.exe", "-dC:\\Apps", "/D=C:\\Other", "-t", "hHOSTS"});
  EXPECT_TRUE(log.Has("Command line: ")) << log.Text();
  EXPECT_TRUE(log.Has("Installer C:\\Setup.exe, file version unknown, process " +
                      std::to_string(GetCurrentProcessId()) + "."))
      << log.Text();
  EXPECT_TRUE(log.Has("/D=C:\\Other is not an option of this installer and is ignored."));
  EXPECT_FALSE(log.Has("-t is not an option")) << "an option is no ignored argument";
  EXPECT_FALSE(log.Has("hHOSTS is not an option")) << "a letter without its dash is an option";
  EXPECT_FALSE(log.Has("The setup wizard cannot be shown")) << "an unattended run needs no desktop";
}

}  // namespace
