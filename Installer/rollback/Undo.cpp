#include "rollback/Undo.h"

#include <map>

#include "rollback/RollbackLog.h"
#include "support/CallFailure.h"
#include "support/RegisterKey.h"
#include "support/RemoveTree.h"

namespace rollback {
namespace {

bool IsChange(ChangeKind kind) {
  return kind != ChangeKind::kFolderExisted && kind != ChangeKind::kMadeRecordFolder &&
         kind != ChangeKind::kCommitted && !IsScopeKind(kind);
}

bool IsFolderCreation(ChangeKind kind) {
  return kind == ChangeKind::kCreatedFolder || kind == ChangeKind::kCreatedBackupFolder ||
         kind == ChangeKind::kCreatedSharedFolder;
}

// Which records a later kFolderExisted cancels: the latest earlier creation of the same path.
std::vector<bool> CancelledCreations(const std::vector<ChangeRecord>& records) {
  std::vector<bool> cancelled(records.size(), false);
  std::map<std::string, std::vector<std::size_t>> openCreations;
  for (std::size_t index = 0; index < records.size(); ++index) {
    const ChangeRecord& record = records[index];
    if (IsFolderCreation(record.kind)) openCreations[record.path].push_back(index);
    if (record.kind != ChangeKind::kFolderExisted) continue;
    auto creations = openCreations.find(record.path);
    if (creations == openCreations.end() || creations->second.empty()) continue;
    cancelled[creations->second.back()] = true;
    creations->second.pop_back();
  }
  return cancelled;
}

// Removes |path| whatever it is; one log line (and a count) when anything stays.
bool RemoveLogged(const std::string& path) {
  RemovalFailure failure;
  if (RemoveTree(path, &failure)) return true;
  LogCallFailure(failure.call, failure.path, failure.error);
  if (failure.count > 1) {
    LogLine(std::to_string(failure.count - 1) + " more removals failed below " + path + ".");
  }
  return false;
}

// A folder that other products fill too goes only when nothing is left in it: what this run put
// there was undone before (it was recorded later), what is left belongs to someone else.
bool RemoveSharedFolder(const std::string& path) {
  if (RemoveDirectoryA(path.c_str())) return true;
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
  if (code == ERROR_DIR_NOT_EMPTY) {
    LogLine("The folder " + path + " is left: it holds what other installations put there.");
    return true;
  }
  LogCallFailure("RemoveDirectoryA", path, code);
  return false;
}

bool RestoreBackup(const ChangeRecord& record) {
  if (GetFileAttributesA(record.backup.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (!RemoveLogged(record.path)) return false;
  // The backup may lie on another volume than the file (a link of the Start menu beside a
  // product on D:): the move then copies and deletes, and is simply done again when a kill
  // interrupts it, since the backup goes only once the copy is whole.
  if (MoveFileExA(record.backup.c_str(), record.path.c_str(), MOVEFILE_COPY_ALLOWED)) return true;
  LogCallFailure("MoveFileExA", record.backup + " to " + record.path, GetLastError());
  return false;
}

std::string ValueSubject(const ChangeRecord& record) {
  return RegistryKeyText(record.root, record.key) + " value " + record.valueName;
}

bool RestoreValue(const ChangeRecord& record) {
  CRegisterKey key;
  LONG status = ERROR_SUCCESS;
  if (record.valueExisted) {
    status = key.Open(record.root, record.key, KEY_SET_VALUE);
    if (status == ERROR_SUCCESS) {
      status = key.WriteRaw(record.valueName, record.valueType, record.valueBytes);
    }
    if (status == ERROR_SUCCESS) return true;
    LogCallFailure("RegSetValueExW", ValueSubject(record), static_cast<DWORD>(status));
    return false;
  }
  status = key.OpenExisting(record.root, record.key, KEY_SET_VALUE);
  if (status == ERROR_SUCCESS) status = key.DeleteValue(record.valueName);
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  LogCallFailure("RegDeleteValueA", ValueSubject(record), static_cast<DWORD>(status));
  return false;
}

bool RemoveKey(const ChangeRecord& record) {
  const std::string subject = RegistryKeyText(record.root, record.key);
  CRegisterKey key;
  LONG status = key.OpenExisting(record.root, record.key, KEY_READ);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  DWORD subKeys = 0;
  if (status == ERROR_SUCCESS) status = key.CountSubKeys(subKeys);
  key.Close();
  if (status == ERROR_SUCCESS && subKeys > 0) {
    LogLine("The key " + subject + " is left: it has " + std::to_string(subKeys) +
            " subkeys that this run did not make.");
    return false;
  }
  if (status == ERROR_SUCCESS) status = RegDeleteKeyA(record.root, record.key.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  LogCallFailure("RegDeleteKeyA", subject, static_cast<DWORD>(status));
  return false;
}

bool UndoOne(const ChangeRecord& record) {
  switch (record.kind) {
    case ChangeKind::kCreatedFolder:
    case ChangeKind::kCreatedBackupFolder:
    case ChangeKind::kCreatedFile:
      return RemoveLogged(record.path);
    case ChangeKind::kCreatedSharedFolder:
      return RemoveSharedFolder(record.path);
    case ChangeKind::kMovedAside:
    case ChangeKind::kCopiedAside:
      return RestoreBackup(record);
    case ChangeKind::kRegistryValue:
      return RestoreValue(record);
    case ChangeKind::kCreatedKey:
      return RemoveKey(record);
    default:
      return true;
  }
}

}  // namespace

UndoSummary UndoChanges(const std::vector<ChangeRecord>& records) {
  const std::vector<bool> cancelled = CancelledCreations(records);
  UndoSummary summary;
  // A file that could not be put back still needs its backup: the backup folders stay then.
  bool backupsNeeded = false;
  for (std::size_t index = records.size(); index-- > 0;) {
    const ChangeRecord& record = records[index];
    if (cancelled[index] || !IsChange(record.kind)) continue;
    ++summary.changes;
    if (record.kind == ChangeKind::kCreatedBackupFolder && backupsNeeded) {
      LogLine("The backup folder " + record.path + " is kept: files in it could not be put back.");
      ++summary.failed;
      continue;
    }
    if (UndoOne(record)) continue;
    ++summary.failed;
    if (record.kind == ChangeKind::kMovedAside || record.kind == ChangeKind::kCopiedAside) {
      backupsNeeded = true;
    }
  }
  return summary;
}

UndoSummary RollBackAndReport(const std::vector<ChangeRecord>& records, const std::string& what) {
  LogLine("Rolling back " + what + ".");
  const UndoSummary summary = UndoChanges(records);
  LogLine("Rollback of " + what + " finished: " + std::to_string(summary.changes - summary.failed) +
          " changes undone, " + std::to_string(summary.failed) + " could not be undone.");
  return summary;
}

std::size_t RemoveBackups(const std::vector<ChangeRecord>& records) {
  std::size_t failed = 0;
  for (const ChangeRecord& record : records) {
    if (record.kind == ChangeKind::kCreatedBackupFolder && !RemoveLogged(record.path)) ++failed;
  }
  return failed;
}

bool IsCommitted(const std::vector<ChangeRecord>& records) {
  for (const ChangeRecord& record : records) {
    if (record.kind == ChangeKind::kCommitted) return true;
  }
  return false;
}

}  // namespace rollback
