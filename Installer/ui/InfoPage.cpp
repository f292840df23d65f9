#include "ui/InfoPage.h"

#include "engine/Installer.h"
#include "res/resource.h"

CInfoPage::CInfoPage(CInstaller& engine, HWND parent)
    : CNewWizPage(IDD_INFO_PAGE, parent), engine_(engine) {}

bool CInfoPage::OnInitDialog() {
  informationText_ = engine_.GetInformation();
  const bool result = CNewWizPage::OnInitDialog();  // the exchange fills the edit
  ApplyTitleFont();
  return result;
}

void CInfoPage::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_PAGE_EDIT, informationText_);
}
