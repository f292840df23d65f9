#include "ui/NewWizPage.h"

#include "res/resource.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kTitleBlue = RGB(0, 0, 150);

}  // namespace

CNewWizPage::CNewWizPage(UINT templateId, HWND parent)
    : CDialog(templateId, parent), templateId_(templateId) {}

bool CNewWizPage::OnPageCreated() { return true; }
void CNewWizPage::OnPageDestroying() {}
bool CNewWizPage::OnLeavePage() { return true; }
void CNewWizPage::OnEnterPage() {}
bool CNewWizPage::OnCancelWizard() { return true; }
int CNewWizPage::OnBackPressed() { return 0; }
int CNewWizPage::OnNextPressed() { return 0; }
bool CNewWizPage::OnFinishWizard() { return true; }

bool CNewWizPage::PreTranslateMessage(MSG* msg) {
  // Left to the page's own dialog manager, Enter in a single-line edit would become an IDOK of
  // the page (which has no default button) and the wizard would not move on.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return false;
  return CDialog::PreTranslateMessage(msg);
}

bool CNewWizPage::OnInitDialog() {
  CDialog::OnInitDialog();
  titleFont_.reset(CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                               0, "MS Sans Serif"));
  backgroundBrush_.reset(CreateSolidBrush(kWhite));
  return true;
}

void CNewWizPage::OnCancel() {}

HBRUSH CNewWizPage::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  switch (ctlType) {
    case CTLCOLOR_EDIT:
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_BTN:
    case CTLCOLOR_SCROLLBAR:
      SetTextColor(dc, kBlack);
      SetBkColor(dc, kWhite);
      break;
    case CTLCOLOR_STATIC:
      SetTextColor(dc, GetDlgCtrlID(control) == IDC_WIZ_PAGE_TITLE ? kTitleBlue : kBlack);
      SetBkColor(dc, kWhite);
      break;
    default:  // the page itself (CTLCOLOR_DLG) only needs the brush
      break;
  }
  return backgroundBrush_.get();
}

void CNewWizPage::PostNcDestroy() {
  created_ = false;
  active_ = false;
}

void CNewWizPage::ApplyTitleFont() {
  SendDlgItemMessageA(GetSafeHwnd(), IDC_WIZ_PAGE_TITLE, WM_SETFONT,
                      reinterpret_cast<WPARAM>(TitleFont()), TRUE);
}
