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
  if (!ShowPage(page)) return false;
  FocusPage(page);
  return true;
}

bool CNewWizDialog::ShowPage(CNewWizPage* page) {
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
  if (button == nullptr) return;
  // A disabled window loses the focus to nobody: Enter, Tab and Escape would then reach no
  // window of the wizard at all.
  const bool hadFocus = !enable && GetFocus() == button;
  EnableWindow(button, enable ? TRUE : FALSE);
  UpdateDefaultButton();
  if (hadFocus) FocusDefaultButton();
}

void CNewWizDialog::EnableBack(bool enable) { EnableButton(IDC_WIZ_BACK, enable); }

void CNewWizDialog::EnableNext(bool enable) { EnableButton(IDC_WIZ_NEXT, enable); }

void CNewWizDialog::EnableFinish(bool enable) {
  EnableButton(IDC_WIZ_FINISH, enable);
  if (enable) GiveFocus(GetDlgItem(IDC_WIZ_FINISH));
}

HWND CNewWizDialog::DefaultButton() const {
  for (int id : {IDC_WIZ_NEXT, IDC_WIZ_FINISH}) {
    const HWND button = GetDlgItem(id);
    if (button != nullptr && IsWindowEnabled(button)) return button;
  }
  return nullptr;
}

void CNewWizDialog::UpdateDefaultButton() {
  // Focusing a push button makes it look like the default one for a while; the dialog manager's
  // default id stays what Enter presses in a page's edit, so it must follow Next and Finish.
  const HWND button = DefaultButton();
  if (button != nullptr) SendMessageA(GetSafeHwnd(), DM_SETDEFID, GetDlgCtrlID(button), 0);
}

void CNewWizDialog::FocusDefaultButton() {
  const HWND button = DefaultButton();
  GiveFocus(button != nullptr ? button : GetDlgItem(IDCANCEL));
}

void CNewWizDialog::GiveFocus(HWND control) {
  if (control == nullptr) return;
  // Through the dialog manager, which also selects an edit's text and marks the default button.
  // While the frame is still hidden (the first page is shown from OnInitDialog) the request waits
  // in the queue until the frame has been shown: focusing a hidden frame activates it before it
  // is the foreground window, and Wine then draws its title as inactive for good.
  const HWND frame = GetSafeHwnd();
  const WPARAM target = reinterpret_cast<WPARAM>(control);
  if (IsWindowVisible(frame)) {
    SendMessageA(frame, WM_NEXTDLGCTL, target, TRUE);
  } else {
    PostMessageA(frame, WM_NEXTDLGCTL, target, TRUE);
  }
}

void CNewWizDialog::FocusPage(CNewWizPage* page) {
  const HWND finish = GetDlgItem(IDC_WIZ_FINISH);
  if (page == GetLastPage() && finish != nullptr && IsWindowEnabled(finish)) {
    GiveFocus(finish);
    return;
  }
  // The page's first tab stop; GetNextDlgTabItem answers null, or a control outside the page on
  // some systems, when it has none.
  const HWND pageWindow = page->GetSafeHwnd();
  const HWND first = GetNextDlgTabItem(pageWindow, nullptr, FALSE);
  if (first != nullptr && IsChild(pageWindow, first)) {
    GiveFocus(first);
  } else {
    FocusDefaultButton();
  }
  // The focus may have passed over a push button that now looks like the default one.
  UpdateDefaultButton();
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

// The buttons follow the page first, so that the focus goes to a button that stays enabled.
void CNewWizDialog::OnNext() {
  CNewWizPage* active = GetActivePage();
  if (active == nullptr) return;
  CNewWizPage* target = Target(active, active->OnNextPressed(), +1);
  if (target == nullptr || !ShowPage(target)) return;
  if (target == GetLastPage()) {
    EnableFinish(true);
    EnableNext(false);
  }
  EnableBack(true);
  FocusPage(target);
}

void CNewWizDialog::OnBack() {
  CNewWizPage* active = GetActivePage();
  if (active == nullptr) return;
  CNewWizPage* target = Target(active, active->OnBackPressed(), -1);
  if (target == nullptr || !ShowPage(target)) return;
  EnableNext(true);
  if (target == GetFirstPage()) {
    EnableBack(false);
    EnableFinish(false);
  }
  FocusPage(target);
}

void CNewWizDialog::OnFinish() {
  CNewWizPage* active = GetActivePage();
  // The page shown is taken as Next takes it: its values are stored, and a page whose check
  // fails (-1) keeps the user there, with Finish as with Next.
  if (active != nullptr && active->OnNextPressed() == -1) return;
  if (active != nullptr && !active->OnLeavePage()) return;
  // Earlier pages finish first, so a page can rely on the work of every page before it.
  for (CNewWizPage* page : pages_) {
    if (page->created_ && !page->OnFinishWizard()) return;
  }
  UpdateData(true);
  EndDialog(IDC_WIZ_FINISH);
}
