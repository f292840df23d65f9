#include "ui/AgreementPage.h"

#include "engine/Installer.h"
#include "framework/WinApp.h"
#include "res/resource.h"

CAgreementPage::CAgreementPage(CInstaller& engine, HWND parent)
    : CNewWizPage(IDD_AGREEMENT_PAGE, parent), engine_(engine) {}

bool CAgreementPage::OnInitDialog() {
  licenseText_ = engine_.GetLicense();
  const bool result = CNewWizPage::OnInitDialog();  // the exchange fills the edit
  ApplyTitleFont();
  CheckRadioButton(GetSafeHwnd(), IDC_ACCEPT_AGREEMENT, IDC_REFUSE_AGREEMENT,
                   IDC_REFUSE_AGREEMENT);
  return result;
}

void CAgreementPage::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_PAGE_EDIT, licenseText_);
}

int CAgreementPage::OnNextPressed() {
  if (IsDlgButtonChecked(GetSafeHwnd(), IDC_REFUSE_AGREEMENT) == BST_CHECKED) {
    AfxMessageBox("You must accept the agreement to continue with the installation.", MB_OK);
    return -1;
  }
  return 0;
}
