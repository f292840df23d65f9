// The ready-to-install page (template IDD_INSTALL_PAGE), the wizard's last: its Finish runs the
// installation behind the progress dialog and reports the outcome.
#pragma once

#include "ui/InstallWorker.h"
#include "ui/NewWizPage.h"
#include "ui/UPDialog.h"

class CInstaller;

class CInstallPage : public CNewWizPage {
 public:
  // |engine| gives the product's name and reports the outcome; |worker| runs the installation on
  // the progress dialog's thread (InstallWorker in the program). Both must outlive the page.
  explicit CInstallPage(CInstaller& engine, CUPDialog::Worker worker = InstallWorker,
                        HWND parent = nullptr);

  // Shows the progress dialog "Please Wait.." (cancelling allowed) while the worker runs, then
  // reports the outcome: success only when the worker completed; failure when it failed, could
  // not run, or the user stopped it. Either report ends the run and releases the payload. Always
  // true, so the wizard closes.
  bool OnFinishWizard() override;

  // What the last Finish came to; kNotRun before.
  InstallOutcome GetOutcome() const { return outcome_; }

 protected:
  // Puts projectName into "Setup is now ready to begin installing <projectName> on your
  // computer.".
  bool OnInitDialog() override;

 private:
  CInstaller& engine_;
  CUPDialog::Worker worker_;
  InstallOutcome outcome_ = InstallOutcome::kNotRun;
};
