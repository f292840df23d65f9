// Undoing the recorded changes of a run: in reverse order, each undo harmless when its change
// never happened, since a killed run may have recorded a change and not yet made it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "rollback/ChangeRecord.h"

namespace rollback {

struct UndoSummary {
  std::size_t changes = 0;  // changes to undo: records other than the bookkeeping ones
  std::size_t failed = 0;   // of those, the ones that could not be undone
};

// Undoes the changes of |records| newest first:
//   kCreatedFolder, kCreatedBackupFolder: the folder and everything below it go (a link inside
//     is removed as a link, never entered);
//   kCreatedFile: the file goes;
//   kMovedAside, kCopiedAside: when the backup is there, whatever is at the path goes and the
//     backup moves back (a missing backup means the move never happened: the path is left);
//   kRegistryValue: the value is written back as it was, or deleted when there was none;
//   kCreatedKey: the key goes with its values, unless it has subkeys.
// A kCreatedFolder cancelled by a later kFolderExisted of the same path is passed over, and so
// are kMadeRecordFolder, kCommitted and the scope frames, which are not changes. An undo that fails is logged
// ("<call> failed for <subject> with error <n>.") and the next one follows; a large tree gives
// one line, not one per entry.
UndoSummary UndoChanges(const std::vector<ChangeRecord>& records);

// UndoChanges between two log lines: "Rolling back <what>." before, and "Rollback of <what>
// finished: <n> changes undone, <m> could not be undone." after.
UndoSummary RollBackAndReport(const std::vector<ChangeRecord>& records, const std::string& what);

// Removes the backup folders that |records| name (kCreatedBackupFolder), for a run that
// succeeded; a failure is logged. Answers how many could not be removed.
std::size_t RemoveBackups(const std::vector<ChangeRecord>& records);

// Whether |records| hold kCommitted: the run succeeded.
bool IsCommitted(const std::vector<ChangeRecord>& records);

}  // namespace rollback
