// ChangeJournal against the real file system and registry of the test prefix: a temporary
// folder per test stands for the drive and for the all-users application data folder, a key
// below HKEY_CURRENT_USER\Software for the registry. Each test installs an "older version"
// first, then runs a scripted installation over it through the journal.
#include "rollback/ChangeJournal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LogReader.h"
#include "framework/TestTools.h"
#include "rollback/RecordFolder.h"
#include "rollback/Recovery.h"
#include "rollback/RollbackTestTools.h"
#include "support/FolderLinkTestTools.h"
#include "support/RemoveTree.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace rollback {
namespace {

const std::string kTestKey = "Software\\QvxRollbackTest" + std::to_string(GetCurrentProcessId());
const std::string kUninstallKey = kTestKey + "\\Uninstall\\Norvane_new";

class ChangeJournalTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey);
    drive_ = dir_.Child("drive");
    company_ = drive_ + "\\Apps\\QVX";
    appInfo_ = company_ + "\\Norvane\\AppData\\AppInfo.xml";
    ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData").c_str(), nullptr));
    recordFolder_ = RecordFolderBelow(dir_.Child("ProgramData"), "QVX", "Norvane");
    InstallOlderVersion();
  }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey); }

  void MakeFolder(const std::string& relative) {
    ASSERT_TRUE(CreateDirectoryA((drive_ + "\\" + relative).c_str(), nullptr)) << relative;
  }

  // What an earlier installation left: the company folder with the shared copies (one of them
  // read-only), the path record, AppInfo.xml, a version folder, an empty Start-menu folder and
  // the Uninstall entry with a text and raw bytes.
  void InstallOlderVersion() {
    for (const char* folder :
         {"", "\\Apps", "\\Apps\\QVX", "\\Apps\\QVX\\Norvane", "\\Apps\\QVX\\Norvane\\AppData",
          "\\Apps\\QVX\\Norvane\\Norvane1.0", "\\StartMenu"}) {
      ASSERT_TRUE(CreateDirectoryA((drive_ + folder).c_str(), nullptr)) << folder;
    }
    ASSERT_TRUE(WriteFileBytes(company_ + "\\quorvin.exe", "main client 1.0"));
    ASSERT_TRUE(WriteFileBytes(company_ + "\\shared.dll", "shared 1.0", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteFileBytes(company_ + "\\ExePathInfo", company_ + "\\Norvane\\Norvane1.0\\"));
    ASSERT_TRUE(WriteFileBytes(appInfo_, "<regInfo>1.0</regInfo>"));
    ASSERT_TRUE(WriteFileBytes(company_ + "\\Norvane\\Norvane1.0\\quorvin.exe", "1.0"));
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayName", REG_SZ,
                                 std::string("Norvane\0", 8)));
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kUninstallKey, "Blob", REG_BINARY,
                                 std::string("\0\xFF\r\n\\", 5)));
  }

  // The whole machine as far as the tests touch it.
  Listing Machine() const { return ListMachine(dir_.path(), HKEY_CURRENT_USER, kTestKey); }

  void PrepareAndWrite(ChangeJournal& journal, const std::string& path, const std::string& bytes) {
    DWORD error = 0;
    ASSERT_TRUE(journal.PrepareFileWrite(path, &error)) << path << " error " << error;
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
  }

  void PrepareAndSet(ChangeJournal& journal, const std::string& key, const std::string& name,
                     DWORD type, const std::string& bytes) {
    DWORD error = 0;
    ASSERT_TRUE(journal.PrepareValueWrite(HKEY_CURRENT_USER, key, name, &error))
        << key << " " << name << " error " << error;
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, key, name, type, bytes)) << name;
  }

  // An installation of version 2.0 over 1.0, every change made through the journal: a new
  // version folder tree, replaced shared copies (by another spelling too), a new file beside
  // them, AppInfo.xml changed in place, a new Start-menu folder with a link, a changed and a
  // new value in the Uninstall entry and a value in two new keys.
  void RunInstallation(ChangeJournal& journal) {
    DWORD error = 0;
    ASSERT_TRUE(journal.CreateFolder(company_ + "\\", nullptr, &error)) << error;
    journal.SetBackupParent(company_);
    const std::string version = company_ + "\\Norvane\\Norvane2.0";
    for (int index = 0; index < 40; ++index) {
      const std::string folder = version + "\\bin" + std::to_string(index % 4) + "\\deep";
      ASSERT_TRUE(journal.CreateFolder(folder, nullptr, &error)) << folder << " error " << error;
      PrepareAndWrite(journal, folder + "\\file" + std::to_string(index) + ".dll",
                      "2.0 file " + std::to_string(index));
    }
    PrepareAndWrite(journal, company_ + "\\QUORVIN.EXE", "main client 2.0");
    PrepareAndWrite(journal, company_ + "\\quorvin.exe", "main client 2.0, written again");
    PrepareAndWrite(journal, company_ + "\\shared.dll", "shared 2.0");
    PrepareAndWrite(journal, company_ + "\\ExePathInfo", version + "\\");
    PrepareAndWrite(journal, company_ + "\\newshared.exe", "new beside the others");

    ASSERT_TRUE(journal.PrepareFileEdit(appInfo_, &error)) << error;
    ASSERT_TRUE(AppendFileBytes(appInfo_, "<regInfo>2.0</regInfo>"));

    ASSERT_TRUE(journal.CreateFolder(drive_ + "\\StartMenu\\QVX\\Tools", nullptr, &error));
    PrepareAndWrite(journal, drive_ + "\\StartMenu\\QVX\\Tools\\Norvane.lnk", "link");

    PrepareAndSet(journal, kUninstallKey, "DisplayName", REG_SZ, std::string("Norvane 2\0", 10));
    PrepareAndSet(journal, kUninstallKey, "UninstallString", REG_SZ, std::string("u\0", 2));
    PrepareAndSet(journal, kUninstallKey, "Blob", REG_DWORD, std::string("\1\2\3\4", 4));
    PrepareAndSet(journal, kTestKey + "\\Settings\\Norvane", "HostList", REG_SZ,
                  std::string("h1 h2\0", 6));
  }

  // The records of changes on disk, after the scope frames the record begins with.
  std::vector<ChangeRecord> RecordsOnDisk(const ChangeJournal& journal) const {
    std::vector<ChangeRecord> records;
    EXPECT_TRUE(DecodeJournal(ReadWholeFile(journal.RecordPath()), &records));
    const std::vector<ChangeRecord> scope = ScopeRecords(TestScope({drive_}));
    EXPECT_TRUE(records.size() >= scope.size() &&
                std::equal(scope.begin(), scope.end(), records.begin()))
        << "the record begins with its scope";
    records.erase(records.begin(),
                  records.begin() + static_cast<std::ptrdiff_t>(
                                        std::min(scope.size(), records.size())));
    return records;
  }

  // Folders below the company folder that hold backups.
  std::vector<std::string> BackupFolders() const {
    std::vector<std::string> folders;
    for (const auto& entry : ListFiles(company_)) {
      if (entry.first.compare(0, 12, "SetupBackup-") == 0 &&
          entry.first.find('\\') == std::string::npos) {
        folders.push_back(entry.first);
      }
    }
    return folders;
  }

  ScopedTempDir dir_;
  std::string drive_;
  std::string company_;
  std::string appInfo_;
  std::string recordFolder_;
};

TEST_F(ChangeJournalTest, RollBackLeavesTheMachineAsItFoundIt) {
  const Listing before = Machine();
  const LogSince log;
  {
    ChangeJournal journal(recordFolder_, TestScope({drive_}));
    ASSERT_FALSE(journal.RecordPath().empty());
    RunInstallation(journal);
    ASSERT_NE("", Differences(before, Machine())) << "the installation changed nothing";
    journal.RollBack();
  }
  EXPECT_EQ("", Differences(before, Machine()));
  EXPECT_TRUE(log.Has("Rolling back this run."));
  EXPECT_TRUE(log.Has("Rollback of this run finished: ")) << log.Text();
  EXPECT_TRUE(log.Has(", 0 could not be undone.")) << log.Text();
}

TEST_F(ChangeJournalTest, CommitKeepsTheNewStateAndLeavesNoBookkeeping) {
  const Listing before = Machine();
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  RunInstallation(journal);
  ASSERT_EQ(1u, BackupFolders().size());
  Listing installed = ListFiles(drive_);
  for (auto entry = installed.begin(); entry != installed.end();) {
    entry = entry->first.find("\\SetupBackup-") != std::string::npos ? installed.erase(entry)
                                                                     : std::next(entry);
  }
  const Listing registry = ListRegistry(HKEY_CURRENT_USER, kTestKey);

  journal.Commit();
  EXPECT_EQ("", Differences(installed, ListFiles(drive_)));
  EXPECT_EQ("", Differences(registry, ListRegistry(HKEY_CURRENT_USER, kTestKey)));
  EXPECT_TRUE(BackupFolders().empty());
  EXPECT_TRUE(ListFiles(dir_.Child("ProgramData")).empty()) << "the record and its folders go";
}

// A fresh installation costs a handful of records however many files it writes: the topmost
// new folder is recorded once, nothing below it.
TEST_F(ChangeJournalTest, AFreshTreeIsRecordedByItsTopmostFolderOnly) {
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  DWORD error = 0;
  const std::string top = drive_ + "\\Fresh";
  for (int index = 0; index < 300; ++index) {
    const std::string folder = top + "\\Product\\sub" + std::to_string(index % 7);
    ASSERT_TRUE(journal.CreateFolder(folder, nullptr, &error)) << error;
    PrepareAndWrite(journal, folder + "\\file" + std::to_string(index), "bytes");
  }
  PrepareAndWrite(journal, drive_ + "\\StartMenu\\beside.lnk", "link");

  const std::vector<ChangeRecord> want = {
      ChangeRecord::MadeRecordFolder(dir_.Child("ProgramData\\QVX")),
      ChangeRecord::MadeRecordFolder(dir_.Child("ProgramData\\QVX\\Setup")),
      ChangeRecord::MadeRecordFolder(recordFolder_),
      ChangeRecord::CreatedFolder(top),
      ChangeRecord::CreatedFile(drive_ + "\\StartMenu\\beside.lnk"),
  };
  const std::vector<ChangeRecord> got = RecordsOnDisk(journal);
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t index = 0; index < want.size(); ++index) {
    EXPECT_TRUE(want[index] == got[index]) << "record " << index << ": " << got[index].path;
  }
  journal.RollBack();
  EXPECT_FALSE(FileOrFolderExists(top));
  EXPECT_FALSE(FileOrFolderExists(drive_ + "\\StartMenu\\beside.lnk"));
}

// Another product of the company installs into the company folder and the Start-menu folder
// that this run made, while it runs (or after it was killed): the rollback takes this run's
// files and folders and leaves the other product's, and shared folders that are empty go.
TEST_F(ChangeJournalTest, ARollBackLeavesWhatAnotherProductPutIntoSharedFolders) {
  struct Case {
    const char* name;
    bool otherProductInstalls;
  } cases[] = {{"another product installed meanwhile", true}, {"nobody else came", false}};
  for (const Case& c : cases) {
    const std::string top = drive_ + "\\Shared";
    const std::string company = top + "\\Co";
    const std::string startMenu = drive_ + "\\StartMenu\\Co";
    const Listing before = Machine();
    {
      ChangeJournal journal(recordFolder_, TestScope({drive_}));
      journal.MarkSharedFolder(company + "\\");
      journal.MarkSharedFolder(startMenu);
      DWORD error = 0;
      ASSERT_TRUE(journal.CreateFolder(company + "\\Norvane\\Norvane2.0\\bin", nullptr, &error));
      journal.SetBackupParent(company);
      PrepareAndWrite(journal, company + "\\Norvane\\Norvane2.0\\bin\\app.exe", "app");
      PrepareAndWrite(journal, company + "\\quorvin.exe", "main client");
      ASSERT_TRUE(journal.CreateFolder(startMenu, nullptr, &error));
      PrepareAndWrite(journal, startMenu + "\\Norvane.lnk", "link");
      if (c.otherProductInstalls) {
        ASSERT_TRUE(CreateDirectoryA((company + "\\Other").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(company + "\\Other\\other.exe", "other")) << c.name;
        ASSERT_TRUE(WriteFileBytes(company + "\\other.dll", "other shared")) << c.name;
        ASSERT_TRUE(WriteFileBytes(startMenu + "\\Other.lnk", "other link")) << c.name;
      }
      journal.RollBack();
    }
    if (c.otherProductInstalls) {
      EXPECT_EQ("other", ReadWholeFile(company + "\\Other\\other.exe")) << c.name;
      EXPECT_EQ("other shared", ReadWholeFile(company + "\\other.dll")) << c.name;
      EXPECT_EQ("other link", ReadWholeFile(startMenu + "\\Other.lnk")) << c.name;
      EXPECT_FALSE(FileOrFolderExists(company + "\\Norvane")) << c.name;
      EXPECT_FALSE(FileOrFolderExists(company + "\\quorvin.exe")) << c.name;
      EXPECT_FALSE(FileOrFolderExists(startMenu + "\\Norvane.lnk")) << c.name;
      RemoveTree(top, nullptr);
      RemoveTree(startMenu, nullptr);
    }
    EXPECT_EQ("", Differences(before, Machine())) << c.name;
  }
}

// A new Uninstall entry costs one record per key it creates, however many values go into it;
// the rollback still takes the values with the keys.
TEST_F(ChangeJournalTest, ValuesOfAKeyTheRunCreatesAreRecordedByTheKeyOnly) {
  const Listing before = Machine();
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  const std::string entry = kTestKey + "\\Fresh\\Norvane_new";
  for (const char* name : {"DisplayName", "DisplayVersion", "Publisher", "NoModify"}) {
    PrepareAndSet(journal, entry, name, REG_SZ, std::string("value\0", 6));
  }

  const std::vector<ChangeRecord> want = {
      ChangeRecord::MadeRecordFolder(dir_.Child("ProgramData\\QVX")),
      ChangeRecord::MadeRecordFolder(dir_.Child("ProgramData\\QVX\\Setup")),
      ChangeRecord::MadeRecordFolder(recordFolder_),
      ChangeRecord::CreatedKey(HKEY_CURRENT_USER, kTestKey + "\\Fresh"),
      ChangeRecord::CreatedKey(HKEY_CURRENT_USER, entry),
  };
  const std::vector<ChangeRecord> got = RecordsOnDisk(journal);
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t index = 0; index < want.size(); ++index) {
    EXPECT_TRUE(want[index] == got[index]) << "record " << index << ": " << got[index].key;
  }
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
}

// The values of an existing entry, prepared together: every one recorded before the writes, as
// it was (or that there was none), and given back by the rollback.
TEST_F(ChangeJournalTest, ValuesPreparedTogetherAreEachRecorded) {
  const Listing before = Machine();
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  const std::vector<std::string> names = {"DisplayName", "Blob", "DisplayVersion"};
  EXPECT_EQ(names, journal.PrepareValueWrites(HKEY_CURRENT_USER, kUninstallKey, names));

  std::vector<ChangeRecord> values;
  for (const ChangeRecord& record : RecordsOnDisk(journal)) {
    if (record.kind == ChangeKind::kRegistryValue) values.push_back(record);
  }
  ASSERT_EQ(3u, values.size());
  EXPECT_TRUE(values[0] == ChangeRecord::RegistryValue(HKEY_CURRENT_USER, kUninstallKey,
                                                       "DisplayName", REG_SZ,
                                                       std::string("Norvane\0", 8)))
      << values[0].valueBytes.size();
  EXPECT_TRUE(values[2] ==
              ChangeRecord::MissingRegistryValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"));
  for (const std::string& name : names) {
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kUninstallKey, name, REG_DWORD,
                                 std::string("\1\0\0\0", 4)));
  }
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
  EXPECT_TRUE(journal.PrepareValueWrites(HKEY_CURRENT_USER, kUninstallKey, names).empty())
      << "a finished journal prepares nothing";
}

// A reinstallation of the same version replaces every file of its folder; the backups are
// spread over numbered folders of a hundred.
TEST_F(ChangeJournalTest, AReinstallationOfManyFilesIsUndoneByteForByte) {
  const std::string version = company_ + "\\Norvane\\Norvane1.0";
  for (int index = 0; index < 150; ++index) {
    ASSERT_TRUE(WriteFileBytes(version + "\\file" + std::to_string(index), "1.0"));
  }
  const Listing before = Machine();
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  DWORD error = 0;
  ASSERT_TRUE(journal.CreateFolder(version, nullptr, &error));
  journal.SetBackupParent(company_);
  for (int index = 0; index < 150; ++index) {
    PrepareAndWrite(journal, version + "\\file" + std::to_string(index), "repacked 1.0");
  }
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
}

// The killed run recorded its last change and was ended in the middle of writing the next
// record, whose change had therefore not begun.
TEST_F(ChangeJournalTest, TheNextRunUndoesAKilledRun) {
  const Listing before = Machine();
  std::string recordPath;
  {
    ChangeJournal journal(recordFolder_, TestScope({drive_}));
    RunInstallation(journal);
    DWORD error = 0;
    ASSERT_TRUE(journal.PrepareFileWrite(company_ + "\\never-written.exe", &error));
    recordPath = journal.RecordPath();
  }
  {
    const UniqueHandle file(
        CreateFileA(recordPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), -5, nullptr, FILE_END));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }

  const LogSince log;
  const RecoverySummary summary = RecoverEndedRuns(recordFolder_);
  EXPECT_EQ(1u, summary.rolledBack);
  EXPECT_EQ("", Differences(before, Machine()));
  EXPECT_TRUE(log.Has("An earlier run of this product ended without finishing (record " +
                      recordPath + "); its changes are rolled back."))
      << log.Text();
  EXPECT_TRUE(log.Has(", 0 could not be undone.")) << log.Text();
}

// Every undo may run again: a rollback interrupted by a kill is simply done again by the next
// run, over what the first one already restored.
TEST_F(ChangeJournalTest, RollingBackTwiceChangesNothingMore) {
  const Listing before = Machine();
  std::string recordPath;
  std::string recordBytes;
  {
    ChangeJournal journal(recordFolder_, TestScope({drive_}));
    RunInstallation(journal);
    recordPath = journal.RecordPath();
    recordBytes = ReadWholeFile(recordPath);
    journal.RollBack();
  }
  ASSERT_EQ("", Differences(before, Machine()));
  ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData\\QVX").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dir_.Child("ProgramData\\QVX\\Setup").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(recordFolder_.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(recordPath, recordBytes));

  const LogSince log;
  EXPECT_EQ(1u, RecoverEndedRuns(recordFolder_).rolledBack);
  EXPECT_EQ("", Differences(before, Machine()));
  EXPECT_TRUE(log.Has(", 0 could not be undone.")) << log.Text();
}

TEST_F(ChangeJournalTest, AFileHeldOpenWithoutDeleteSharingIsLeftAsItWas) {
  const Listing before = Machine();
  const std::string held = company_ + "\\quorvin.exe";
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  DWORD error = 0;
  ASSERT_TRUE(journal.CreateFolder(company_, nullptr, &error));
  journal.SetBackupParent(company_);
  {
    const UniqueHandle running(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    const LogSince log;
    EXPECT_FALSE(journal.PrepareFileWrite(held, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error);
    EXPECT_TRUE(log.Has("MoveFileExA failed for " + held + " with error 32.")) << log.Text();
    EXPECT_EQ("main client 1.0", ReadWholeFile(held));
  }
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
}

// The extraction replaces a file by deleting it and creating it anew, which the system refuses
// for a read-only file: that one stays where it is, with a copy aside, and whatever its writer
// manages all the same is undone; any other file is moved aside.
TEST_F(ChangeJournalTest, AReplacedReadOnlyFileStaysWhereItIs) {
  const Listing before = Machine();
  const std::string readOnly = company_ + "\\shared.dll";
  const std::string writable = company_ + "\\quorvin.exe";
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  journal.SetBackupParent(company_);
  DWORD error = 0;
  ASSERT_TRUE(journal.PrepareFileReplace(readOnly, &error)) << error;
  ASSERT_TRUE(journal.PrepareFileReplace(writable, &error)) << error;
  EXPECT_EQ("shared 1.0", ReadWholeFile(readOnly));
  EXPECT_FALSE(DeleteFileA(readOnly.c_str())) << "the writer's delete is refused as before";
  EXPECT_FALSE(FileOrFolderExists(writable)) << "moved aside";

  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(WriteFileBytes(readOnly, "shared 2.0"));
  ASSERT_TRUE(WriteFileBytes(writable, "main client 2.0"));
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
}

// A change that a kill could leave without a record is not made: a journal that cannot write its
// record refuses every change.
TEST_F(ChangeJournalTest, WithoutARecordFileNothingIsChanged) {
  ASSERT_TRUE(WriteFileBytes(dir_.Child("ProgramData\\file"), "in the way"));
  const Listing before = Machine();
  const LogSince log;
  ChangeJournal journal(dir_.Child("ProgramData\\file\\QVX\\Setup\\Norvane"), TestScope({drive_}));
  EXPECT_EQ("", journal.RecordPath());
  EXPECT_FALSE(journal.CanRecord());
  EXPECT_TRUE(log.Has("; this run changes nothing.")) << log.Text();
  DWORD error = 0;
  EXPECT_FALSE(journal.CreateFolder(company_ + "\\New", nullptr, &error));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_FAULT), error);
  EXPECT_FALSE(journal.PrepareFileWrite(company_ + "\\new.exe", &error));
  EXPECT_FALSE(journal.PrepareValueWrite(HKEY_CURRENT_USER, kUninstallKey, "DisplayName", &error));
  journal.RollBack();
  EXPECT_EQ("", Differences(before, Machine()));
}

// A folder the run made may hold a link by the time it is removed; what the link points to
// lies outside everything the run may touch.
TEST_F(ChangeJournalTest, ALinkInACreatedFolderIsNotFollowed) {
  const std::string outside = dir_.Child("outside");
  ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(outside + "\\keep.bin", "keep"));
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  DWORD error = 0;
  ASSERT_TRUE(journal.CreateFolder(company_ + "\\Norvane\\Norvane2.0", nullptr, &error));
  const ScopedFolderLink link(company_ + "\\Norvane\\Norvane2.0\\link", outside);
  ASSERT_TRUE(link.made());

  journal.RollBack();
  EXPECT_EQ("keep", ReadWholeFile(outside + "\\keep.bin"));
}

TEST_F(ChangeJournalTest, CallsThatCannotBeKeptAreRefused) {
  ChangeJournal journal(recordFolder_, TestScope({drive_}));
  DWORD error = 0;
  EXPECT_FALSE(journal.PrepareFileWrite(company_ + "\\quorvin.exe", &error))
      << "no place for the backup yet";
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_STATE), error);
  EXPECT_EQ("main client 1.0", ReadWholeFile(company_ + "\\quorvin.exe"));

  EXPECT_FALSE(journal.PrepareValueWrite(HKEY_CLASSES_ROOT, "QVX", "Value", &error));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error);

  EXPECT_FALSE(journal.CreateFolder(company_ + "\\quorvin.exe\\sub", nullptr, &error))
      << "a file in the way";
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), error);

  journal.Commit();
  EXPECT_FALSE(journal.CreateFolder(company_ + "\\New", nullptr, &error));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_STATE), error);
  EXPECT_FALSE(FileOrFolderExists(company_ + "\\New"));
}

}  // namespace
}  // namespace rollback
