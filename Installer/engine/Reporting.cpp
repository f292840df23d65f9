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

void CInstaller::ReportOutcome(const std::string& text) {
  // A deployment tool reads the exit code, a user the box, and either may go straight to the
  // log: it must already hold everything the run wrote. Unattended, the sentence is a log line
  // itself, and one wait after it covers it and all before it.
  if (!silent) theLog.WaitUntilAllFlushed();
  ReportMessage(text);
  if (silent) theLog.WaitUntilAllFlushed();
}

void CInstaller::ReportFailure() {
  ReportFailedAttempt();
  ReleasePayload();
}

void CInstaller::ReportFailedAttempt() {
  // The machine is as the run found it before the user hears of the failure.
  if (runChanges) runChanges->RollBack();
  ReportOutcome("Installation of " + projectName + " has failed.");
}

void CInstaller::ReportSuccess() {
  // Usually committed already, before the steps that are not undone.
  if (runChanges) runChanges->Commit();
  ReportOutcome("Installation of " + projectName + " has completed successfully.");
  ReleasePayload();
}

bool CInstaller::ReportStepNotBuilt(const char* stepName) {
  theLog.Write((std::string("Step ") + stepName + " is not part of this build.").c_str());
  return false;
}
