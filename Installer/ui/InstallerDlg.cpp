#include "ui/InstallerDlg.h"

#include "res/resource.h"

std::vector<UINT> InstallerPageSequence(const std::string& license, const std::string& information,
                                        size_t settingCount) {
  std::vector<UINT> pages = {IDD_INTRO_PAGE};
  if (!license.empty()) pages.push_back(IDD_AGREEMENT_PAGE);
  if (!information.empty()) pages.push_back(IDD_INFO_PAGE);
  if (settingCount > 0) pages.push_back(IDD_HOST_PAGE);
  pages.push_back(IDD_DESTINATION_PAGE);
  pages.push_back(IDD_INSTALL_PAGE);
  return pages;
}

InstallOutcome WizardOutcome(INT_PTR modalResult, InstallOutcome installPageOutcome) {
  switch (modalResult) {
    case IDC_WIZ_FINISH:
      return installPageOutcome == InstallOutcome::kNotRun ? InstallOutcome::kFailed
                                                            : installPageOutcome;
    case IDCANCEL:
      return InstallOutcome::kCancelled;
    default:
      return InstallOutcome::kFailed;
  }
}

CInstallerDlg::CInstallerDlg(HWND parent, CInstaller& engine, CUPDialog::Worker worker)
    : CNewWizDialog(IDD_INSTALLER_WIZARD, parent),
      engine_(engine),
      introPage_(engine),
      agreementPage_(engine),
      infoPage_(engine),
      destinationPage_(engine, choices_),
      installPage_(engine, choices_, worker),
      hostPage_(engine) {}

CNewWizPage* CInstallerDlg::PageFor(UINT templateId) {
  switch (templateId) {
    case IDD_INTRO_PAGE:
      return &introPage_;
    case IDD_AGREEMENT_PAGE:
      return &agreementPage_;
    case IDD_INFO_PAGE:
      return &infoPage_;
    case IDD_HOST_PAGE:
      return &hostPage_;
    case IDD_DESTINATION_PAGE:
      return &destinationPage_;
    default:
      return &installPage_;
  }
}

bool CInstallerDlg::OnInitDialog() {
  productName_ = engine_.GetProjectName();
  caption_ = productName_ + " Setup";
  SetPlaceholderId(IDC_WIZ_PLACEHOLDER);
  SetWindowText(caption_);

  const std::vector<RegValue> settings = engine_.regValues;
  for (UINT templateId :
       InstallerPageSequence(engine_.GetLicense(), engine_.GetInformation(), settings.size())) {
    // A wizard run always makes the Start-menu shortcuts; it is decided while the pages are
    // built, before the last one is added.
    if (templateId == IDD_INSTALL_PAGE) engine_.SetStartMenuShortcut(1);
    AddPage(PageFor(templateId), templateId);
  }
  CNewWizDialog::OnInitDialog();
  // The placeholder only marks where the pages go, and every page covers it whole. It lies above
  // the pages among the frame's children, so left visible its etched edge would paint over the
  // side picture whenever it repaints.
  ShowWindow(GetDlgItem(IDC_WIZ_PLACEHOLDER), SW_HIDE);
  return false;
}
