// The UltraVNC step: its paths and command line, then the step itself with the stand-in setup
// program (tests/tools/FakeUltraVncSetup.cpp) placed in a version folder whose path has blanks.
#include "engine/RemoteSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>

#include "engine/HiddenProcess.h"
#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "support/PathHelpers.h"
#include "support/ScopedTempDir.h"
#include "LogReader.h"

namespace {

TEST(UltraVncPathsTest, SetupPathIsQuotedInTheCommandLine) {
  struct Case {
    const char* name;
    const char* versionFolder;
    const char* want;
  };
  const Case cases[] = {
      {"folder without blanks", "C:\\Apps\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\",
       "\"C:\\Apps\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\UltraVNC_1_2_17_X86_Setup.exe\" "
       "/silent"},
      {"program-files folder with blanks",
       "C:\\Program Files (x86)\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\",
       "\"C:\\Program Files (x86)\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\"
       "UltraVNC_1_2_17_X86_Setup.exe\" /silent"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, UltraVncCommandLine(c.versionFolder)) << c.name;
  }
  EXPECT_EQ("C:\\Program Files (x86)\\uvnc bvba\\UltraVNC\\winvnc.exe",
            UltraVncServerPath("C:\\Program Files (x86)"));
}

// The engine with a version folder below "<temp>\Q V X\", and a decoy <temp>\Q.exe that the
// system would run for an unquoted command line.
class InstallUltraVncTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(FileExists(fake_)) << fake_;
    engine_.silent = 1;  // reports go to the log
    engine_.SetInstallRoot(temp_.Child("Q V X"));
    engine_.appName = "Norvane";
    engine_.version = "1.6.0003.0000.0035";
    versionFolder_ = engine_.GetVersionFolder();
    ASSERT_EQ(1, EnsurePath(versionFolder_.c_str(), true, nullptr)) << versionFolder_;
    ASSERT_TRUE(CopyFileA(fake_.c_str(), temp_.Child("Q.exe").c_str(), FALSE));
    ASSERT_FALSE(FileExists(ServerPath())) << "the prefix already has an UltraVNC server";
  }
  void PlaceSetup() {
    ASSERT_TRUE(CopyFileA(fake_.c_str(), SetupPath().c_str(), FALSE)) << SetupPath();
  }
  std::string SetupPath() const { return versionFolder_ + "UltraVNC_1_2_17_X86_Setup.exe"; }
  static std::string ServerPath() {
    return GetShellFolderPath(CSIDL_PROGRAM_FILES) + "\\uvnc bvba\\UltraVNC\\winvnc.exe";
  }
  std::string Record() const { return ReadFileBytes(record_); }

  const std::string fake_ = TestToolPath("UltraVNC_1_2_17_X86_Setup.exe");
  ScopedTempDir temp_;
  const std::string record_ = temp_.Child("record.txt");
  ScopedEnvironmentVariable recordVariable_{"FAKE_SETUP_RECORD", record_};
  CInstaller engine_;
  std::string versionFolder_;
};

TEST_F(InstallUltraVncTest, SetupRunsOnceSilentlyAndIsAwaited) {
  PlaceSetup();
  const LogSince log;
  EXPECT_TRUE(engine_.InstallUltraVNC());
  // The stand-in writes its line only after its pause, so the line proves the wait; its module
  // path proves that the setup ran and not the decoy.
  EXPECT_EQ(SetupPath() + "\t\"" + SetupPath() + "\" /silent\r\n", Record());
  EXPECT_EQ("", log.Text()) << "a successful run logs nothing";
}

TEST_F(InstallUltraVncTest, InstalledServerKeepsTheSetupFromRunning) {
  PlaceSetup();
  // The server file below the program-files folder, removed again with the folders this test
  // made for it.
  const std::string vendor = GetShellFolderPath(CSIDL_PROGRAM_FILES) + "\\uvnc bvba";
  EnsurePath(ServerPath().c_str(), true, nullptr);  // its folders; the file comes next
  ASSERT_TRUE(CopyFileA(fake_.c_str(), ServerPath().c_str(), FALSE)) << ServerPath();
  struct Cleanup {
    std::string folder;
    ~Cleanup() { DeleteTree(folder); }
  } cleanup{vendor};

  EXPECT_TRUE(engine_.InstallUltraVNC());
  EXPECT_EQ("", Record()) << "nothing ran";
}

TEST_F(InstallUltraVncTest, NoSetupInTheVersionFolderIsNothingToDo) {
  const LogSince log;
  EXPECT_TRUE(engine_.InstallUltraVNC());
  EXPECT_EQ("", Record()) << "nothing ran, not even the decoy";
  EXPECT_EQ("", log.Text()) << "nothing logged";
}

TEST_F(InstallUltraVncTest, SetupThatCannotStartIsReportedAndAnswersFalse) {
  // A setup file that is no program: the system refuses to start it.
  {
    std::FILE* file = std::fopen(SetupPath().c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("not a program", file);
    std::fclose(file);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + SetupPath() + "\"";
  ASSERT_FALSE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process));
  const std::string expected = SystemMessageText(GetLastError());
  ASSERT_FALSE(expected.empty());

  const LogSince log;
  EXPECT_FALSE(engine_.InstallUltraVNC());
  EXPECT_TRUE(log.Has(expected)) << log.Text();
  EXPECT_EQ("", Record()) << "not even the decoy ran";
}

}  // namespace
