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
  // (RecoverEndedRuns; the caller holds the product's mutex, so none of them is still going on;
  // the wizard leaves that to each attempt, which takes the mutex itself), then hands this run's
  // bookkeeping to |engine|, whose records name its company and product, its desktop and its
  // Uninstall entry as the run's scope (the company folder and the Start-menu company folder join
  // it when the engine marks them shared). |recordFolder| "" (ProductRecordFolder found no
  // folder): nothing to recover, and CanRecord is false.
  RunChangesScope(CInstaller& engine, const std::string& recordFolder, bool recoverNow = true);
  // False when the rollback of an ended run could not be finished, or an ended run's record could
  // not be retired before its rollback: the run must then end without changing anything, and a
  // later run tries again.
  bool EarlierRunsFinished() const { return earlierRunsFinished_; }

  // False (logged) when this run cannot keep a record of its changes (RunChanges::CanRecord): it
  // must then end without changing anything.
  bool CanRecord() const { return changes_.CanRecord(); }

  // Rolls back what is still open; the engine records nothing any more.
  ~RunChangesScope();

  RunChangesScope(const RunChangesScope&) = delete;
  RunChangesScope& operator=(const RunChangesScope&) = delete;

 private:
  CInstaller& engine_;
  rollback::RunChanges changes_;
  bool earlierRunsFinished_ = true;
};
