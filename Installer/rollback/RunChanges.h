// The bookkeeping of an installer process's attempts to install, for their rollback: the
// installation steps record each change through it before they make it, start-up keeps it for
// the process, and the outcome commits or rolls back the attempt.
//
// An attempt's journal (ChangeJournal) is begun by the first change the attempt records, so an
// attempt that changes nothing (a wizard cancelled on its first page) leaves no record and no
// log lines. Once committed or rolled back, the next change begins a fresh journal: the wizard
// lets the user press Finish again after a destination that could not be prepared.
//
//   rollback::RunChanges changes(rollback::ProductRecordFolder(company, app));
//   changes.Journal().CreateFolder(companyFolder, &security, &error);
//   changes.SetBackupParent(companyFolder);
//   changes.Journal().PrepareFileWrite(file, &error);  ...
//   changes.Commit();   or   changes.RollBack();
//
// One thread at a time: the steps that use it run one after the other.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "rollback/ChangeJournal.h"

namespace rollback {

class RunChanges {
 public:
  // |recordFolder| is where the attempts' records go (ProductRecordFolder); "" keeps them in
  // memory only (ChangeJournal explains what that costs). |scope| is what the records may name
  // (RecordScope.h); the shared folders marked later join it (ChangeJournal::MarkSharedFolder).
  RunChanges(std::string recordFolder, RunScope scope);

  // An attempt still open is left as a killed run leaves it: its record stays for the next run.
  // Start-up's guard (startup/RunChangesScope.h) rolls it back before this runs.
  ~RunChanges();

  RunChanges(const RunChanges&) = delete;
  RunChanges& operator=(const RunChanges&) = delete;

  // The folder below which an attempt's backups go (the company folder). Kept for the fresh
  // journals of later attempts too, until it is set again.
  void SetBackupParent(const std::string& folder);

  // A folder that other products fill too (ChangeJournal::MarkSharedFolder), for the open
  // attempt's journal and those of later attempts; part of the run's scope from then on. Begins
  // no journal of its own.
  void MarkSharedFolder(const std::string& folder);

  // Whether this run can keep a record of its changes: the record folder is made and secured
  // (MakeRecordFolder) and a file can be written in it; the folders this call made go again.
  // False (logged) when not, or when no record folder is known: the run must then change
  // nothing, since a kill would leave changes that no later run could undo.
  bool CanRecord() const;

  // The open attempt's journal, through which the steps record each change before making it;
  // begun (a new record) when no attempt is open.
  ChangeJournal& Journal();

  // Whether an attempt has recorded something and is neither committed nor rolled back.
  bool IsOpen() const { return journal_ != nullptr; }

  // Commits, or rolls back, the open attempt (ChangeJournal::Commit, RollBack, with their log
  // lines); nothing at all, not even a log line, when no attempt is open. Either may be called
  // any number of times: a second call finds no open attempt.
  void Commit();
  void RollBack();

 private:
  std::string recordFolder_;
  RunScope scope_;
  std::string backupParent_;
  std::vector<std::string> sharedFolders_;
  std::unique_ptr<ChangeJournal> journal_;
};

}  // namespace rollback
