// The bookkeeping of one run for its rollback: every change the run makes to the machine is
// recorded before it is made, so that a run that fails or is cancelled can undo all of it
// (RollBack), a run that succeeds keeps it and leaves no trace of the bookkeeping (Commit), and
// the next run of the product can undo a run that was killed (RecoverEndedRuns).
//
// How the installation steps use it, for a run that installs into C:\Apps\QVX:
//   RecoverEndedRuns(recordFolder);          // first, under the product's mutex
//   rollback::ChangeJournal journal(recordFolder);
//   journal.CreateFolder("C:\\Apps\\QVX", &security, &error);   // instead of CreateDirectoryA
//   journal.SetBackupParent("C:\\Apps\\QVX");
//   journal.PrepareFileWrite(file, &error);  // before a file is created or replaced
//   journal.PrepareFileEdit(file, &error);   // before a file is changed in place
//   journal.PrepareFileReplace(file, &error);  // before a delete-and-create of a file
//   journal.PrepareValueWrite(HKEY_LOCAL_MACHINE, key, name, &error);  // before a value is set
//   journal.PrepareValueWrites(HKEY_LOCAL_MACHINE, key, names);  // before values are set
//   journal.Commit();  or  journal.RollBack();
//
// The record is kept in memory and, as a file below |recordFolder|, on disk: each change's
// record is flushed before the change begins. The cost stays small for a fresh installation:
// a folder the run creates is recorded once, and nothing below it (folders or files) needs a
// record, a check or any system call of its own. Paths are compared without regard to case, as
// Windows compares them; the lookups are hash sets, never scans.
//
// One thread at a time: the steps that use it run one after the other.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "rollback/ChangeRecord.h"
#include "rollback/JournalFile.h"
#include "rollback/RecordScope.h"

namespace rollback {

class ChangeJournal {
 public:
  // Starts this run's record as a new file below |recordFolder| (ProductRecordFolder), made with
  // its missing parents (MakeRecordFolder: only administrators may change them), which the record
  // names so that they go with it. The record begins with |scope| (ScopeRecords): the next run
  // undoes nothing of a record that names changes outside it. When the file cannot be made (a
  // folder that cannot be created or secured, a full disk), or later cannot be written, the
  // failure is logged and every change is refused from then on (ERROR_WRITE_FAULT): a change
  // that a kill could leave without a record is not made. "" for |recordFolder| keeps the record
  // in memory only: RollBack works, only a later run cannot undo this one after a kill.
  ChangeJournal(const std::string& recordFolder, const RunScope& scope);

  // Neither commits nor rolls back: a journal dropped unfinished leaves its record for the next
  // run of the product, exactly as a killed run does.
  ~ChangeJournal() = default;

  ChangeJournal(const ChangeJournal&) = delete;
  ChangeJournal& operator=(const ChangeJournal&) = delete;

  // The folder below which the run's backup folder is made, on the first file that has to be
  // moved or copied aside: the company folder, so that a move is a rename on the same volume.
  // Until it is set, a file that would need a backup is refused (ERROR_INVALID_STATE).
  void SetBackupParent(const std::string& folder);

  // Declares |folder| (and so every folder above it) a folder that other products fill too: the
  // company folder and its Start-menu folder. Such a folder, when this run makes it, is recorded
  // on its own and is removed by an undo only when it is empty; what the run puts into it gets
  // records of its own, so that an undo never takes another product's files with it. Call before
  // the folder is made. The folder and what lies below it are part of the run's scope: the record
  // says so before any change in it.
  void MarkSharedFolder(const std::string& folder);

  // False when changes are refused because the record cannot be written (see the constructor).
  bool CanRecord() const { return !recordBroken_; }

  // Makes the folder |path| (a trailing backslash is allowed) and every missing folder above
  // it, each with |security| (null: default security). The topmost folder that is missing is
  // recorded before it is created; the ones below it need no record. A folder that turns out to
  // be there already when it is created (another process made it in between) has its record
  // cancelled. True when the folder is there afterwards; false with the code of the failed call
  // in |error| (when not null) otherwise, also ERROR_ALREADY_EXISTS when a file has the
  // folder's name. Logs nothing: the caller reports a failure as it does today.
  bool CreateFolder(const std::string& path, SECURITY_ATTRIBUTES* security, DWORD* error);

  // Call before the file |path| is created or replaced from scratch. Nothing is done for a path
  // below a folder this run created, or that this run already prepared. Otherwise an existing
  // file is moved into the backup folder (recorded first), and a missing one recorded as new.
  // True when the caller may write the file. False when the file is there and cannot be moved
  // aside (held open without delete sharing, say) or cannot be looked at: |error| (when not
  // null) receives the code, the failed call is logged, and the file is left as it was.
  bool PrepareFileWrite(const std::string& path, DWORD* error);

  // Call before the file |path| is changed in place. As PrepareFileWrite, but an existing file
  // is copied into the backup folder and stays where it is.
  bool PrepareFileEdit(const std::string& path, DWORD* error);

  // Call before the file |path| is replaced the way a writer that deletes the old file and then
  // creates it anew does. As PrepareFileWrite, except that a read-only file is copied aside
  // (as PrepareFileEdit does) and stays where it is: the system refuses to delete it, so the
  // writer meets it as it always has, and whatever it manages to do to it is undone.
  bool PrepareFileReplace(const std::string& path, DWORD* error);

  // Call before the value |valueName| of |root|\|key| is written (HKEY_LOCAL_MACHINE or
  // HKEY_CURRENT_USER, in the process's own registry view). The first time for a value, the
  // value as it is (or that there is none) is recorded, and so is every key on the path that
  // is missing and that the write will create; a value of a key the run creates needs no record
  // of its own, so a new Uninstall entry costs one record per key, not one per value. True when the caller may write; false with
  // |error| when the value cannot be read (logged) or |root| is another root
  // (ERROR_INVALID_PARAMETER).
  bool PrepareValueWrite(HKEY root, const std::string& key, const std::string& valueName,
                         DWORD* error);

  // PrepareValueWrite for each of |valueNames| of |root|\|key|, with one flush for all their
  // records (a flush costs 1 to 3 ms), for a step that writes the values together after the
  // call. Answers the names the caller may write, in their order; a value that cannot be read is
  // logged and left out, and nothing is answered once the journal is finished.
  std::vector<std::string> PrepareValueWrites(HKEY root, const std::string& key,
                                              const std::vector<std::string>& valueNames);

  // The run succeeded: records that (when there are backups to remove), removes the backup
  // folder, then the record file and the folders made for it. Logs one line: "Commit of this run
  // finished: its <n> records removed, <m> backup folders could not be removed."
  void Commit();

  // The run failed or was cancelled: undoes every recorded change in reverse order, logging
  // each undo that fails and going on with the next, then removes the record file and the
  // folders made for it. Logs a line before and a summary line after. When an undo failed, the
  // record file and the backups stay (logged), so that the next run of the product finishes the
  // rollback (RecoverEndedRuns).
  //
  // After Commit or RollBack the journal is finished: the operations above answer false with
  // ERROR_INVALID_STATE, and a second Commit or RollBack does nothing.
  void RollBack();

  // The record file's full path; "" when the record is in memory only.
  const std::string& RecordPath() const { return file_.path(); }

 private:
  enum class Backup { kMove, kCopy, kMoveUnlessReadOnly };

  bool IsFinished(DWORD* error) const;
  void Record(const ChangeRecord& record, JournalFile::Flushing flush = JournalFile::Flushing::kNow);
  void FlushRecords();
  // After a failed write or flush: the file keeps what it has, the record goes on in memory.
  void StopWritingRecord();
  bool MakeFolderLevel(const std::string& level, bool parentCreated, SECURITY_ATTRIBUTES* security,
                       DWORD* error);
  bool IsBelowCreatedFolder(const std::string& folder) const;
  bool IsSharedFolder(const std::string& folder) const;
  bool PrepareFile(const std::string& path, Backup backup, DWORD* error);
  // How a file with |attributes| is set aside when |asked| is the caller's wish.
  static Backup BackupOf(Backup asked, DWORD attributes);
  bool SetAside(const std::string& path, Backup backup, DWORD* error);
  bool MakeBackupFolder(DWORD* error);
  bool NoteKeyPath(HKEY root, const std::string& key, bool* created, DWORD* error);
  void RemoveRecord();

  std::string runId_;
  JournalFile file_;
  std::vector<ChangeRecord> records_;
  bool finished_ = false;
  // The record file could not be made or written: every change is refused.
  bool recordBroken_ = false;
  // While set, records go to the disk with the next flush (PrepareValueWrites).
  bool flushLater_ = false;

  // Folders this run made (true), with everything below them, or found there (false).
  std::unordered_map<std::string, bool> folders_;
  std::unordered_set<std::string> preparedFiles_;
  // Folded paths of the folders that MarkSharedFolder declared; a few at most.
  std::vector<std::string> sharedFolders_;
  // Keys this run creates (true) or found there (false); values already recorded.
  std::unordered_map<std::string, bool> keys_;
  std::unordered_set<std::string> preparedValues_;

  std::string backupParent_;
  std::string backupFolder_;
  std::size_t backupCount_ = 0;
};

}  // namespace rollback
