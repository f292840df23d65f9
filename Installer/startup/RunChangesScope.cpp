#include "startup/RunChangesScope.h"

#include "engine/Installer.h"
#include "rollback/Recovery.h"

RunChangesScope::RunChangesScope(CInstaller& engine, const std::string& recordFolder,
                                 bool recoverNow)
    : engine_(engine), changes_(recordFolder) {
  if (recoverNow) earlierRunsFinished_ = rollback::RecoverEndedRuns(recordFolder).unfinished == 0;
  engine_.runChanges = &changes_;
}

RunChangesScope::~RunChangesScope() {
  changes_.RollBack();
  engine_.runChanges = nullptr;
}
