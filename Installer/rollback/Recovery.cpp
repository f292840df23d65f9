#include "rollback/Recovery.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "rollback/ChangeRecord.h"
#include "rollback/JournalFile.h"
#include "rollback/RollbackLog.h"
#include "rollback/Undo.h"
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

}  // namespace

RecoverySummary RecoverEndedRuns(const std::string& recordFolder) {
  RecoverySummary summary;
  if (recordFolder.empty()) return summary;
  for (const std::string& name : RecordNames(recordFolder)) {
    const std::string path = recordFolder + "\\" + name;
    std::string bytes;
    std::vector<ChangeRecord> records;
    DWORD error = ERROR_SUCCESS;
    const bool read = ReadJournalFile(path, &bytes, &error);
    if (!read && error == ERROR_SHARING_VIOLATION) {
      LogLine("The record " + path +
              " is in use by a run that is still going on; it is left "
              "alone.");
      ++summary.inUse;
      continue;
    }
    if (!read || !DecodeJournal(bytes, &records)) {
      LogLine("The record " + path + " of an earlier run cannot be read; it is left alone.");
      ++summary.unreadable;
      continue;
    }
    if (IsCommitted(records)) {
      LogLine("An earlier run of this product succeeded but left its backups (record " + path +
              "); they are removed.");
      RemoveBackups(records);
      ++summary.cleanedUp;
    } else {
      LogLine("An earlier run of this product ended without finishing (record " + path +
              "); its changes are rolled back.");
      if (RollBackAndReport(records, "the earlier run").failed > 0) {
        KeepRecordLine(path);
        ++summary.unfinished;
        continue;
      }
      ++summary.rolledBack;
    }
    DeleteJournalFile(path, records);
  }
  return summary;
}

}  // namespace rollback
