// Messages and the outcome of the run.
#include "engine/Installer.h"
#include "framework/WinApp.h"
#include "support/Log.h"
#include "support/PathHelpers.h"
#include "support/SystemPaths.h"

namespace {

// The box of a run with a user at the screen; an unattended run has nobody to close it. On the
// wizard's thread the box belongs to the wizard; on the progress dialog's worker thread to the
// progress dialog (framework/ThreadMainWindow.h).
void ShowBox(const CInstaller& engine, const std::string& text) {
  if (engine.silent) return;
  MessageBoxA(AfxGetMainWnd(), text.c_str(), engine.projectName.c_str(), MB_OK);
}

// The name a failure sentence gives the product: projectName, or, for a package refused before
// its configuration was read, the installer's own name (its file name without ".exe").
std::string NameInFailureSentence(const CInstaller& engine) {
  if (!engine.projectName.empty()) return engine.projectName;
  std::string name = LastPathComponent(ModuleFileName());
  const size_t extension = name.rfind('.');
  if (extension != std::string::npos && extension > 0) name.erase(extension);
  return name;
}

}  // namespace

void CInstaller::ReportMessage(const std::string& text) {
  // Whatever the user is told, the log keeps: it is what a support engineer reads later.
  theLog.Write(text.c_str());
  ShowBox(*this, text);
}

void CInstaller::ReportOutcome(const std::string& text) {
  // A deployment tool reads the exit code, a user the box, and either may go straight to the
  // log: it must already hold everything the run wrote, the sentence included.
  theLog.Write(text.c_str());
  theLog.WaitUntilAllFlushed();
  ShowBox(*this, text);
}

void CInstaller::ReportFailure() {
  ReportFailedAttempt();
  ReleasePayload();
}

void CInstaller::ReportFailedAttempt() {
  ReportOutcome("Installation of " + NameInFailureSentence(*this) + " has failed.");
}

void CInstaller::ReportSuccess() {
  // The run succeeds with these at their older state; whoever reads the log must learn which.
  if (!leftAtOlderState.empty()) {
    std::string names;
    for (const std::string& name : leftAtOlderState) {
      names += (names.empty() ? "" : ", ") + name;
    }
    theLog.Write(("Warning: left at their older state, since another program held them open: " +
                  names + ". Run Setup again once the programs of " + projectName +
                  " are closed to refresh them.")
                     .c_str());
  }
  ReportOutcome("Installation of " + projectName + " has completed successfully.");
  ReleasePayload();
}

bool CInstaller::ReportStepNotBuilt(const char* stepName) {
  theLog.Write((std::string("Step ") + stepName + " is not part of this build.").c_str());
  return false;
}
