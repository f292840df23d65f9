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
#include "rollback/RecordFolder.h"
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
    ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData").c_str(), nullptr));
    records_ = RecordFolderBelow(dir_.Child("ProgramData"), "QVX", "Norvane");
    files_ = dir_.Child("files");
    std::vector<std::string> made;
    ASSERT_TRUE(MakeRecordFolder(records_, &made));
    ASSERT_TRUE(CreateDirectoryA(files_.c_str(), nullptr));
  }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey); }

  // Writes a record file as a run would have left it; |name| orders the runs by age.
  std::string WriteRecord(const std::string& name, const std::vector<ChangeRecord>& records) {
    const std::string bytes = RecordFileBytes(TestScope({files_}), records);
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
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("ProgramData\\QVX")))
      << "the record goes once it is done, with its folders left empty";
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
  EXPECT_FALSE(FileOrFolderExists(records_));
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
  EXPECT_FALSE(FileOrFolderExists(records_));
}

// A damaged record may belong to a run whose changes nobody can name: it is set aside where an
// administrator can look at it, under a name that no later run takes for a record, and the
// record of another run is still finished.
TEST_F(RecoveryTest, ARecordOfAnEarlierFormatIsSetAsideAndTheOthersAreDone) {
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "written by the killed run"));
  const std::string readable =
      WriteRecord("0000000000000001-1", {ChangeRecord::CreatedFile(files_ + "\\new.exe")});
  const std::string damagedBytes = "QVX change record 1\r\n" + std::string(40, '\x5A');
  const std::string damaged = records_ + "\\0000000000000002-1.journal";
  ASSERT_TRUE(WriteFileBytes(damaged, damagedBytes));

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.rolledBack);
  EXPECT_EQ(1u, summary.damaged);
  EXPECT_FALSE(FileOrFolderExists(files_ + "\\new.exe"));
  EXPECT_FALSE(FileOrFolderExists(readable));
  EXPECT_FALSE(FileOrFolderExists(damaged));
  EXPECT_EQ(damagedBytes, ReadWholeFile(damaged + ".damaged"));
  EXPECT_TRUE(log.Has("The record " + damaged + " of an earlier run is damaged: it is of an "
                      "earlier format that names no scope. Nothing of it is undone."))
      << log.Text();
  EXPECT_EQ(0u, RecoverEndedRuns(records_).damaged) << "set aside once, never read again";
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

// A record whose rollback finished but that could not be deleted (read-only) made every later run
// roll it back again, over the reinstalled product: it is retired before its first undo.
TEST_F(RecoveryTest, ARecordIsRetiredBeforeItsChangesAreUndoneEvenWhenReadOnly) {
  const std::string app = files_ + "\\Norvane";
  ASSERT_TRUE(CreateDirectoryA(app.c_str(), nullptr));
  const std::string record = WriteRecord("0000000000000001-1", {ChangeRecord::CreatedFolder(app)});
  ASSERT_TRUE(SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_EQ(1u, RecoverEndedRuns(records_).rolledBack);
  EXPECT_FALSE(FileOrFolderExists(app));
  EXPECT_FALSE(FileOrFolderExists(record));

  // The next installation puts the product back; no later run takes it away again.
  ASSERT_TRUE(CreateDirectoryA(app.c_str(), nullptr));
  const RecoverySummary later = RecoverEndedRuns(records_);
  EXPECT_EQ(0u, later.rolledBack);
  EXPECT_TRUE(FileOrFolderExists(app));
}

// A record that cannot be retired (another program holds it) stops the recovery before anything
// changes, the records of older runs included; the caller ends the run with 1603.
TEST_F(RecoveryTest, ARecordThatCannotBeRetiredStopsTheRecoveryBeforeAnyChange) {
  ASSERT_TRUE(WriteFileBytes(files_ + "\\old.exe", "older run"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "newer run"));
  WriteRecord("0000000000000001-1", {ChangeRecord::CreatedFile(files_ + "\\old.exe")});
  const std::string newer =
      WriteRecord("0000000000000002-1", {ChangeRecord::CreatedFile(files_ + "\\new.exe")});
  const Listing before = ListFiles(files_);
  const UniqueHandle scanner(CreateFileA(newer.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(scanner);

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.unretired);
  EXPECT_EQ(1u, summary.unfinished);
  EXPECT_EQ(0u, summary.rolledBack);
  EXPECT_EQ("", Differences(before, ListFiles(files_)));
  EXPECT_TRUE(log.Has("cannot be retired before its changes are undone; this run changes "
                      "nothing."))
      << log.Text();
}

// A damaged record: what it says before the damage is undone as after a torn end, the record is
// kept under a name that says it is damaged, and the backups stay, named in a warning.
TEST_F(RecoveryTest, ADamagedRecordIsUndoneUpToTheDamageAndKeepsItsBackups) {
  const std::string backups = files_ + "\\SetupBackup-1";
  ASSERT_TRUE(CreateDirectoryA(backups.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(backups + "\\1", "1.0"));
  ASSERT_TRUE(WriteFileBytes(backups + "\\2", "moved by a lost frame"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\quorvin.exe", "2.0"));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "2.0"));
  std::string bytes = RecordFileBytes(
      TestScope({files_}), {ChangeRecord::CreatedFile(files_ + "\\new.exe"),
                            ChangeRecord::CreatedBackupFolder(backups),
                            ChangeRecord::MovedAside(files_ + "\\quorvin.exe", backups + "\\1")});
  bytes += std::string(16, '\x5A') + EncodeRecord(ChangeRecord::CreatedFile(files_ + "\\x"));
  const std::string record = records_ + "\\0000000000000001-1.journal";
  ASSERT_TRUE(WriteFileBytes(record, bytes));

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.damaged);
  EXPECT_FALSE(FileOrFolderExists(files_ + "\\new.exe"));
  EXPECT_EQ("1.0", ReadWholeFile(files_ + "\\quorvin.exe"));
  EXPECT_EQ("moved by a lost frame", ReadWholeFile(backups + "\\2"));
  EXPECT_EQ(bytes, ReadWholeFile(record + ".damaged"));
  EXPECT_FALSE(FileOrFolderExists(record));
  EXPECT_TRUE(log.Has("Warning: the record is kept as " + record +
                      ".damaged. The backups of its run stay: " + backups + "."))
      << log.Text();
}

// A record larger than any run writes is not read at all (a 3 GiB one made every run end with
// exit code 3); an empty or cut one holds no change. Neither orphans a backup folder silently.
TEST_F(RecoveryTest, ATooLargeOrEmptyRecordIsSetAsideOrRemovedWithAWarning) {
  const std::string large = WriteRecord("0000000000000003-1", {});
  {
    const UniqueHandle file(CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxJournalBytes) + 1;
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }
  const std::string empty = records_ + "\\0000000000000002-1.journal";
  ASSERT_TRUE(WriteFileBytes(empty, ""));
  const std::string cut = records_ + "\\0000000000000001-1.journal";
  ASSERT_TRUE(WriteFileBytes(cut, JournalHeader().substr(0, 7)));

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.damaged);
  EXPECT_TRUE(FileOrFolderExists(large + ".damaged"));
  EXPECT_FALSE(FileOrFolderExists(empty));
  EXPECT_FALSE(FileOrFolderExists(cut));
  EXPECT_TRUE(log.Has("The record " + large + " of an earlier run is damaged: it is larger than "
                      "any run writes"))
      << log.Text();
  EXPECT_TRUE(log.Has("The record " + empty + " of an earlier run holds no change; it is "
                      "removed. Backups of its run would be in SetupBackup-0000000000000002-1 "
                      "below its company folder (if there is one)."))
      << log.Text();
  EXPECT_TRUE(log.Has("Backups of its run would be in SetupBackup-0000000000000001-1")) << log.Text();
}

// The planted record of the report: even trusted, nothing of a record that reaches outside its
// run's scope is undone.
TEST_F(RecoveryTest, ARecordOutsideItsScopeIsSetAsideAndNothingIsUndone) {
  const std::string outside = dir_.Child("HospitalData");
  ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(files_ + "\\new.exe", "written by the run"));
  const Listing before = ListFiles(dir_.Child("files"));
  const std::string record = WriteRecord(
      "0000000000000001-1", {ChangeRecord::CreatedFile(files_ + "\\new.exe"),
                             ChangeRecord::CreatedFolder(outside)});

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(1u, summary.damaged);
  EXPECT_EQ(0u, summary.rolledBack);
  EXPECT_TRUE(FileOrFolderExists(outside));
  EXPECT_EQ("", Differences(before, ListFiles(dir_.Child("files"))));
  EXPECT_TRUE(FileOrFolderExists(record + ".damaged"));
  EXPECT_TRUE(log.Has("is damaged: it names " + outside + ", outside its scope. Nothing of it is "
                      "undone."))
      << log.Text();
}

// A run killed between making the record folders and writing its record leaves them empty.
TEST_F(RecoveryTest, EmptyRecordFoldersAreRemoved) {
  ASSERT_TRUE(FileOrFolderExists(records_));
  const RecoverySummary summary = RecoverEndedRuns(records_);
  EXPECT_EQ(0u, summary.rolledBack + summary.damaged + summary.untrusted);
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("ProgramData\\QVX")));
  EXPECT_TRUE(FileOrFolderExists(dir_.Child("ProgramData")));
}

TEST_F(RecoveryTest, NoFolderMeansNoRecords) {
  const RecoverySummary summary = RecoverEndedRuns(dir_.Child("missing"));
  EXPECT_EQ(0u, summary.rolledBack + summary.cleanedUp + summary.unreadable + summary.inUse);
  EXPECT_EQ(0u, RecoverEndedRuns("").rolledBack);
}

}  // namespace
}  // namespace rollback
