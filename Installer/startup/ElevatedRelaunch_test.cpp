#include "startup/ElevatedRelaunch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "startup/ElevationParameters.h"
#include "startup/StartupTesting.h"
#include "support/ScopedTempDir.h"

// Under Wine the "runas" verb starts the program without a prompt, so these tests see the started
// copy's side of the relaunch: what its C runtime hands to main, and its exit code.
namespace {

class ElevatedRelaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    echo_ = TestToolPath("argv_echo.exe");
    ASSERT_TRUE(FileExists(echo_)) << echo_ << " is missing: build the argv_echo target";
  }
  std::string echo_;
};

TEST_F(ElevatedRelaunchTest, TheStartedCopyReadsBackEveryValueAndItsExitCodeComesBack) {
  DWORD exitCode = 1603;
  for (const TrackerCase& c : ValuesThatMustSurvive()) {
    const EchoedRun run = RunArgvEcho(echo_, BuildRelaunchParameters(c.args), exitCode);
    ASSERT_TRUE(run.result.launched) << c.name << ": error " << run.result.error;
    EXPECT_EQ(run.result.error, 0u) << c.name;
    EXPECT_EQ(run.result.exitCode, exitCode) << c.name;
    ASSERT_FALSE(run.argv.empty()) << c.name << ": the copy wrote no arguments";
    const std::vector<std::string> arguments(run.argv.begin() + 1, run.argv.end());
    EXPECT_EQ(Describe(ParseArguments(arguments)), Describe(c.args)) << c.name;
    EXPECT_TRUE(IsElevatedCopyArgv(run.argv)) << c.name << ": the copy knows it is the elevated one";
    ++exitCode;  // a different code per case, so a code left over from an earlier run shows
  }
}

TEST_F(ElevatedRelaunchTest, TheDescribedRelaunchGivesTheCopyItsOptionsAsSeparateArguments) {
  CCmdLineArgTracker args;
  args.targetDir = "C:\\Apps\\";
  args.hostList = "HOST1 HOST2";
  args.needCreateShortcutOnDesktop = 1;
  args.needInstallUVNC = 1;

  const EchoedRun run = RunArgvEcho(echo_, BuildElevationParameters(args), 0);
  ASSERT_TRUE(run.result.launched) << "error " << run.result.error;
  const std::vector<std::string> want = {"-hHOST1 HOST2", "-dC:\\Apps\\", "-t", "-r"};
  ASSERT_FALSE(run.argv.empty());
  EXPECT_EQ(std::vector<std::string>(run.argv.begin() + 1, run.argv.end()), want);
}

TEST_F(ElevatedRelaunchTest, AnInstallerInAFolderWithBlanksIsStarted) {
  const ScopedTempDir temp;
  const std::string folder = temp.Child("Program Files (x86)");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
  const std::string copy = folder + "\\Setup copy.exe";
  ASSERT_TRUE(CopyFileA(echo_.c_str(), copy.c_str(), FALSE)) << GetLastError();

  const EchoedRun run = RunArgvEcho(copy, " -d\"C:\\Apps\"", 42);
  ASSERT_TRUE(run.result.launched) << "error " << run.result.error;
  EXPECT_EQ(run.result.exitCode, 42u);
  ASSERT_EQ(run.argv.size(), 2u);
  EXPECT_EQ(run.argv[1], "-dC:\\Apps");
}

TEST_F(ElevatedRelaunchTest, AMissingProgramIsNotLaunchedAndSaysWhy) {
  const ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const RelaunchResult result = RelaunchElevatedAndWait(temp.Child("missing.exe"), " -t");
  EXPECT_FALSE(result.launched);
  EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
