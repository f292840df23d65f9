#include "ui/InstallWorker.h"

#include <windows.h>

#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"
#include "ui/UPDialog.h"

namespace {

// True once the user has asked the progress dialog to stop; the request is logged once, by the
// check that honours it.
bool StopRequested(const ProgressContext* context, const char* nextStep) {
  if (context == nullptr || context->terminated == 0) return false;
  theLog.Write((std::string("The installation was stopped at the user's request before ") +
                nextStep + ".").c_str());
  return true;
}

}  // namespace

InstallOutcome OutcomeOfProgressDialog(int endCode) {
  switch (endCode) {
    case kUPDialogWorkerSucceeded:
      return InstallOutcome::kCompleted;
    case kUPDialogTerminated:
      return InstallOutcome::kCancelled;
    default:
      return InstallOutcome::kFailed;
  }
}

bool IsMainProduct(const std::string& appName) {
  return lstrcmpiA(appName.c_str(), "Norvane") == 0;
}

bool RunInstallSequence(CInstaller& engine, ProgressContext* context) {
  if (!engine.Files(context)) return false;
  if (StopRequested(context, "CreateAppShortCuts()")) return false;
  engine.CreateAppShortCuts();
  // The wizard registers the product even when the automatic update started it (-u): the user
  // chose to install it.
  if (StopRequested(context, "RegisterUninstall()")) return false;
  engine.RegisterUninstall();
  if (StopRequested(context, "CreateExePathInfo()")) return false;
  engine.CreateExePathInfo();
  // The installation is complete: the UltraVNC setup that may follow is another product's and
  // is not undone, so a kill while it runs must not take the installation back.
  if (engine.runChanges) engine.runChanges->Commit();
  if (IsMainProduct(engine.appName) && engine.installUltraVNC) {
    if (StopRequested(context, "InstallUltraVNC()")) return false;
    engine.InstallUltraVNC();
  }
  return true;
}

bool InstallWorker(ProgressContext* context) { return RunInstallSequence(theInstaller, context); }
