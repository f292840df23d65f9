#include "ui/InstallPage.h"

#include <cstdint>

#include "engine/Installer.h"
#include "res/resource.h"
#include "support/Log.h"

CInstallPage::CInstallPage(CInstaller& engine, CUPDialog::Worker worker, HWND parent)
    : CNewWizPage(IDD_INSTALL_PAGE, parent), engine_(engine), worker_(worker) {}

bool CInstallPage::OnInitDialog() {
  const bool result = CNewWizPage::OnInitDialog();
  SetDlgItemText(IDC_PAGE_TEXT, "Setup is now ready to begin installing " +
                                    engine_.GetProjectName() + " on your computer.");
  ApplyTitleFont();
  return result;
}

bool CInstallPage::OnFinishWizard() {
  int endCode = -1;
  {
    // The extraction step keeps the percentage up to date while the dialog runs.
    int32_t percentage = 0;
    CUPDialog progress(this, worker_, &percentage, "Please Wait..", true);
    endCode = progress.Show();
  }  // the dialog is released, and its worker has returned, before the payload goes below
  outcome_ = OutcomeOfProgressDialog(endCode);
  switch (outcome_) {
    case InstallOutcome::kCompleted:
      engine_.ReportSuccess();
      break;
    case InstallOutcome::kCancelled:
      // The run is over and did not install the product: the failure report takes back what
      // it wrote.
      theLog.Write("The installation was cancelled in the progress dialog.");
      engine_.ReportFailure();
      break;
    default:
      engine_.ReportFailure();
      break;
  }
  return true;
}
