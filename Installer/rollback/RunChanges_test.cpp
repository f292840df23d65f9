// RunChanges over a temporary folder that stands for the drive and the all-users application data
// folder: the attempts of one installer process, as the wizard makes them one after the other.
#include "rollback/RunChanges.h"

#include <gtest/gtest.h>

#include <string>

#include "LogReader.h"
#include "framework/TestTools.h"
#include "rollback/RecordFolder.h"
#include "rollback/RollbackTestTools.h"
#include "support/ScopedTempDir.h"

namespace rollback {
namespace {

class RunChangesTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    company_ = dir_.Child("QVX");
    ASSERT_TRUE(CreateDirectoryA(company_.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(company_ + "\\quorvin.exe", "main client 1.0"));
    ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData").c_str(), nullptr));
    recordFolder_ = RecordFolderBelow(dir_.Child("ProgramData"), "QVX", "Norvane");
  }

  void Replace(RunChanges& changes, const std::string& path, const std::string& bytes) {
    DWORD error = 0;
    ASSERT_TRUE(changes.Journal().PrepareFileWrite(path, &error)) << path << " error " << error;
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
  }

  ScopedTempDir dir_;
  std::string company_;
  std::string recordFolder_;
};

// The wizard's Finish into a folder that fails, then a Finish that installs: the second attempt
// records afresh, with the backup folder the first one was given.
TEST_F(RunChangesTest, AnAttemptAfterARollbackRecordsAfresh) {
  const Listing before = ListFiles(dir_.path());
  RunChanges changes(recordFolder_, TestScope({dir_.path()}));
  changes.SetBackupParent(company_);
  DWORD error = 0;
  ASSERT_TRUE(changes.Journal().CreateFolder(company_ + "\\First", nullptr, &error));
  Replace(changes, company_ + "\\quorvin.exe", "main client, first attempt");
  changes.RollBack();
  EXPECT_FALSE(changes.IsOpen());
  ASSERT_EQ("", Differences(before, ListFiles(dir_.path())));

  Replace(changes, company_ + "\\quorvin.exe", "main client, second attempt");
  EXPECT_TRUE(changes.IsOpen());
  changes.RollBack();
  EXPECT_EQ("", Differences(before, ListFiles(dir_.path())));
}

TEST_F(RunChangesTest, ACommittedAttemptStaysAndLeavesNoBookkeeping) {
  RunChanges changes(recordFolder_, TestScope({dir_.path()}));
  changes.SetBackupParent(company_);
  DWORD error = 0;
  ASSERT_TRUE(changes.Journal().CreateFolder(company_ + "\\Norvane", nullptr, &error));
  Replace(changes, company_ + "\\quorvin.exe", "main client 2.0");
  changes.Commit();
  const Listing committed = ListFiles(dir_.path());
  EXPECT_EQ(1u, committed.count("QVX\\Norvane"));
  EXPECT_EQ("main client 2.0", ReadWholeFile(company_ + "\\quorvin.exe"));
  EXPECT_EQ(0u, committed.count("ProgramData\\QVX")) << "the record and its folders go";

  // The outcome reports commit or roll back once more: nothing is left to do.
  const LogSince log;
  changes.Commit();
  changes.RollBack();
  EXPECT_EQ("", Differences(committed, ListFiles(dir_.path())));
  EXPECT_FALSE(log.Has("Commit of this run")) << log.Text();
  EXPECT_FALSE(log.Has("Rolling back")) << log.Text();
}

// A wizard cancelled before Finish changed nothing: no record, no folder for it, no log line.
TEST_F(RunChangesTest, AnAttemptThatChangesNothingLeavesNothing) {
  const Listing before = ListFiles(dir_.path());
  const LogSince log;
  {
    RunChanges changes(recordFolder_, TestScope({dir_.path()}));
    changes.SetBackupParent(company_);
    EXPECT_FALSE(changes.IsOpen());
    changes.RollBack();
  }
  EXPECT_EQ("", Differences(before, ListFiles(dir_.path())));
  EXPECT_FALSE(log.Has("Rolling back")) << log.Text();
  EXPECT_FALSE(log.Has("recorded in memory only")) << log.Text();
}

}  // namespace
}  // namespace rollback
