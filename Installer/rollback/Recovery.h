// Finishing the runs of a product that ended without finishing: a run that was killed (a power
// cut, the task manager, a deployment tool's time-out) could not undo its changes, so the next
// run of an installer of the same product does it before it changes anything.
#pragma once

#include <cstddef>
#include <string>

namespace rollback {

struct RecoverySummary {
  std::size_t rolledBack = 0;  // records of runs that ended without success, undone
  std::size_t cleanedUp = 0;   // records of runs that succeeded, whose backups were left
  std::size_t unreadable = 0;  // records left alone
  std::size_t inUse = 0;       // records of runs still going on, left alone
  // Records whose rollback could not be finished (a file held open, say): kept with their
  // backups, for a later run to finish; this run must not change anything meanwhile.
  std::size_t unfinished = 0;
};

// Reads every record file in |recordFolder| (ProductRecordFolder), newest first. A readable one
// is logged ("An earlier run of this product ended without finishing ...") and its changes are
// undone, or, when its run had succeeded, only its backups are removed; then the record goes,
// with the folders its run made for it when they are empty. A record that cannot be read is
// logged and left alone, and does not stop the others. A rollback with changes that could not be
// undone keeps its record and backups (counted as unfinished): undoing again is harmless, and
// the older files must not be lost with their backups. A missing folder holds no records.
//
// The caller guarantees that the runs are over: it holds the product's mutex
// (ProductMutexName), which every running installer of the product holds, and calls this before
// it opens its own ChangeJournal (whose record would otherwise keep the shared folders from
// going). A record that a live run still writes cannot be opened for reading in any case; it is
// logged as in use and left alone.
RecoverySummary RecoverEndedRuns(const std::string& recordFolder);

}  // namespace rollback
