// RecoverEndedRuns over record files written by hand: undos whose changes never happened, a
// run that had succeeded, an unreadable record beside a readable one, and the order of two runs.
#include "rollback/Recovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogReader.h"
#include "framework/TestTools.h"
#include "rollback/ChangeRecord.h"
#include "rollback/JournalFile.h"
#include "rollback/RollbackTestTools.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace rollback {
namespace {

const std::string kTestKey = "Software\\QvxRecoveryTest" + std::to_string(GetCurrentProcessId());

class RecoveryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey);
    records_ = dir_.Child("records");
    files_ = dir_.Child("files");
    ASSERT_TRUE(CreateDirectoryA(records_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(files_.c_str(), nullptr));
  }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey); }

  // Writes a record file as a run would have left it; |name| orders the runs by age.
  std::string WriteRecord(const std::string& name, const std::vector<ChangeRecord>& records) {
    std::string bytes = JournalHeader();
    for (const ChangeRecord& record : records) bytes += EncodeRecord(record);
    const std::string path = records_ + "\\" + name + ".journal";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }

  Listing Machine() const { return ListMachine(files_, HKEY_CURRENT_USER, kTestKey); }

  ScopedTempDir dir_;
  std::string records_;
  std::string files_;
};

// A killed run records each change before it makes it, so its last records may describe
// changes that never happened; undoing them must leave the machine alone.
TEST_F(RecoveryTest, UndoingChangesThatNeverHappenedChangesNothing) {
  ASSERT_TRUE(WriteFileBytes(files_ + "\\kept.exe", "the original, never moved"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\edited.xml", "the original, never copied"));
  ASSERT_TRUE(CreateDirectoryA((files_ + "\\there").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\there\\inside.txt", "someone else's"));
  ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kTestKey + "\\Existing", "Other", REG_SZ,
                               std::string("x\0", 2)));
  ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kTestKey + "\\Existing", "Same", REG_BINARY,
                               std::string("\0\1", 2)));
  const Listing before = Machine();

  WriteRecord(
      "0000000000000001-1",
      {
          ChangeRecord::CreatedFolder(files_ + "\\never made"),
          ChangeRecord::CreatedFile(files_ + "\\never written.exe"),
          ChangeRecord::CreatedBackupFolder(files_ + "\\SetupBackup-never"),
          ChangeRecord::MovedAside(files_ + "\\kept.exe", files_ + "\\SetupBackup-never\\1"),
          ChangeRecord::CopiedAside(files_ + "\\edited.xml", files_ + "\\SetupBackup-never\\2"),
          ChangeRecord::CreatedFolder(files_ + "\\there"),
          ChangeRecord::FolderExisted(files_ + "\\there"),
          ChangeRecord::CreatedKey(HKEY_CURRENT_USER, kTestKey + "\\Never"),
          ChangeRecord::MissingRegistryValue(HKEY_CURRENT_USER, kTestKey + "\\Never", "Value"),
          ChangeRecord::MissingRegistryValue(HKEY_CURRENT_USER, kTestKey + "\\Existing", "Value"),
          ChangeRecord::RegistryValue(HKEY_CURRENT_USER, kTestKey + "\\Existing", "Same",
                                      REG_BINARY, std::string("\0\1", 2)),
      });

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.rolledBack);
  EXPECT_EQ("", Differences(before, Machine()));
  EXPECT_TRUE(log.Has("finished: 9 changes undone, 0 could not be undone.")) << log.Text();
  EXPECT_TRUE(ListFiles(records_).empty()) << "the record goes once it is done";
}

TEST_F(RecoveryTest, ARunThatSucceededOnlyLosesItsBackups) {
  const std::string backups = files_ + "\\SetupBackup-1";
  ASSERT_TRUE(CreateDirectoryA(backups.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(backups + "\\1", "1.0"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\quorvin.exe", "2.0"));
  WriteRecord("0000000000000001-1",
              {ChangeRecord::CreatedBackupFolder(backups),
               ChangeRecord::MovedAside(files_ + "\\quorvin.exe", backups + "\\1"),
               ChangeRecord::Committed()});

  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.cleanedUp);
  EXPECT_EQ(0u, summary.rolledBack);
  EXPECT_FALSE(FileOrFolderExists(backups));
  EXPECT_EQ("2.0", ReadWholeFile(files_ + "\\quorvin.exe"));
  EXPECT_TRUE(ListFiles(records_).empty());
}

// A killed upgrade whose file is held open when the next run rolls it back: the older file's
// backup and the record stay until a later run can put it back; then both go.
TEST_F(RecoveryTest, ARollbackThatCannotFinishKeepsItsRecordAndBackupForALaterRun) {
  const std::string backups = files_ + "\\SetupBackup-1";
  ASSERT_TRUE(CreateDirectoryA(backups.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(backups + "\\1", "1.5"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\unwindle.exe", "1.6"));
  const std::string record =
      WriteRecord("0000000000000001-1",
                  {ChangeRecord::CreatedBackupFolder(backups),
                   ChangeRecord::MovedAside(files_ + "\\unwindle.exe", backups + "\\1")});
  {
    // Held open without delete sharing, as a running program holds its file.
    const UniqueHandle held(CreateFileA((files_ + "\\unwindle.exe").c_str(), GENERIC_READ,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const LogSince log;
    const RecoverySummary summary = RecoverEndedRuns(records_);
    EXPECT_EQ(1u, summary.unfinished);
    EXPECT_EQ(0u, summary.rolledBack);
    EXPECT_TRUE(FileOrFolderExists(record));
    EXPECT_EQ("1.5", ReadWholeFile(backups + "\\1"));
    EXPECT_TRUE(log.Has("The record " + record + " and its backups are kept")) << log.Text();
  }
  const RecoverySummary later = RecoverEndedRuns(records_);
  EXPECT_EQ(0u, later.unfinished);
  EXPECT_EQ(1u, later.rolledBack);
  EXPECT_EQ("1.5", ReadWholeFile(files_ + "\\unwindle.exe"));
  EXPECT_FALSE(FileOrFolderExists(backups));
  EXPECT_TRUE(ListFiles(records_).empty());
}

// A record that cannot be read may belong to a run whose changes nobody can name; it stays for
// a person to look at, and the record of another run is still finished.
TEST_F(RecoveryTest, AnUnreadableRecordIsLeftAloneAndTheOthersAreDone) {
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "written by the killed run"));
  const std::string readable =
      WriteRecord("0000000000000001-1", {ChangeRecord::CreatedFile(files_ + "\\new.exe")});
  const std::string damagedBytes = "QVX change record 1\r\n" + std::string(40, '\x5A');
  const std::string damaged = records_ + "\\0000000000000002-1.journal";
  ASSERT_TRUE(WriteFileBytes(damaged, damagedBytes));

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.rolledBack);
  EXPECT_EQ(1u, summary.unreadable);
  EXPECT_FALSE(FileOrFolderExists(files_ + "\\new.exe"));
  EXPECT_FALSE(FileOrFolderExists(readable));
  EXPECT_EQ(damagedBytes, ReadWholeFile(damaged));
  EXPECT_TRUE(
      log.Has("The record " + damaged + " of an earlier run cannot be read; it is left alone."))
      << log.Text();
}

// Two records can only both be readable when a run was killed while it finished an earlier
// one; the newer run is undone first, so that each undo meets the state its run left.
TEST_F(RecoveryTest, TheNewestRunIsUndoneFirst) {
  const std::string file = files_ + "\\quorvin.exe";
  const std::string backups = files_ + "\\SetupBackup-2";
  ASSERT_TRUE(CreateDirectoryA(backups.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(backups + "\\1", "written by the older run"));
  ASSERT_TRUE(WriteFileBytes(file, "written by the newer run"));
  WriteRecord("0000000000000001-7", {ChangeRecord::CreatedFile(file)});
  WriteRecord("0000000000000002-9", {ChangeRecord::CreatedBackupFolder(backups),
                                     ChangeRecord::MovedAside(file, backups + "\\1")});

  EXPECT_EQ(2u, RecoverEndedRuns(records_).rolledBack);
  EXPECT_FALSE(FileOrFolderExists(file)) << ReadWholeFile(file);
  EXPECT_FALSE(FileOrFolderExists(backups));
}

// The product's mutex keeps a second run away from a live one; should a run get past it all
// the same, the live run's record cannot be opened and its changes stay.
TEST_F(RecoveryTest, TheRecordOfALiveRunIsLeftAlone) {
  JournalFile live;
  ASSERT_TRUE(live.Create(records_, "0000000000000001-1"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "written by the live run"));
  ASSERT_TRUE(live.Append(EncodeRecord(ChangeRecord::CreatedFile(files_ + "\\new.exe"))));

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.inUse);
  EXPECT_EQ(0u, summary.rolledBack);
  EXPECT_TRUE(FileOrFolderExists(files_ + "\\new.exe"));
  EXPECT_TRUE(FileOrFolderExists(live.path()));
  EXPECT_TRUE(log.Has("The record " + live.path() +
                      " is in use by a run that is still going on; it is left alone."))
      << log.Text();
}

TEST_F(RecoveryTest, NoFolderMeansNoRecords) {
  const RecoverySummary summary = RecoverEndedRuns(dir_.Child("missing"));
  EXPECT_EQ(0u, summary.rolledBack + summary.cleanedUp + summary.unreadable + summary.inUse);
  EXPECT_EQ(0u, RecoverEndedRuns("").rolledBack);
}

}  // namespace
}  // namespace rollback
