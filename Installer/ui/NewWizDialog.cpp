#include "ui/NewWizDialog.h"

#include <algorithm>

namespace {

// Commands carry the notification code 0 for clicks and for the dialog manager's Enter.
bool IsClick(WPARAM wParam, int id) { return HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == id; }

}  // namespace

CNewWizDialog::CNewWizDialog(UINT templateId, HWND parent) : CDialog(templateId, parent) {}

void CNewWizDialog::AddPage(CNewWizPage* page, UINT templateId) {
  page->templateId_ = templateId;
  pages_.push_back(page);
}

void CNewWizDialog::SetPlaceholderId(int id) { placeholderId_ = id; }

bool CNewWizDialog::ActivatePage(CNewWizPage* page) {
  if (!page->created_) {
    page->wizard_ = this;  // already during the page's OnInitDialog
    if (!page->Create(page->templateId_, GetSafeHwnd())) return false;
    page->created_ = true;
    if (!page->OnPageCreated()) return false;  // created, yet never shown
  }
  if (!DeactivateActivePage()) return false;

  // The page keeps its own size; only its top-left corner is put on the placeholder's.
  POINT topLeft = {0, 0};
  RECT placeholder;
  const HWND placeholderWindow = GetDlgItem(placeholderId_);
  if (placeholderWindow != nullptr && GetWindowRect(placeholderWindow, &placeholder)) {
    topLeft = {placeholder.left, placeholder.top};
    ScreenToClient(GetSafeHwnd(), &topLeft);
  }
  const HWND pageWindow = page->GetSafeHwnd();
  SetWindowPos(pageWindow, nullptr, topLeft.x, topLeft.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EnableWindow(pageWindow, TRUE);
  ShowWindow(pageWindow, SW_SHOW);
  InvalidateRect(pageWindow, nullptr, TRUE);
  UpdateWindow(pageWindow);

  page->OnEnterPage();
  page->active_ = true;
  return true;
}

bool CNewWizDialog::DeactivateActivePage() {
  CNewWizPage* active = GetActivePage();
  if (active == nullptr) return true;
  if (!active->OnLeavePage()) return false;
  ShowWindow(active->GetSafeHwnd(), SW_HIDE);
  active->active_ = false;
  return true;
}

bool CNewWizDialog::DestroyPage(CNewWizPage* page) {
  if (!page->created_) return true;
  if (!page->OnLeavePage()) return false;
  page->OnPageDestroying();
  page->DestroyWindow();
  page->created_ = false;
  page->active_ = false;
  return true;
}

CNewWizPage* CNewWizDialog::GetActivePage() const {
  for (CNewWizPage* page : pages_) {
    if (page->active_) return page;
  }
  return nullptr;
}

CNewWizPage* CNewWizDialog::GetFirstPage() const {
  return pages_.empty() ? nullptr : pages_.front();
}

CNewWizPage* CNewWizDialog::GetLastPage() const { return pages_.empty() ? nullptr : pages_.back(); }

CNewWizPage* CNewWizDialog::FindPageById(UINT id) const {
  for (CNewWizPage* page : pages_) {
    if (page->templateId_ == id) return page;
  }
  return nullptr;
}

void CNewWizDialog::EnableButton(int id, bool enable) {
  const HWND button = GetDlgItem(id);
  if (button != nullptr) EnableWindow(button, enable ? TRUE : FALSE);
}

void CNewWizDialog::EnableBack(bool enable) { EnableButton(IDC_WIZ_BACK, enable); }

void CNewWizDialog::EnableNext(bool enable) { EnableButton(IDC_WIZ_NEXT, enable); }

void CNewWizDialog::EnableFinish(bool enable) {
  const HWND finish = GetDlgItem(IDC_WIZ_FINISH);
  if (finish == nullptr) return;
  EnableWindow(finish, enable ? TRUE : FALSE);
  // Through the dialog manager, so Finish also becomes the button that Enter presses.
  if (enable) SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(finish), TRUE);
}

bool CNewWizDialog::StartWizard() {
  CNewWizPage* first = GetFirstPage();
  if (first == nullptr) return false;
  if (!DeactivateActivePage()) return false;
  EnableBack(false);
  EnableFinish(pages_.size() <= 1);
  EnableNext(pages_.size() > 1);
  return ActivatePage(first);
}

bool CNewWizDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  const HWND frame = GetSafeHwnd();
  SetWindowLongA(frame, GWL_EXSTYLE, GetWindowLongA(frame, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  StartWizard();
  return false;
}

void CNewWizDialog::OnCancel() {
  for (CNewWizPage* page : pages_) {
    if (page->created_ && !page->OnCancelWizard()) return;
  }
  CDialog::OnCancel();
}

void CNewWizDialog::OnOK() {}

bool CNewWizDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (IsClick(wParam, IDC_WIZ_BACK)) {
    OnBack();
  } else if (IsClick(wParam, IDC_WIZ_NEXT)) {
    OnNext();
  } else if (IsClick(wParam, IDC_WIZ_FINISH)) {
    OnFinish();
  } else {
    return CDialog::OnCommand(wParam, lParam);
  }
  return true;
}

void CNewWizDialog::OnDestroy() {
  for (CNewWizPage* page : pages_) DestroyPage(page);
  CDialog::OnDestroy();
}

CNewWizPage* CNewWizDialog::Neighbour(CNewWizPage* page, int offset) const {
  const auto at = std::find(pages_.begin(), pages_.end(), page);
  if (at == pages_.end()) return nullptr;
  const auto index = (at - pages_.begin()) + offset;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(pages_.size())) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

CNewWizPage* CNewWizDialog::Target(CNewWizPage* active, int answer, int offset) const {
  if (answer == -1) return nullptr;
  if (answer == 0) return Neighbour(active, offset);
  return FindPageById(static_cast<UINT>(answer));
}

void CNewWizDialog::OnNext() {
  CNewWizPage* active = GetActivePage();
  if (active == nullptr) return;
  CNewWizPage* target = Target(active, active->OnNextPressed(), +1);
  if (target == nullptr || !ActivatePage(target)) return;
  if (target == GetLastPage()) {
    EnableNext(false);
    EnableFinish(true);
  }
  EnableBack(true);
}

void CNewWizDialog::OnBack() {
  CNewWizPage* active = GetActivePage();
  if (active == nullptr) return;
  CNewWizPage* target = Target(active, active->OnBackPressed(), -1);
  if (target == nullptr || !ActivatePage(target)) return;
  if (target == GetFirstPage()) {
    EnableBack(false);
    EnableFinish(false);
  }
  EnableNext(true);
}

void CNewWizDialog::OnFinish() {
  CNewWizPage* active = GetActivePage();
  if (active != nullptr && !active->OnLeavePage()) return;
  // Earlier pages finish first, so a page can rely on the work of every page before it.
  for (CNewWizPage* page : pages_) {
    if (page->created_ && !page->OnFinishWizard()) return;
  }
  UpdateData(true);
  EndDialog(IDC_WIZ_FINISH);
}
