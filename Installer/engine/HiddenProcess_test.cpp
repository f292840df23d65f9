// Starting an outside program hidden and waiting for it, with the stand-in setup program that
// records which program file ran and the command line it received.
#include "engine/HiddenProcess.h"

#include <gtest/gtest.h>

#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"

namespace {

class HiddenProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(FileExists(fake_)) << fake_;
  }
  // A copy of the stand-in program at |relative| below the test's folder.
  std::string PlaceFake(const std::string& relative) {
    const std::string path = temp_.Child(relative);
    EXPECT_TRUE(CopyFileA(fake_.c_str(), path.c_str(), FALSE)) << path;
    return path;
  }
  std::string Record() const { return ReadFileBytes(record_); }

  const std::string fake_ = TestToolPath("UltraVNC_1_2_17_X86_Setup.exe");
  ScopedTempDir temp_;
  const std::string record_ = temp_.Child("record.txt");
  ScopedEnvironmentVariable recordVariable_{"FAKE_SETUP_RECORD", record_};
};

TEST_F(HiddenProcessTest, ApplicationPathRunsThatFileWithTheCommandLineUntouched) {
  // The command line names msiexec; the program that runs is the one given by path, and it
  // receives the command line exactly as written.
  const std::string program = PlaceFake("installer_msiexec.exe");
  DWORD error = 12345;
  ASSERT_TRUE(RunHiddenAndWait(program, "MSIEXEC /x {0D3A4C58-1B2E-4F6A-9C7D-8E9F0A1B2C3D} /qb",
                               &error));
  EXPECT_EQ(12345u, error) << "untouched on success";
  EXPECT_EQ(program + "\tMSIEXEC /x {0D3A4C58-1B2E-4F6A-9C7D-8E9F0A1B2C3D} /qb\r\n", Record());
}

TEST_F(HiddenProcessTest, ReturnsOnlyAfterTheProgramHasEnded) {
  // The program writes its record only after its pause; a caller that did not wait would find
  // nothing yet.
  const std::string program = PlaceFake("slow.exe");
  const ScopedEnvironmentVariable delay("FAKE_SETUP_DELAY_MS", "1500");
  const DWORD start = GetTickCount();
  ASSERT_TRUE(RunHiddenAndWait("", "\"" + program + "\" now", nullptr));
  EXPECT_GE(GetTickCount() - start, 1400u);
  EXPECT_EQ(program + "\t\"" + program + "\" now\r\n", Record());
}

TEST_F(HiddenProcessTest, WithoutApplicationPathTheCommandLinesFirstWordRuns) {
  const std::string program = PlaceFake("first word.exe");
  ASSERT_TRUE(RunHiddenAndWait("", "\"" + program + "\" /silent", nullptr));
  EXPECT_EQ(program + "\t\"" + program + "\" /silent\r\n", Record());
}

TEST_F(HiddenProcessTest, ProgramThatCannotBeStartedGivesTheSystemError) {
  DWORD error = 0;
  EXPECT_FALSE(RunHiddenAndWait(temp_.Child("missing.exe"), "missing.exe /x", &error));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
  EXPECT_EQ("", Record()) << "nothing ran";
}

TEST(SystemMessageTextTest, KnownErrorHasTextUnknownHasNone) {
  EXPECT_NE("", SystemMessageText(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ("", SystemMessageText(0x2000FFFF)) << "an application-defined code has no text";
}

}  // namespace
