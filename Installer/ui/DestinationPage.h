// The destination page (template IDD_DESTINATION_PAGE): the company folder the product goes into
// (by default below the program-files folder), changed only through Browse, and the option of a
// desktop shortcut (offered for the main product only). Its Finish hands the folder to the
// installation attempt, which makes it.
#pragma once

#include <string>

#include "engine/InstallRun.h"
#include "ui/NewWizPage.h"

class CInstaller;

class CDestinationPage : public CNewWizPage {
 public:
  // |engine| gives the company and product names and receives the desktop choice; |choices|
  // receives the folder. Both must outlive the page.
  CDestinationPage(CInstaller& engine, InstallChoices& choices, HWND parent = nullptr);

  // The program-files folder followed by companyName (one backslash between them); "" when the
  // system cannot name the program-files folder.
  std::string GetDefaultFolder() const;
  // Asks the user for a folder; answers it followed by companyName, or "" when the user
  // cancelled or chose something that is no file-system folder (then "Cannot install to this
  // path." was reported).
  std::string BrowseFolder();

  // The folder shown becomes the attempt's company folder, and the desktop shortcut follows the
  // check box (also when the box is hidden: it stays checked). Always true.
  bool OnFinishWizard() override;

 protected:
  // The default folder, the texts naming projectName, the desktop box checked and, for products
  // other than the main one, hidden.
  bool OnInitDialog() override;
  // Command IDC_BROWSE: OnBrowse.
  bool OnCommand(WPARAM wParam, LPARAM lParam) override;
  // A chosen folder replaces the one shown; cancelling the choice leaves it.
  void OnBrowse();

 private:
  CInstaller& engine_;
  InstallChoices& choices_;
};
