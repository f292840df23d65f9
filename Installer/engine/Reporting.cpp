// Messages and the outcome of the run.
#include "engine/Installer.h"
#include "framework/WinApp.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"

void CInstaller::ReportMessage(const std::string& text) {
  if (silent) {
    theLog.Write(text.c_str());
    return;
  }
  // On the wizard's thread the box belongs to the wizard; a worker thread has no main window.
  MessageBoxA(AfxGetMainWnd(), text.c_str(), projectName.c_str(), MB_OK);
}

void CInstaller::ReportFailure() {
  ReportFailedAttempt();
  ReleasePayload();
}

void CInstaller::ReportFailedAttempt() {
  // The machine is as the run found it before the user hears of the failure.
  if (runChanges) runChanges->RollBack();
  ReportMessage("Installation of " + projectName + " has failed.");
}

void CInstaller::ReportSuccess() {
  // Usually committed already, before the steps that are not undone.
  if (runChanges) runChanges->Commit();
  ReportMessage("Installation of " + projectName + " has completed successfully.");
  ReleasePayload();
}

bool CInstaller::ReportStepNotBuilt(const char* stepName) {
  theLog.Write((std::string("Step ") + stepName + " is not part of this build.").c_str());
  return false;
}
