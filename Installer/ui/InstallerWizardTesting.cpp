#include "ui/InstallerWizardTesting.h"

#include "framework/CommonControls.h"
#include "framework/DialogTestTools.h"
#include "res/resource.h"

std::vector<RegValue> ShippedSettings() {
  const std::string key = "SOFTWARE/QVX/QUORVIN/";
  return {{key + "HostList", "HostList", "HOST1 HOST2 HOST3"},
          {key + "PortList", "PortList", "15000 15001 15002 15003"},
          {key + "AutoUpdateHostName", "AutoUpdateHostName", "AUTOUPDATEHOSTS"},
          {key + "WebHostList", "WebHostList", "WEBHOST1"},
          {key + "WebAppName", "WebAppName", ""},
          {key + "UpdateFileURL", "UpdateFileURL", "Norvane/update.txt"}};
}

void SetUpTestEngine(CInstaller& engine) {
  engine.silent = 1;
  engine.projectName = "Brenmoor";
  engine.appName = "Norvane";
  engine.companyName = "QVX";
  engine.regValues = ShippedSettings();
}

TestInstallerWizard::TestInstallerWizard(CInstaller& engine, CUPDialog::Worker worker)
    : dialog(nullptr, engine, worker) {}

bool TestInstallerWizard::Open() {
  // As start-up does before the wizard: Finish shows the progress bar.
  InitCommonControlsForWizard();
  if (!dialog.Create(IDD_INSTALLER_WIZARD, nullptr)) return false;
  ShowWindow(Frame(), SW_SHOW);
  PumpWaitingMessages();
  return true;
}

void TestInstallerWizard::Click(int buttonId) const {
  SendMessageA(GetDlgItem(Frame(), buttonId), BM_CLICK, 0, 0);
}

UINT TestInstallerWizard::ActivePage() const {
  const CNewWizPage* page = dialog.GetActivePage();
  return page != nullptr ? page->GetPageTemplateId() : 0;
}

HWND TestInstallerWizard::PageControl(UINT pageId, int id) const {
  const CNewWizPage* page = dialog.FindPageById(pageId);
  return page != nullptr && page->GetSafeHwnd() != nullptr ? GetDlgItem(page->GetSafeHwnd(), id)
                                                           : nullptr;
}

bool TestInstallerWizard::GoTo(UINT pageId) {
  while (ActivePage() != pageId) {
    const UINT before = ActivePage();
    if (before == IDD_AGREEMENT_PAGE) {
      CheckRadioButton(dialog.FindPageById(before)->GetSafeHwnd(), IDC_ACCEPT_AGREEMENT,
                       IDC_REFUSE_AGREEMENT, IDC_ACCEPT_AGREEMENT);
    }
    Click(IDC_WIZ_NEXT);
    if (ActivePage() == before) return false;
  }
  return true;
}

std::vector<UINT> TestInstallerWizard::WalkToTheEnd() {
  std::vector<UINT> shown = {ActivePage()};
  while (shown.size() < 10) {
    const UINT before = ActivePage();
    if (before == IDD_AGREEMENT_PAGE) {
      CheckRadioButton(dialog.FindPageById(before)->GetSafeHwnd(), IDC_ACCEPT_AGREEMENT,
                       IDC_REFUSE_AGREEMENT, IDC_ACCEPT_AGREEMENT);
    }
    Click(IDC_WIZ_NEXT);
    if (ActivePage() == before) break;
    shown.push_back(ActivePage());
  }
  return shown;
}

std::string TextOf(HWND window) {
  if (window == nullptr) return {};
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}
