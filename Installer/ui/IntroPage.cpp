#include "ui/IntroPage.h"

#include "engine/Installer.h"
#include "res/resource.h"

CIntroPage::CIntroPage(CInstaller& engine, HWND parent)
    : CNewWizPage(IDD_INTRO_PAGE, parent), engine_(engine) {}

bool CIntroPage::OnInitDialog() {
  const bool result = CNewWizPage::OnInitDialog();
  ApplyTitleFont();
  const std::string name = engine_.GetProjectName();
  SetDlgItemText(IDC_WIZ_PAGE_TITLE, "Welcome to the " + name + " Setup Wizard.");
  SetDlgItemText(IDC_PAGE_TEXT, "This will install " + name + " on your computer.");
  return result;
}
