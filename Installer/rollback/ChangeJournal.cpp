#include "rollback/ChangeJournal.h"

#include <cstdio>

#include "rollback/RecordFolder.h"
#include "rollback/RollbackLog.h"
#include "rollback/Undo.h"
#include "support/CallFailure.h"
#include "support/PathHelpers.h"
#include "support/RegisterKey.h"
#include "support/RemoveTree.h"
#include "support/UniqueHandle.h"

namespace rollback {
namespace {

// The key of a path in the lookups: Windows compares names without regard to case, in the
// ANSI code page (CharLowerBuffA knows its double-byte characters; a byte-wise lowering could
// make two different names one and so skip a backup).
std::string Folded(const std::string& path) {
  std::string folded = path;
  if (!folded.empty()) CharLowerBuffA(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

std::string RegistryId(HKEY root, const std::string& key) {
  return (root == HKEY_LOCAL_MACHINE ? "M" : "U") + Folded(key);
}

// Unique per run: the time (so that names sort by age) and the process id.
std::string NewRunId() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  char id[40];
  std::snprintf(id, sizeof(id), "%08lX%08lX-%lu", now.dwHighDateTime, now.dwLowDateTime,
                GetCurrentProcessId());
  return id;
}

std::string WithoutTrailingBackslash(const std::string& path) {
  // Most paths do not end in a backslash byte; only one that does needs the code-page walk
  // that tells a separator from a double-byte character's trail byte.
  if (path.empty() || path.back() != '\\') return path;
  return EndsWithBackslash(path) ? path.substr(0, path.size() - 1) : path;
}

// |path| with its last component replaced by |name|.
std::string WithNameOnDisk(const std::string& path, const char* name) {
  const std::vector<std::size_t> separators = SeparatorPositions(path.c_str(), CP_ACP);
  return separators.empty() ? name : path.substr(0, separators.back() + 1) + name;
}

void SetError(DWORD* error, DWORD code) {
  if (error) *error = code;
}

constexpr std::size_t kBackupsPerFolder = 100;

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Copies |path| whole under a temporary name beside |backup|, then renames it to |backup|: a
// backup that exists is always complete, so an undo never puts half a file back.
bool CopyWhole(const std::string& path, const std::string& backup, DWORD* error) {
  const std::string part = backup + ".part";
  if (!CopyFileA(path.c_str(), part.c_str(), FALSE)) {
    const DWORD code = GetLastError();
    LogCallFailure("CopyFileA", path, code);
    RemoveTree(part, nullptr);
    SetError(error, code);
    return false;
  }
  if (!MoveFileExA(part.c_str(), backup.c_str(), 0)) {
    const DWORD code = GetLastError();
    LogCallFailure("MoveFileExA", part, code);
    RemoveTree(part, nullptr);
    SetError(error, code);
    return false;
  }
  return true;
}

// A rename on the same volume; across volumes a whole copy, then the original goes.
bool MoveWhole(const std::string& path, const std::string& backup, DWORD* error) {
  if (MoveFileExA(path.c_str(), backup.c_str(), 0)) return true;
  const DWORD code = GetLastError();
  if (code != ERROR_NOT_SAME_DEVICE) {
    LogCallFailure("MoveFileExA", path, code);
    SetError(error, code);
    return false;
  }
  if (!CopyWhole(path, backup, error)) return false;
  RemovalFailure failure;
  if (RemoveTree(path, &failure)) return true;
  LogCallFailure(failure.call, failure.path, failure.error);
  RemoveTree(backup, nullptr);
  SetError(error, failure.error);
  return false;
}

}  // namespace

ChangeJournal::ChangeJournal(const std::string& recordFolder, const RunScope& scope)
    : runId_(NewRunId()) {
  // The scope comes first: a record cut after it holds no change the scope does not cover.
  RunScope declared = scope;
  for (std::string& folder : declared.folders) folder = WithoutTrailingBackslash(folder);
  records_ = ScopeRecords(declared);
  if (recordFolder.empty()) return;
  std::vector<std::string> made;
  if (MakeRecordFolder(recordFolder, &made) && file_.Create(recordFolder, runId_)) {
    // Made already: their records go to the disk with the first change's.
    for (const std::string& folder : made) records_.push_back(ChangeRecord::MadeRecordFolder(folder));
    std::string frames;
    for (const ChangeRecord& record : records_) frames += EncodeRecord(record);
    if (file_.Append(frames, JournalFile::Flushing::kWithNext)) return;
  }
  file_.Close();
  if (!file_.path().empty()) DeleteFileA(file_.path().c_str());
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    RemoveDirectoryA(folder->c_str());
  }
  recordBroken_ = true;
  LogLine("The record of this run cannot be written in " + recordFolder +
          "; this run changes nothing.");
}

void ChangeJournal::SetBackupParent(const std::string& folder) {
  backupParent_ = WithoutTrailingBackslash(folder);
}

void ChangeJournal::MarkSharedFolder(const std::string& folder) {
  const std::string path = WithoutTrailingBackslash(folder);
  const std::string id = Folded(path);
  if (id.empty()) return;
  for (const std::string& known : sharedFolders_) {
    if (known == id) return;
  }
  sharedFolders_.push_back(id);
  Record(ChangeRecord::ScopeFolder(path), JournalFile::Flushing::kWithNext);
}

bool ChangeJournal::IsSharedFolder(const std::string& folder) const {
  const std::string id = Folded(folder);
  for (const std::string& shared : sharedFolders_) {
    if (shared.compare(0, id.size(), id) != 0) continue;
    if (shared.size() == id.size() || shared[id.size()] == '\\') return true;
  }
  return false;
}

bool ChangeJournal::IsFinished(DWORD* error) const {
  if (finished_) SetError(error, ERROR_INVALID_STATE);
  if (!finished_ && recordBroken_) SetError(error, ERROR_WRITE_FAULT);
  return finished_ || recordBroken_;
}

void ChangeJournal::Record(const ChangeRecord& record, JournalFile::Flushing flush) {
  records_.push_back(record);
  if (flushLater_) flush = JournalFile::Flushing::kWithNext;
  if (!file_.IsOpen() || file_.Append(EncodeRecord(record), flush)) return;
  StopWritingRecord();
}

void ChangeJournal::FlushRecords() {
  if (!file_.IsOpen() || file_.Flush()) return;
  StopWritingRecord();
}

void ChangeJournal::StopWritingRecord() {
  // What is on disk stays readable up to the last whole record; nothing more is added to it,
  // so that a torn record cannot end up in the middle.
  file_.Close();
  recordBroken_ = true;
  LogLine("The record " + file_.path() + " cannot be written any more; this run makes no " +
          "further change.");
}

bool ChangeJournal::CreateFolder(const std::string& path, SECURITY_ATTRIBUTES* security,
                                 DWORD* error) {
  if (IsFinished(error)) return false;
  const std::string folder = WithoutTrailingBackslash(path);
  // The whole path known means every folder above it is known too.
  if (folders_.count(Folded(folder))) return true;
  bool parentCreated = false;
  for (const std::string& level : PathLevels(folder)) {
    const auto known = folders_.find(Folded(level));
    if (known != folders_.end()) {
      parentCreated = known->second;
      continue;
    }
    if (!MakeFolderLevel(level, parentCreated, security, error)) return false;
    parentCreated = folders_[Folded(level)];
  }
  return true;
}

bool ChangeJournal::MakeFolderLevel(const std::string& level, bool parentCreated,
                                    SECURITY_ATTRIBUTES* security, DWORD* error) {
  // Below a folder this run made, the folder's removal takes everything with it: no check and
  // no record. A shared folder is no such folder: what goes below it is recorded.
  const bool shared = !parentCreated && IsSharedFolder(level);
  if (!parentCreated) {
    const DWORD attributes = GetFileAttributesA(level.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetError(error, ERROR_ALREADY_EXISTS);
        return false;
      }
      folders_[Folded(level)] = false;
      return true;
    }
    const DWORD code = GetLastError();
    if (!IsMissing(code)) {
      SetError(error, code);
      return false;
    }
    Record(shared ? ChangeRecord::CreatedSharedFolder(level) : ChangeRecord::CreatedFolder(level));
  }
  if (CreateDirectoryA(level.c_str(), security)) {
    folders_[Folded(level)] = !shared;
    return true;
  }
  const DWORD code = GetLastError();
  // The run did not make it, so its removal must not be undone.
  if (!parentCreated) Record(ChangeRecord::FolderExisted(level));
  if (code != ERROR_ALREADY_EXISTS) {
    SetError(error, code);
    return false;
  }
  folders_[Folded(level)] = parentCreated;
  return true;
}

bool ChangeJournal::IsBelowCreatedFolder(const std::string& folder) const {
  std::string level = folder;
  while (!level.empty()) {
    const auto known = folders_.find(Folded(level));
    if (known != folders_.end()) return known->second;
    const std::string parent = GetPathFolder(level.c_str());
    if (parent == level) return false;
    level = parent;
  }
  return false;
}

bool ChangeJournal::PrepareFileWrite(const std::string& path, DWORD* error) {
  return PrepareFile(path, Backup::kMove, error);
}

bool ChangeJournal::PrepareFileEdit(const std::string& path, DWORD* error) {
  return PrepareFile(path, Backup::kCopy, error);
}

bool ChangeJournal::PrepareFileReplace(const std::string& path, DWORD* error) {
  return PrepareFile(path, Backup::kMoveUnlessReadOnly, error);
}

bool ChangeJournal::PrepareFile(const std::string& path, Backup backup, DWORD* error) {
  if (IsFinished(error)) return false;
  if (IsBelowCreatedFolder(GetPathFolder(path.c_str()))) return true;
  const std::string id = Folded(path);
  if (preparedFiles_.count(id)) return true;

  // The search answers the attributes and the name as the disk spells it, which the restore
  // must give back: Windows keeps the case of a name, and the caller may spell it otherwise.
  WIN32_FIND_DATAA found;
  const FindHandle search(FindFirstFileA(path.c_str(), &found));
  if (!search) {
    const DWORD code = GetLastError();
    if (!IsMissing(code) && code != ERROR_NO_MORE_FILES) {
      LogCallFailure("FindFirstFileA", path, code);
      SetError(error, code);
      return false;
    }
    Record(ChangeRecord::CreatedFile(path));
  } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    // A folder of that name is not the caller's to replace; its own write fails and says so.
    return true;
  } else if (!SetAside(WithNameOnDisk(path, found.cFileName),
                       BackupOf(backup, found.dwFileAttributes), error)) {
    return false;
  }
  preparedFiles_.insert(id);
  return true;
}

ChangeJournal::Backup ChangeJournal::BackupOf(Backup asked, DWORD attributes) {
  if (asked != Backup::kMoveUnlessReadOnly) return asked;
  return (attributes & FILE_ATTRIBUTE_READONLY) ? Backup::kCopy : Backup::kMove;
}

bool ChangeJournal::SetAside(const std::string& path, Backup backup, DWORD* error) {
  if (!MakeBackupFolder(error)) return false;
  // Numbers keep the backups' paths short, whatever the length of the originals' names. A
  // hundred to a folder: a new name costs a search of its folder where names are compared
  // without regard to case by reading the folder (Wine does, for every name it does not find
  // at once), and 10,000 backups in one folder made each move 3 times slower by the end.
  const std::size_t number = backupCount_++;
  const std::string bucket = backupFolder_ + "\\" + std::to_string(number / kBackupsPerFolder);
  if (number % kBackupsPerFolder == 0 && !CreateDirectoryA(bucket.c_str(), nullptr)) {
    const DWORD code = GetLastError();
    LogCallFailure("CreateDirectoryA", bucket, code);
    SetError(error, code);
    --backupCount_;
    return false;
  }
  const std::string backupPath = bucket + "\\" + std::to_string(number);
  if (backup == Backup::kMove) {
    Record(ChangeRecord::MovedAside(path, backupPath));
    return MoveWhole(path, backupPath, error);
  }
  Record(ChangeRecord::CopiedAside(path, backupPath));
  return CopyWhole(path, backupPath, error);
}

bool ChangeJournal::MakeBackupFolder(DWORD* error) {
  if (!backupFolder_.empty()) return true;
  if (backupParent_.empty()) {
    LogLine("A file would be replaced before the folder for its backup is known.");
    SetError(error, ERROR_INVALID_STATE);
    return false;
  }
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string folder = backupParent_ + "\\SetupBackup-" + runId_ +
                               (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    Record(ChangeRecord::CreatedBackupFolder(folder));
    if (CreateDirectoryA(folder.c_str(), nullptr)) {
      backupFolder_ = folder;
      return true;
    }
    const DWORD code = GetLastError();
    Record(ChangeRecord::FolderExisted(folder));
    if (code != ERROR_ALREADY_EXISTS) {
      LogCallFailure("CreateDirectoryA", folder, code);
      SetError(error, code);
      return false;
    }
  }
  LogCallFailure("CreateDirectoryA", backupParent_ + "\\SetupBackup-" + runId_,
                 ERROR_ALREADY_EXISTS);
  SetError(error, ERROR_ALREADY_EXISTS);
  return false;
}

bool ChangeJournal::PrepareValueWrite(HKEY root, const std::string& key,
                                      const std::string& valueName, DWORD* error) {
  if (IsFinished(error)) return false;
  if (root != HKEY_LOCAL_MACHINE && root != HKEY_CURRENT_USER) {
    SetError(error, ERROR_INVALID_PARAMETER);
    return false;
  }
  // Value names never hold a NUL, so it cannot join two pairs into one.
  const std::string id = RegistryId(root, key) + '\0' + Folded(valueName);
  if (preparedValues_.count(id)) return true;
  bool keyCreated = false;
  if (!NoteKeyPath(root, key, &keyCreated, error)) return false;

  // A value of a key this run creates needs no record of its own: the key's removal takes it.
  if (!keyCreated) {
    CRegisterKey opened;
    DWORD type = REG_NONE;
    std::string bytes;
    LONG status = opened.OpenExisting(root, key, KEY_QUERY_VALUE);
    if (status == ERROR_SUCCESS) status = opened.ReadRaw(valueName, type, bytes);
    if (status == ERROR_SUCCESS) {
      Record(ChangeRecord::RegistryValue(root, key, valueName, type, bytes));
    } else if (status == ERROR_FILE_NOT_FOUND) {
      Record(ChangeRecord::MissingRegistryValue(root, key, valueName));
    } else {
      LogCallFailure("RegQueryValueExW", RegistryKeyText(root, key) + " value " + valueName,
                     static_cast<DWORD>(status));
      SetError(error, static_cast<DWORD>(status));
      return false;
    }
  }
  preparedValues_.insert(id);
  return true;
}

std::vector<std::string> ChangeJournal::PrepareValueWrites(
    HKEY root, const std::string& key, const std::vector<std::string>& valueNames) {
  std::vector<std::string> prepared;
  flushLater_ = true;
  for (const std::string& name : valueNames) {
    DWORD error = ERROR_SUCCESS;
    if (PrepareValueWrite(root, key, name, &error)) prepared.push_back(name);
  }
  flushLater_ = false;
  FlushRecords();
  return prepared;
}

bool ChangeJournal::NoteKeyPath(HKEY root, const std::string& key, bool* created, DWORD* error) {
  bool parentCreated = false;
  for (const std::string& level : PathLevels(key)) {
    const std::string id = RegistryId(root, level);
    const auto known = keys_.find(id);
    if (known != keys_.end()) {
      parentCreated = known->second;
      continue;
    }
    if (!parentCreated) {
      CRegisterKey probe;
      const LONG status = probe.OpenExisting(root, level, KEY_READ);
      if (status == ERROR_SUCCESS) {
        keys_[id] = false;
        continue;
      }
      if (status != ERROR_FILE_NOT_FOUND) {
        LogCallFailure("RegOpenKeyExA", RegistryKeyText(root, level), static_cast<DWORD>(status));
        SetError(error, static_cast<DWORD>(status));
        return false;
      }
    }
    // Missing: the write creates it, and every key below it on the path.
    Record(ChangeRecord::CreatedKey(root, level));
    keys_[id] = true;
    parentCreated = true;
  }
  *created = parentCreated;
  return true;
}

void ChangeJournal::Commit() {
  if (finished_) return;
  finished_ = true;
  // With nothing set aside, the removal of the record is the commit. Backups go one by one: a
  // kill in the middle must find a record that says the run succeeded.
  if (!backupFolder_.empty()) Record(ChangeRecord::Committed());
  const std::size_t backupsLeft = RemoveBackups(records_);
  RemoveRecord();
  LogLine("Commit of this run finished: its " + std::to_string(records_.size()) +
          " records removed, " + std::to_string(backupsLeft) +
          " backup folders could not be removed.");
}

void ChangeJournal::RollBack() {
  if (finished_) return;
  finished_ = true;
  if (RollBackAndReport(records_, "this run").failed == 0) {
    RemoveRecord();
    return;
  }
  // What could not be undone keeps its backup and its record: the next run of the product
  // finishes the rollback, instead of the older files being lost with the backup folder.
  file_.Close();
  if (!file_.path().empty()) KeepRecordLine(file_.path());
}

void ChangeJournal::RemoveRecord() {
  const std::string path = file_.path();
  file_.Close();
  if (!path.empty()) DeleteJournalFile(path, records_);
}

}  // namespace rollback
