#include "ui/DestinationPage.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "engine/Installer.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "startup/CommandLineOverrides.h"
#include "support/ComPtr.h"
#include "ui/InstallWorker.h"

namespace {

// The folder dialog of the new style needs OLE on the calling thread while it runs. Only a
// successful initialisation is balanced: one that failed belongs to nobody here.
class ScopedOle {
 public:
  ScopedOle() : result_(OleInitialize(nullptr)) {}
  ~ScopedOle() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  ScopedOle(const ScopedOle&) = delete;
  ScopedOle& operator=(const ScopedOle&) = delete;

 private:
  HRESULT result_;
};

// An item list that the shell allocated, freed with the shell's allocator.
class ShellItemList {
 public:
  ShellItemList(IMalloc* allocator, PIDLIST_ABSOLUTE list) : allocator_(allocator), list_(list) {}
  ~ShellItemList() {
    if (list_ != nullptr) allocator_->Free(list_);
  }
  ShellItemList(const ShellItemList&) = delete;
  ShellItemList& operator=(const ShellItemList&) = delete;

  PIDLIST_ABSOLUTE get() const { return list_; }

 private:
  IMalloc* allocator_;
  PIDLIST_ABSOLUTE list_;
};

}  // namespace

CDestinationPage::CDestinationPage(CInstaller& engine, InstallChoices& choices, HWND parent)
    : CNewWizPage(IDD_DESTINATION_PAGE, parent), engine_(engine), choices_(choices) {}

std::string CDestinationPage::GetDefaultFolder() const {
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(GetSafeHwnd(), folder, CSIDL_PROGRAM_FILES, FALSE)) return {};
  return CompanyFolderBelow(folder, engine_.GetCompanyName());
}

std::string CDestinationPage::BrowseFolder() {
  IMalloc* rawAllocator = nullptr;
  if (FAILED(SHGetMalloc(&rawAllocator)) || rawAllocator == nullptr) return {};
  const ComPtr<IMalloc> allocator(rawAllocator);
  const ScopedOle ole;

  char displayName[MAX_PATH] = {};
  BROWSEINFOA browse = {};
  browse.hwndOwner = AfxGetMainWnd();
  browse.pidlRoot = nullptr;  // the desktop
  browse.pszDisplayName = displayName;
  browse.lpszTitle = "Please choose a folder for extraction";
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const ShellItemList chosen(allocator.get(), SHBrowseForFolderA(&browse));
  if (chosen.get() == nullptr) return {};  // the user cancelled

  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(chosen.get(), path) || path[0] == '\0') {
    engine_.ReportMessage("Cannot install to this path.");
    return {};
  }
  // A drive root already ends in its backslash: D:\ gives D:\<companyName>.
  return CompanyFolderBelow(path, engine_.GetCompanyName());
}

bool CDestinationPage::OnInitDialog() {
  const bool result = CNewWizPage::OnInitDialog();
  ApplyTitleFont();
  SetDlgItemText(IDC_PAGE_EDIT, GetDefaultFolder());
  const std::string name = engine_.GetProjectName();
  SetDlgItemText(IDC_PAGE_TEXT, "Where should " + name + " be installed?");
  SetDlgItemText(IDC_FOLDER_TEXT, "Setup will install " + name + " into the following folder.");
  CheckDlgButton(GetSafeHwnd(), IDC_DESKTOP_SHORTCUT, BST_CHECKED);
  // Only the main product offers the choice; the others get the desktop shortcut all the same.
  if (!IsMainProduct(engine_.GetAppName())) {
    ShowWindow(GetDlgItem(IDC_DESKTOP_SHORTCUT), SW_HIDE);
  }
  return result;
}

bool CDestinationPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
    OnBrowse();
    return true;
  }
  return CNewWizPage::OnCommand(wParam, lParam);
}

void CDestinationPage::OnBrowse() {
  const std::string folder = BrowseFolder();
  if (!folder.empty()) SetDlgItemText(IDC_PAGE_EDIT, folder);
}

bool CDestinationPage::OnFinishWizard() {
  choices_.companyFolder = GetDlgItemText(IDC_PAGE_EDIT);
  engine_.desktopShortcut =
      IsDlgButtonChecked(GetSafeHwnd(), IDC_DESKTOP_SHORTCUT) == BST_CHECKED ? 1 : 0;
  return true;
}
