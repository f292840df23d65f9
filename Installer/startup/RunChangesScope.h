// The run's bookkeeping for its rollback, held by start-up for the rest of the run: a run of the
// product that was killed is finished first, then the engine records every change of this run.
// However start-up ends (an early return, a cancelled wizard, a reported failure), changes that
// were neither committed nor rolled back are rolled back when this object goes, so that a run
// that does not succeed leaves only its log.
#pragma once

#include <string>

#include "rollback/RunChanges.h"

class CInstaller;

class RunChangesScope {
 public:
  // With |recoverNow|, finishes the ended runs whose records lie in |recordFolder|
  // (RecoverEndedRuns; the caller holds the product's mutex, so none of them is still going on);
  // the wizard leaves that to each attempt, which takes the mutex itself. Then hands this run's
  // bookkeeping to |engine|. |recordFolder| "" (ProductRecordFolder found no folder): nothing to
  // recover, and this run's record is kept in memory only.
  RunChangesScope(CInstaller& engine, const std::string& recordFolder, bool recoverNow = true);
  // False when the rollback of an ended run could not be finished: the run must then end
  // without changing anything, and a later run tries again.
  bool EarlierRunsFinished() const { return earlierRunsFinished_; }

  // Rolls back what is still open; the engine records nothing any more.
  ~RunChangesScope();

  RunChangesScope(const RunChangesScope&) = delete;
  RunChangesScope& operator=(const RunChangesScope&) = delete;

 private:
  CInstaller& engine_;
  rollback::RunChanges changes_;
  bool earlierRunsFinished_ = true;
};
