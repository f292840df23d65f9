#include "rollback/Recovery.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "rollback/ChangeRecord.h"
#include "rollback/JournalFile.h"
#include "rollback/RecordFolder.h"
#include "rollback/RecordScope.h"
#include "rollback/RollbackLog.h"
#include "rollback/Undo.h"
#include "security/RecordTrust.h"
#include "support/PathHelpers.h"
#include "support/UniqueHandle.h"

namespace rollback {
namespace {

bool EndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The record files' names, newest first: a name starts with its run's start time.
std::vector<std::string> RecordNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((folder + "\\*" + kJournalFileExtension).c_str(), &entry));
  if (!search) return names;
  do {
    // The search also matches on short names; only the real name counts.
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        EndsWith(entry.cFileName, kJournalFileExtension)) {
      names.push_back(entry.cFileName);
    }
  } while (FindNextFileA(search.get(), &entry));
  std::sort(names.begin(), names.end(), std::greater<std::string>());
  return names;
}

// The run's id, which names its backup folder: the record's name without the extension.
std::string RunIdOf(const std::string& path) {
  const std::string name = LastPathComponent(path);
  return name.substr(0, name.size() - (sizeof(kJournalFileExtension) - 1));
}

// Where the backups of the run of |path| are, for a warning: the folders its records name,
// or the name such a folder has below the run's company folder.
std::string BackupFoldersText(const std::string& path, const std::vector<ChangeRecord>& records) {
  std::string named;
  for (const ChangeRecord& record : records) {
    if (record.kind != ChangeKind::kCreatedBackupFolder) continue;
    named += (named.empty() ? "" : ", ") + record.path;
  }
  if (!named.empty()) return named;
  std::string company = "its company folder";
  for (const ChangeRecord& record : records) {
    if (record.kind == ChangeKind::kScopeFolder) {
      company = record.path;
      break;
    }
  }
  return "SetupBackup-" + RunIdOf(path) + " below " + company + " (if there is one)";
}

// The records before the damage, without the removal of the backup folders.
std::vector<ChangeRecord> WithoutBackupRemoval(std::vector<ChangeRecord> records) {
  records.erase(std::remove_if(records.begin(), records.end(),
                               [](const ChangeRecord& record) {
                                 return record.kind == ChangeKind::kCreatedBackupFolder;
                               }),
                records.end());
  return records;
}

enum class Outcome { kDone, kStop };

class Recoverer {
 public:
  explicit Recoverer(const std::string& folder) : folder_(folder) {}

  Outcome Recover(const std::string& path) {
    SecurityFacts facts;
    DWORD error = ERROR_SUCCESS;
    const TrustJudgement trust = ReadSecurityFacts(path, &facts, &error)
                                     ? JudgeRecordLocation(facts)
                                     : TrustJudgement{false, "its security cannot be read (error " +
                                                                 std::to_string(error) + ")"};
    if (!trust.trusted) return SetAsideUntrusted(path, facts.owner, trust.reason);

    std::string bytes;
    if (!ReadJournalFile(path, &bytes, &error)) return ReadFailed(path, error);
    const JournalContents contents = ReadJournalBytes(bytes);
    switch (contents.state) {
      case JournalContents::State::kCutHeader:
        return Empty(path);
      case JournalContents::State::kOldFormat:
        return SetAsideUnread(path, "it is of an earlier format that names no scope");
      case JournalContents::State::kWrongHeader:
        return SetAsideUnread(path, "it is no record file");
      default:
        break;
    }
    const std::string outside = FindOutOfScope(contents.records, folder_);
    if (!outside.empty()) return SetAsideUnread(path, outside);
    if (contents.state == JournalContents::State::kDamaged) return Damaged(path, contents.records);
    return Whole(path, bytes, contents.records);
  }

  RecoverySummary summary;

 private:
  Outcome SetAsideUntrusted(const std::string& path, const std::string& owner,
                            const std::string& reason) {
    LogLine("The record " + path + " (owner " + (owner.empty() ? "unknown" : owner) +
            ") is not trusted: " + reason + ". It is not acted on.");
    std::string aside;
    if (SetJournalFileAside(path, "untrusted", &aside)) LogLine("It is moved to " + aside + ".");
    ++summary.untrusted;
    return Outcome::kDone;
  }

  Outcome ReadFailed(const std::string& path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION) {
      LogLine("The record " + path + " is in use by a run that is still going on; it is left "
              "alone.");
      ++summary.inUse;
      return Outcome::kDone;
    }
    if (error == ERROR_FILE_TOO_LARGE) {
      return SetAsideUnread(path, "it is larger than any run writes (" +
                                      std::to_string(kMaxJournalBytes) + " bytes)");
    }
    LogLine("The record " + path + " of an earlier run cannot be read; it is left alone.");
    ++summary.unreadable;
    return Outcome::kDone;
  }

  Outcome SetAsideUnread(const std::string& path, const std::string& reason) {
    LogLine("The record " + path + " of an earlier run is damaged: " + reason +
            ". Nothing of it is undone.");
    return SetAsideDamaged(path, {});
  }

  Outcome SetAsideDamaged(const std::string& path, const std::vector<ChangeRecord>& records) {
    std::string aside;
    if (!SetJournalFileAside(path, "damaged", &aside)) return Unretired(path);
    LogLine("Warning: the record is kept as " + aside + ". The backups of its run stay: " +
            BackupFoldersText(path, records) + ".");
    ++summary.damaged;
    return Outcome::kDone;
  }

  Outcome Unretired(const std::string& path) {
    LogLine("The record " + path + " cannot be retired before its changes are undone; this run " +
            "changes nothing.");
    ++summary.unretired;
    ++summary.unfinished;
    return Outcome::kStop;
  }

  Outcome Empty(const std::string& path) {
    if (!RetireJournalFile(path)) return Unretired(path);
    LogLine("The record " + path + " of an earlier run holds no change; it is removed. " +
            "Backups of its run would be in " + BackupFoldersText(path, {}) + ".");
    return Outcome::kDone;
  }

  Outcome Damaged(const std::string& path, const std::vector<ChangeRecord>& records) {
    LogLine("The record " + path + " of an earlier run is damaged after its first " +
            std::to_string(records.size()) + " frames; the changes before the damage are " +
            "rolled back.");
    const Outcome setAside = SetAsideDamaged(path, records);
    if (setAside == Outcome::kStop) return setAside;
    RollBackAndReport(WithoutBackupRemoval(records), "the earlier run");
    return Outcome::kDone;
  }

  Outcome Whole(const std::string& path, const std::string& bytes,
                const std::vector<ChangeRecord>& records) {
    if (!RetireJournalFile(path)) return Unretired(path);
    if (IsCommitted(records)) {
      LogLine("An earlier run of this product succeeded but left its backups (record " + path +
              "); they are removed.");
      RemoveBackups(records);
      ++summary.cleanedUp;
    } else {
      LogLine("An earlier run of this product ended without finishing (record " + path +
              "); its changes are rolled back.");
      if (RollBackAndReport(records, "the earlier run").failed > 0) {
        KeepForLaterRun(path, bytes);
        ++summary.unfinished;
        return Outcome::kDone;
      }
      ++summary.rolledBack;
    }
    RemoveMadeRecordFolders(records);
    return Outcome::kDone;
  }

  // What could not be undone is tried again by the next run: the record comes back as it was.
  void KeepForLaterRun(const std::string& path, const std::string& bytes) {
    if (WriteJournalFileBack(path, bytes)) {
      KeepRecordLine(path);
      return;
    }
    LogLine("The record " + path + " cannot be written back; the backups of its run stay: " +
            BackupFoldersText(path, {}) + ".");
  }

  std::string folder_;
};

}  // namespace

RecoverySummary RecoverEndedRuns(const std::string& recordFolder) {
  if (recordFolder.empty()) return {};
  bool setAside = false;
  if (!SetAsideUntrustedLevels(recordFolder, &setAside) || setAside) {
    RecoverySummary summary;
    summary.untrusted = 1;
    return summary;
  }
  Recoverer recoverer(recordFolder);
  for (const std::string& name : RecordNames(recordFolder)) {
    if (recoverer.Recover(recordFolder + "\\" + name) == Outcome::kStop) break;
  }
  RemoveEmptyRecordFolders(recordFolder);
  return recoverer.summary;
}

}  // namespace rollback
