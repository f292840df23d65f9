#include "ui/InstallPage.h"

#include <cstdint>

#include "engine/Installer.h"
#include "res/resource.h"
#include "support/Log.h"

CInstallPage::CInstallPage(CInstaller& engine, const InstallChoices& choices,
                           CUPDialog::Worker worker, HWND parent)
    : CNewWizPage(IDD_INSTALL_PAGE, parent), engine_(engine), choices_(choices), worker_(worker) {}

bool CInstallPage::OnInitDialog() {
  const bool result = CNewWizPage::OnInitDialog();
  SetDlgItemText(IDC_PAGE_TEXT, "Setup is now ready to begin installing " +
                                    engine_.GetProjectName() + " on your computer.");
  ApplyTitleFont();
  return result;
}

bool CInstallPage::OnFinishWizard() {
  InstallChoices choices = choices_;
  // The wizard registers the product even when the automatic update started it (-u): the user
  // chose to install it.
  choices.registerProduct = true;
  choices.remoteSupport = IsMainProduct(engine_.GetAppName()) && engine_.installUltraVNC != 0;
  choices.takeLock = true;
  InstallRun attempt(engine_, choices);
  // The lock and the folders are taken on this thread, as Finish is pressed; the rest runs
  // behind the dialog.
  switch (attempt.Prepare()) {
    case InstallOutcome::kBusy:
      // Reported; the wizard stays for a later Finish, and nothing of this run has failed.
      return false;
    case InstallOutcome::kFailed:
      outcome_ = InstallOutcome::kFailed;
      engine_.ReportFailedAttempt();
      return false;
    default:
      break;
  }
  int endCode = -1;
  {
    // The extraction step keeps the percentage up to date while the dialog runs.
    int32_t percentage = 0;
    CUPDialog progress(this, worker_, &percentage, "Please Wait..", true);
    progress.SetAttempt(&attempt);
    endCode = progress.Show();
  }  // the dialog is released, and its worker has returned, before anything is reported
  outcome_ = OutcomeOfProgressDialog(endCode);
  switch (outcome_) {
    case InstallOutcome::kCompleted:
      engine_.ReportSuccess();
      return true;
    case InstallOutcome::kCancelled:
      // The run is over and did not install the product; the attempt took back what it wrote.
      theLog.Write("The installation was cancelled in the progress dialog.");
      engine_.ReportFailure();
      return true;
    default:
      // The attempt took back what it wrote; the user may try again, from the same package.
      engine_.ReportFailedAttempt();
      return false;
  }
}
