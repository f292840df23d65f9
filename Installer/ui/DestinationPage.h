// The destination page (template IDD_DESTINATION_PAGE): the company folder the product goes into
// (by default below the program-files folder), changed only through Browse, and the option of a
// desktop shortcut (offered for the main product only). Its Finish prepares the folder.
#pragma once

#include <string>

#include "ui/NewWizPage.h"

class CInstaller;

class CDestinationPage : public CNewWizPage {
 public:
  // |engine| gives the company and product names and prepares the folder; it must outlive the
  // page.
  explicit CDestinationPage(CInstaller& engine, HWND parent = nullptr);

  // The program-files folder followed by companyName (one backslash between them); "" when the
  // system cannot name the program-files folder.
  std::string GetDefaultFolder() const;
  // Asks the user for a folder; answers it followed by companyName, or "" when the user
  // cancelled or chose something that is no file-system folder (then "Cannot install to this
  // path." was reported).
  std::string BrowseFolder();

  // Prepares the folder shown (CInstaller::PrepareInstall); on success the desktop shortcut
  // follows the check box (also when the box is hidden: it stays checked) and the answer is
  // true. On failure the failure is reported, the payload is kept for another attempt, and the
  // answer is false: the wizard stays open.
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
};
