// The wizard's welcome page (template IDD_INTRO_PAGE): names the product it installs.
#pragma once

#include "ui/NewWizPage.h"

class CInstaller;

class CIntroPage : public CNewWizPage {
 public:
  // |engine| gives the product's name; it must outlive the page.
  explicit CIntroPage(CInstaller& engine, HWND parent = nullptr);

 protected:
  // Puts projectName into the title ("Welcome to the <projectName> Setup Wizard.") and the line
  // under it ("This will install <projectName> on your computer.").
  bool OnInitDialog() override;

 private:
  CInstaller& engine_;
};
