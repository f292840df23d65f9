#include "engine/InstallRun.h"

#include <string>
#include <utility>

#include "engine/InstallDecision.h"
#include "engine/Installer.h"
#include "rollback/RecordFolder.h"
#include "rollback/Recovery.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"

namespace {

// True once the user has asked the progress dialog to stop; the request is logged once, by the
// check that honours it.
bool StopRequested(const ProgressContext* progress, const char* nextStep) {
  if (progress == nullptr || progress->terminated == 0) return false;
  theLog.Write((std::string("The installation was stopped at the user's request before ") +
                nextStep + ".")
                   .c_str());
  return true;
}

}  // namespace

InstallRun::InstallRun(CInstaller& engine, InstallChoices choices)
    : engine_(engine), choices_(std::move(choices)) {}

InstallOutcome InstallRun::Prepare() {
  prepared_ = true;
  InstallOutcome refused = InstallOutcome::kNotRun;
  if (choices_.takeLock && !TakeLock(&refused)) return outcome_ = refused;
  engine_.BeginAttempt();
  const std::string installed = InstalledVersion(engine_.appName);
  theLog.Write(("Installed before this run: " +
                (installed.empty() ? std::string("none") : installed) + ".")
                   .c_str());
  theLog.Write(DecisionSentence(installed, engine_.version).c_str());
  std::string companyFolder = choices_.companyFolder;
  if (!engine_.PrepareInstall(companyFolder)) return Finish(InstallOutcome::kFailed);
  return InstallOutcome::kNotRun;
}

InstallOutcome InstallRun::Execute(ProgressContext* progress) {
  if (!prepared_ && Prepare() == InstallOutcome::kFailed) return outcome_;
  return Finish(Run(progress));
}

InstallOutcome InstallRun::Finish(InstallOutcome outcome) {
  outcome_ = outcome;
  // The machine is as the attempt found it before anybody hears of the outcome. After the commit
  // (a stop before the UltraVNC setup) there is nothing left to undo.
  if (outcome_ != InstallOutcome::kCompleted && engine_.runChanges) {
    engine_.runChanges->RollBack();
  }
  return outcome_;
}

bool InstallRun::TakeLock(InstallOutcome* outcome) {
  switch (lock_.TryAcquire(ProductMutexName(engine_.companyName, engine_.appName))) {
    case ProductLockState::kHeld:
      break;
    case ProductLockState::kUnavailable:
      // Logged by TryAcquire. A mutex that cannot be made at all says nothing about other runs.
      theLog.Write("The installation goes on without the check for another run of the product.");
      break;
    case ProductLockState::kBusy:
      engine_.ReportMessage("Another installation of " + engine_.projectName +
                            " is in progress.");
      *outcome = InstallOutcome::kBusy;
      return false;
  }
  // A killed run of the product is finished before this attempt changes anything.
  const std::string records =
      rollback::ProductRecordFolder(engine_.companyName, engine_.appName);
  if (rollback::RecoverEndedRuns(records).unfinished != 0) {
    engine_.ReportMessage("An earlier installation of " + engine_.projectName +
                          " could not be rolled back completely. Close the programs that use "
                          "its files and run Setup again.");
    lock_.Release();
    *outcome = InstallOutcome::kFailed;
    return false;
  }
  return true;
}

InstallOutcome InstallRun::Run(ProgressContext* progress) {
  if (!engine_.Files(progress)) {
    return progress != nullptr && progress->terminated != 0 ? InstallOutcome::kCancelled
                                                            : InstallOutcome::kFailed;
  }
  // From here on the steps report their own problems; only ExePathInfo changes the outcome.
  if (StopRequested(progress, "CreateAppShortCuts()")) return InstallOutcome::kCancelled;
  engine_.SetStartMenuShortcut(1);
  engine_.CreateAppShortCuts();
  if (choices_.registerProduct) {
    if (StopRequested(progress, "RegisterUninstall()")) return InstallOutcome::kCancelled;
    engine_.RegisterUninstall();
    if (StopRequested(progress, "CreateExePathInfo()")) return InstallOutcome::kCancelled;
    // A record that goes on naming an older version folder while the Uninstall entry names
    // this one is a failed installation, not a successful one.
    if (!engine_.CreateExePathInfo()) return InstallOutcome::kFailed;
  }
  // The installation is complete: the UltraVNC setup that may follow is another product's and
  // is not undone, so a kill while it runs must not take the installation back.
  if (engine_.runChanges) engine_.runChanges->Commit();
  if (choices_.remoteSupport) {
    if (StopRequested(progress, "InstallUltraVNC()")) return InstallOutcome::kCancelled;
    engine_.InstallUltraVNC();
  }
  return InstallOutcome::kCompleted;
}

void InstallRun::Report() {
  switch (outcome_) {
    case InstallOutcome::kCompleted:
      engine_.ReportSuccess();
      break;
    case InstallOutcome::kFailed:
      engine_.ReportFailedAttempt();
      break;
    default:
      break;
  }
}

void CInstaller::BeginAttempt() {
  if (!attemptStartTaken_) {
    attemptStartTaken_ = true;
    fileListStart_ = payloadCursor;
    configuredExePaths_ = exePaths;
  }
  payloadCursor = fileListStart_;
  exePaths = configuredExePaths_;
  placedBytes = 0;
  versionFolder.clear();
  uninstallCommand.clear();
  uninstallIcon.clear();
  groupRightsFolders.clear();
  madeFolders = KnownFolders();
  leftAtOlderState.clear();
}
