#include "startup/RunChangesScope.h"

#include "engine/Installer.h"
#include "engine/UninstallValues.h"
#include "rollback/Recovery.h"

namespace {

// What the run's records may name besides the folders the engine marks shared.
rollback::RunScope ScopeOf(const CInstaller& engine) {
  rollback::RunScope scope;
  scope.companyName = engine.GetCompanyName();
  scope.appName = engine.GetAppName();
  const std::string desktop = GetShellFolderPath(engine.desktopFolderId);
  if (!desktop.empty()) scope.linkFolders.push_back(desktop);
  scope.keys.push_back({HKEY_LOCAL_MACHINE, UninstallKeyPath(engine.GetAppName())});
  return scope;
}

}  // namespace

RunChangesScope::RunChangesScope(CInstaller& engine, const std::string& recordFolder,
                                 bool recoverNow)
    : engine_(engine), changes_(recordFolder, ScopeOf(engine)) {
  if (recoverNow) earlierRunsFinished_ = rollback::RecoverEndedRuns(recordFolder).unfinished == 0;
  engine_.runChanges = &changes_;
}

RunChangesScope::~RunChangesScope() {
  changes_.RollBack();
  engine_.runChanges = nullptr;
}
