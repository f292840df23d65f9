// The installer's setup wizard: welcome, licence, information, host settings, destination and
// ready-to-install pages over the frame template IDD_INSTALLER_WIZARD. Which of the licence,
// information and host pages appear depends on the configuration already loaded into the engine.
// The pages write the user's choices into the engine; Finish prepares the folder and installs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/Installer.h"
#include "ui/AgreementPage.h"
#include "ui/DestinationPage.h"
#include "ui/HostPage.h"
#include "ui/InfoPage.h"
#include "ui/InstallPage.h"
#include "ui/InstallWorker.h"
#include "ui/IntroPage.h"
#include "ui/NewWizDialog.h"

// The template ids of the pages a wizard shows, in its order: welcome; the licence when
// |license| is not empty; the information when |information| is not empty; the host settings
// when there is at least one setting; destination; ready to install.
std::vector<UINT> InstallerPageSequence(const std::string& license, const std::string& information,
                                        size_t settingCount);

// What a wizard run came to, from the wizard's modal result and its install page's outcome:
// Finish gives the install page's outcome (kFailed if it never ran), Cancel kCancelled, and a
// wizard that could not be shown (-1) kFailed.
InstallOutcome WizardOutcome(INT_PTR modalResult, InstallOutcome installPageOutcome);

class CInstallerDlg : public CNewWizDialog {
 public:
  // |parent| is null in the installer. |engine| holds the configuration and receives the
  // choices; |worker| runs the installation after Finish. Both must outlive the dialog.
  explicit CInstallerDlg(HWND parent = nullptr, CInstaller& engine = theInstaller,
                         CUPDialog::Worker worker = InstallWorker);

  // What Finish came to; kNotRun until the install page has run the installation.
  InstallOutcome GetInstallOutcome() const { return installPage_.GetOutcome(); }
  // "<projectName> Setup", set when the window is created.
  const std::string& GetCaption() const { return caption_; }

 protected:
  // Captions the frame, adds the pages the configuration calls for (the Start-menu shortcuts are
  // always made in a wizard run), then shows the first page. Answers false: the wizard sets the
  // focus.
  bool OnInitDialog() override;

 private:
  CNewWizPage* PageFor(UINT templateId);

  CInstaller& engine_;
  // What the pages chose for the installation attempt; declared before the pages that use it.
  InstallChoices choices_;
  CIntroPage introPage_;
  CAgreementPage agreementPage_;
  CInfoPage infoPage_;
  CDestinationPage destinationPage_;
  CInstallPage installPage_;
  CHostPage hostPage_;
  std::string caption_;
  std::string productName_;
};
