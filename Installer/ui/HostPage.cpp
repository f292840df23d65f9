#include "ui/HostPage.h"

#include <initializer_list>

#include "res/resource.h"

namespace {

void Hide(HWND page, std::initializer_list<int> ids) {
  for (int id : ids) ShowWindow(GetDlgItem(page, id), SW_HIDE);
}

}  // namespace

int HostPageEditFor(const std::string& valueName) {
  if (valueName == "HostList") return IDC_HOST_LIST;
  if (valueName == "PortList") return IDC_PORT_LIST;
  if (valueName == "AutoUpdateHostName") return IDC_UPDATE_HOST_LIST;
  if (valueName == "WebHostList") return IDC_WEB_HOST_LIST;
  return 0;
}

HostPageParts HostPagePartsFor(const std::string& appName) {
  const bool main = lstrcmpiA(appName.c_str(), "Norvane") == 0;
  // The two Tallyset products keep their update hosts elsewhere and use the VistA option.
  const bool tallyset = appName == "Tallyset" || appName == "TallysetAdmin";
  return {true, !tallyset, tallyset, main, false};
}

CHostPage::CHostPage(CInstaller& engine, HWND parent)
    : CNewWizPage(IDD_HOST_PAGE, parent), engine_(engine) {}

bool CHostPage::OnInitDialog() {
  // The copy lives as long as the page's window, so what the user typed survives Back and Next.
  settings_ = engine_.regValues;
  for (const RegValue& setting : settings_) {
    const int edit = HostPageEditFor(setting.valueName);
    if (edit != 0) SetDlgItemText(edit, setting.value);
  }
  const bool result = CNewWizPage::OnInitDialog();
  HideUnusedParts();
  CheckDlgButton(GetSafeHwnd(), IDC_VISTA_ENABLED,
                 engine_.vistaEnabled ? BST_CHECKED : BST_UNCHECKED);
  return result;
}

void CHostPage::HideUnusedParts() {
  const HostPageParts parts = HostPagePartsFor(engine_.GetAppName());
  const HWND page = GetSafeHwnd();
  if (!parts.hosts) Hide(page, {IDC_HOST_LIST_LABEL, IDC_HOST_LIST});
  if (!parts.updateHosts) Hide(page, {IDC_UPDATE_HOST_LIST_LABEL, IDC_UPDATE_HOST_LIST});
  if (!parts.vista) Hide(page, {IDC_VISTA_ENABLED});
  if (!parts.webHosts) Hide(page, {IDC_WEB_HOST_LIST_LABEL, IDC_WEB_HOST_LIST});
  if (!parts.ports) Hide(page, {IDC_PORT_LIST_LABEL, IDC_PORT_LIST});
}

int CHostPage::OnNextPressed() {
  for (RegValue& setting : settings_) {
    const int edit = HostPageEditFor(setting.valueName);
    if (edit != 0) setting.value = GetDlgItemText(edit);
  }
  if (!settings_.empty()) {
    engine_.regValues = settings_;
    // What the user confirmed here wins over the lists an earlier installation stored.
    engine_.hostSettingsChanged = 1;
  }
  engine_.vistaEnabled =
      IsDlgButtonChecked(GetSafeHwnd(), IDC_VISTA_ENABLED) == BST_CHECKED ? 1 : 0;
  return 0;
}
