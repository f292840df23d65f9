// Start-up's hold on the run's bookkeeping, over a temporary folder that stands for the drive and
// the all-users application data folder.
#include "startup/RunChangesScope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogReader.h"
#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "rollback/ChangeRecord.h"
#include "rollback/RecordFolder.h"
#include "rollback/RollbackTestTools.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace {

class RunChangesScopeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    engine_.silent = 1;
    ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData").c_str(), nullptr));
    recordFolder_ = rollback::RecordFolderBelow(dir_.Child("ProgramData"), "QVX", "Norvane");
  }

  CInstaller engine_;
  ScopedTempDir dir_;
  std::string recordFolder_;
};

// Start-up leaves without a report (an early return, a wizard that could not go on): what the
// run made goes with it, and the engine is not left pointing at bookkeeping that is gone.
TEST_F(RunChangesScopeTest, ChangesLeftOpenAreRolledBackWhenStartUpEnds) {
  const rollback::Listing before = rollback::ListFiles(dir_.path());
  {
    const RunChangesScope recording(engine_, recordFolder_);
    ASSERT_NE(nullptr, engine_.runChanges);
    ASSERT_TRUE(engine_.MyCreateDirectory(dir_.Child("Apps\\QVX"), nullptr));
    ASSERT_TRUE(FileOrFolderExists(dir_.Child("Apps\\QVX")));
  }
  EXPECT_EQ(nullptr, engine_.runChanges);
  EXPECT_EQ("", rollback::Differences(before, rollback::ListFiles(dir_.path())));
}

TEST_F(RunChangesScopeTest, ASuccessfulRunKeepsItsChanges) {
  {
    const RunChangesScope recording(engine_, recordFolder_);
    ASSERT_TRUE(engine_.MyCreateDirectory(dir_.Child("Apps\\QVX"), nullptr));
    // What a completed attempt does (engine/InstallRun.h) before it reports.
    engine_.runChanges->Commit();
    engine_.ReportSuccess();
  }
  EXPECT_TRUE(FileOrFolderExists(dir_.Child("Apps\\QVX")));
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("ProgramData\\QVX"))) << "no record is left";
}

// Reporting only reports: the attempt rolls back before its sentence (engine/InstallRun.h), and
// whatever is still open when start-up ends goes with the scope.
TEST_F(RunChangesScopeTest, AReportedFailureLeavesTheRollbackToTheAttemptAndTheScope) {
  {
    const RunChangesScope recording(engine_, recordFolder_);
    engine_.projectName = "Brenmoor";
    ASSERT_TRUE(engine_.MyCreateDirectory(dir_.Child("Apps\\QVX"), nullptr));
    const LogSince log;
    engine_.ReportFailedAttempt();
    EXPECT_TRUE(log.Has("Installation of Brenmoor has failed.")) << log.Text();
    EXPECT_FALSE(log.Has("Rolling back this run.")) << log.Text();
    EXPECT_TRUE(FileOrFolderExists(dir_.Child("Apps\\QVX")));
  }
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("Apps")));
}

// A run of the product that was killed is finished before this one records anything.
TEST_F(RunChangesScopeTest, AKilledRunIsRolledBackFirst) {
  const std::string leftOver = dir_.Child("Apps\\QVX\\Norvane\\Norvane1.0");
  ASSERT_TRUE(engine_.MyCreateDirectory(leftOver, nullptr));
  std::vector<std::string> made;
  ASSERT_TRUE(rollback::MakeRecordFolder(recordFolder_, &made));
  std::vector<rollback::ChangeRecord> records;
  for (const std::string& folder : made) {
    records.push_back(rollback::ChangeRecord::MadeRecordFolder(folder));
  }
  records.push_back(rollback::ChangeRecord::CreatedFolder(dir_.Child("Apps")));
  const std::string record = rollback::RecordFileBytes(rollback::TestScope({dir_.path()}), records);
  ASSERT_TRUE(rollback::WriteFileBytes(recordFolder_ + "\\0000000000000001-7.journal", record));

  const LogSince log;
  const RunChangesScope recording(engine_, recordFolder_);
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("Apps")));
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("ProgramData\\QVX"))) << "the record went";
  EXPECT_TRUE(log.Has("An earlier run of this product ended without finishing")) << log.Text();
  EXPECT_TRUE(recording.EarlierRunsFinished());
}

// A killed run whose rollback cannot be finished now (its file is held open): start-up hears of
// it and ends the run before anything is changed; the record stays for a later run.
TEST_F(RunChangesScopeTest, AnUnfinishedRollbackOfAKilledRunIsReported) {
  const std::string file = dir_.Child("held.exe");
  ASSERT_TRUE(rollback::WriteFileBytes(file, "new"));
  std::vector<std::string> made;
  ASSERT_TRUE(rollback::MakeRecordFolder(recordFolder_, &made));
  const std::string recordPath = recordFolder_ + "\\0000000000000001-7.journal";
  ASSERT_TRUE(rollback::WriteFileBytes(
      recordPath, rollback::RecordFileBytes(rollback::TestScope({dir_.path()}),
                                            {rollback::ChangeRecord::CreatedFile(file)})));
  const UniqueHandle held(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  const RunChangesScope recording(engine_, recordFolder_);
  EXPECT_FALSE(recording.EarlierRunsFinished());
  EXPECT_TRUE(FileOrFolderExists(recordPath));
}

}  // namespace
