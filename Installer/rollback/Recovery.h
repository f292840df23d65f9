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
  std::size_t unreadable = 0;  // records that could not be read (an I/O failure), left alone
  // Records set aside as "<name>.damaged": a damaged frame (the changes before it undone), a
  // file too large to be a record, an old or unknown format, changes outside the run's scope.
  std::size_t damaged = 0;
  // Records and record folders that JudgeRecordLocation does not trust, set aside unread.
  std::size_t untrusted = 0;
  // Records that could not be retired before their changes were undone (counted in unfinished
  // too): nothing of them, nor of any older record, was touched.
  std::size_t unretired = 0;
  std::size_t inUse = 0;       // records of runs still going on, left alone
  // Records whose rollback could not be finished (a file held open, say): kept with their
  // backups, for a later run to finish; this run must not change anything meanwhile.
  std::size_t unfinished = 0;
};

// Reads every record file in |recordFolder| (ProductRecordFolder), newest first.
//
// Nothing is acted on unless it is trusted: a level of the record folder that is not
// (SetAsideUntrustedLevels) is moved aside with everything in it, and a record file that is not
// is renamed "<name>.untrusted"; both are logged and none of their records is read.
//
// A trusted, readable record whose changes lie inside its scope (FindOutOfScope) is retired
// first (RetireJournalFile): it can never be acted on twice. A record that cannot be retired
// stops the recovery before anything changes (unretired, unfinished). Then the record is logged
// ("An earlier run of this product ended without finishing ...") and its changes are undone,
// or, when its run had succeeded, only its backups are removed, and the folders its run made
// for it go when they are empty. A rollback with changes that could not be undone writes the
// record back and keeps the backups (unfinished): undoing again is harmless, and the older
// files must not be lost with their backups.
//
// A damaged record is set aside as "<name>.damaged" first, then the changes before the damage
// are undone as for a torn end, except that the backup folders stay, named in a warning line:
// the lost frames may have moved files into them. A record that is too large
// (kMaxJournalBytes), of an old or unknown format, or that names changes outside its scope is
// set aside the same way with nothing undone. A record cut inside its header holds no change;
// it is removed with a line that names where its run's backups would be. One that cannot be
// read at all (an I/O failure) is logged and left alone. Record folders left empty are removed.
// A missing folder holds no records.
//
// The caller guarantees that the runs are over: it holds the product's mutex
// (ProductMutexName), which every running installer of the product holds, and calls this before
// it opens its own ChangeJournal (whose record would otherwise keep the shared folders from
// going). A record that a live run still writes cannot be opened for reading in any case; it is
// logged as in use and left alone.
RecoverySummary RecoverEndedRuns(const std::string& recordFolder);

}  // namespace rollback
