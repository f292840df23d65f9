// The ready-to-install page (template IDD_INSTALL_PAGE), the wizard's last: its Finish runs the
// installation behind the progress dialog and reports the outcome.
#pragma once

#include "ui/InstallWorker.h"
#include "ui/NewWizPage.h"
#include "ui/UPDialog.h"

class CInstaller;

class CInstallPage : public CNewWizPage {
 public:
  // |engine| gives the product's name and reports the outcome; |choices| are what the earlier
  // pages chose (the destination page's folder); |worker| runs the installation attempt on the
  // progress dialog's thread (InstallWorker in the program; tests stand in for it). All must
  // outlive the page.
  CInstallPage(CInstaller& engine, const InstallChoices& choices,
               CUPDialog::Worker worker = InstallWorker, HWND parent = nullptr);

  // Starts a fresh installation attempt (InstallRun) behind the progress dialog "Please Wait.."
  // (cancelling allowed), then reports the outcome. Completed: the success sentence, the run is
  // over (true: the wizard closes). Stopped by the user: the failure sentence, the run is over
  // (true). Failed, or the attempt could not run: the failure sentence, and the wizard stays on
  // this page with the package loaded (false), so that another Finish can try again.
  bool OnFinishWizard() override;

  // What the last Finish came to; kNotRun before.
  InstallOutcome GetOutcome() const { return outcome_; }

 protected:
  // Puts projectName into "Setup is now ready to begin installing <projectName> on your
  // computer.".
  bool OnInitDialog() override;

 private:
  CInstaller& engine_;
  const InstallChoices& choices_;
  CUPDialog::Worker worker_;
  InstallOutcome outcome_ = InstallOutcome::kNotRun;
};
