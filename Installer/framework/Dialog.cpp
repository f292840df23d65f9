#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {

// The window property that links a dialog window to its framework object. A property rather than
// DWLP_USER, so a derived dialog keeps DWLP_USER for itself and FromHandle can tell framework
// dialogs from any other window.
constexpr char kObjectProperty[] = "Installer.CDialog";

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

bool IsDialogWindow(HWND window) {
  char className[16] = {};
  return GetClassNameA(window, className, sizeof(className)) > 0 &&
         lstrcmpA(className, "#32770") == 0;
}

// The dialog whose keyboard navigation |dialog| is part of: its parent, when |dialog| is a child
// dialog with DS_CONTROL and the parent is a dialog too; otherwise null.
HWND NavigationParent(HWND dialog) {
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  if ((style & WS_CHILD) == 0 || (style & DS_CONTROL) == 0) return nullptr;
  const HWND parent = GetParent(dialog);
  return parent != nullptr && IsDialogWindow(parent) ? parent : nullptr;
}

// Enter in a multi-line text that does not take Enter itself (no ES_WANTRETURN). The text asks
// its own dialog for the default button, which in a child dialog that is part of its parent's
// navigation (a wizard page) lives in the parent: without help Enter would do nothing there.
bool IsEnterInMultiLineText(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || GetKeyState(VK_CONTROL) < 0) {
    return false;
  }
  char className[8] = {};
  if (GetClassNameA(msg.hwnd, className, sizeof(className)) == 0 ||
      lstrcmpiA(className, "Edit") != 0) {
    return false;
  }
  const LONG style = GetWindowLongA(msg.hwnd, GWL_STYLE);
  return (style & ES_MULTILINE) != 0 && (style & ES_WANTRETURN) == 0;
}

// Clicks |dialog|'s default button as the dialog manager does for Enter; false when it has none.
bool PressDefaultButton(HWND dialog) {
  const DWORD defaultId = static_cast<DWORD>(SendMessageA(dialog, DM_GETDEFID, 0, 0));
  if (HIWORD(defaultId) != DC_HASDEFID) return false;
  const HWND button = GetDlgItem(dialog, LOWORD(defaultId));
  if (button == nullptr) return false;
  if (IsWindowEnabled(button)) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(defaultId), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  return true;
}

}  // namespace

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  const HWND control = GetDlgItem(dx->dialog, id);
  if (control == nullptr) return;
  if (dx->saveAndValidate) {
    value = WindowText(control);
  } else {
    ::SetWindowTextA(control, value.c_str());
  }
}

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
  if (hwnd_ == nullptr) return;
  const HWND window = hwnd_;
  Detach();  // no message may reach this half-destroyed object any more
  ::DestroyWindow(window);
}

CDialog* CDialog::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<CDialog*>(GetPropA(window, kObjectProperty));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    self->hwnd_ = window;
    SetPropA(window, kObjectProperty, self);
    if (self->modal_) self->ClaimMainWindow();  // before OnInitDialog, which may show boxes
  } else {
    self = FromHandle(window);
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) and after detaching get the dialog's defaults.
  if (self == nullptr) return FALSE;
  return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      if (!OnCommand(wParam, lParam)) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // The colour messages answer the brush itself; null leaves the default colours.
      return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                  reinterpret_cast<HWND>(lParam),
                                                  message - WM_CTLCOLORMSGBOX));
    case WM_NEXTDLGCTL:
    case WM_CLOSE:
      return PassNavigationOn(message, wParam, lParam);
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_NCDESTROY:
      Detach();
      PostNcDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CDialog::PassNavigationOn(UINT message, WPARAM wParam, LPARAM lParam) {
  // A multi-line edit handles Tab, Shift+Tab and Escape itself and asks its own parent to act:
  // WM_NEXTDLGCTL for the next control, WM_CLOSE for Escape. In a child dialog that is part of
  // the outer dialog's navigation (a wizard page), that parent would keep the focus among its own
  // controls and swallow Escape; the outer dialog moves through all controls and cancels.
  const HWND outer = NavigationParent(hwnd_);
  if (outer == nullptr) return FALSE;  // the dialog manager's own handling
  SendMessageA(outer, message, wParam, lParam);
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);
  return TRUE;
}

bool CDialog::CreateFromTemplate(UINT templateId, HWND parent) {
  if (hwnd_ != nullptr) return false;
  // The templates are resources of the executable itself (of the test program under test).
  const HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                         parent, DialogProc, reinterpret_cast<LPARAM>(this));
  return window != nullptr && hwnd_ == window;
}

bool CDialog::Create(UINT templateId, HWND parent) {
  return CreateFromTemplate(templateId, parent);
}

bool CDialog::DestroyWindow() {
  if (hwnd_ == nullptr) return false;
  return ::DestroyWindow(hwnd_) != FALSE;
}

INT_PTR CDialog::DoModal() {
  HWND owner = parent_ != nullptr ? GetAncestor(parent_, GA_ROOT) : AfxGetMainWnd();
  if (owner != nullptr && !IsWindow(owner)) owner = nullptr;

  // The owner takes no input while the dialog runs, as with the system's modal dialogs; it is
  // disabled before the dialog exists, so not even the dialog's start can reach it.
  const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);

  modal_ = true;
  endRequested_ = false;
  result_ = -1;
  INT_PTR result = -1;
  if (CreateFromTemplate(templateId_, owner)) {  // OnInitDialog claims the main window
    const HWND window = hwnd_;
    if (!endRequested_ && !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
    result = RunModalLoop();
    // The owner is enabled before the dialog goes away, so the activation returns to it rather
    // than to another program's window.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (owner != nullptr && GetActiveWindow() == window) SetActiveWindow(owner);
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  } else if (disableOwner) {
    EnableWindow(owner, TRUE);
  }
  ReleaseMainWindow();
  modal_ = false;
  return result;
}

void CDialog::ClaimMainWindow() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || app->GetThreadId() != GetCurrentThreadId() || app->GetMainWnd()) return;
  app->SetMainWnd(hwnd_);
  mainWindowOf_ = app;
  mainWindow_ = hwnd_;
}

void CDialog::ReleaseMainWindow() {
  if (mainWindowOf_ != nullptr && AfxGetApp() == mainWindowOf_ &&
      mainWindowOf_->GetMainWnd() == mainWindow_) {
    mainWindowOf_->SetMainWnd(nullptr);
  }
  mainWindowOf_ = nullptr;
  mainWindow_ = nullptr;
}

INT_PTR CDialog::RunModalLoop() {
  MSG msg;
  while (!endRequested_ && hwnd_ != nullptr) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // The thread is asked to end: the outer loop must see the request too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return -1;
    }
    if (!WalkPreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return endRequested_ ? result_ : -1;
}

bool CDialog::WalkPreTranslate(MSG* msg) {
  for (HWND window = msg->hwnd; window != nullptr;) {
    CDialog* dialog = FromHandle(window);
    if (dialog != nullptr && dialog->PreTranslateMessage(msg)) return true;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) break;  // the top-level window
    window = GetParent(window);
  }
  return false;
}

void CDialog::EndDialog(INT_PTR result) {
  if (!modal_ || hwnd_ == nullptr) return;
  result_ = result;
  endRequested_ = true;
  // Wakes the loop when the request comes from a message sent by another thread, which GetMessage
  // handles without returning.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (hwnd_ == nullptr) return false;
  CDataExchange dx(hwnd_, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

HWND CDialog::GetDlgItem(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }

std::string CDialog::GetDlgItemText(int id) const {
  const HWND control = GetDlgItem(id);
  return control ? WindowText(control) : std::string();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
  if (hwnd_ != nullptr) ::SetDlgItemTextA(hwnd_, id, text.c_str());
}

void CDialog::SetWindowText(const std::string& text) {
  if (hwnd_ != nullptr) ::SetWindowTextA(hwnd_, text.c_str());
}

bool CDialog::PreTranslateMessage(MSG* msg) {
  if (hwnd_ == nullptr || !IsInputMessage(msg->message)) return false;
  if (IsEnterInMultiLineText(*msg) && IsChild(hwnd_, msg->hwnd)) {
    const HWND outer = NavigationParent(hwnd_);
    if (outer != nullptr && PressDefaultButton(outer)) return true;
  }
  return IsDialogMessageA(hwnd_, msg) != FALSE;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(WPARAM wParam, LPARAM) {
  // Clicks and the dialog manager's own commands (Escape, Enter) carry the code 0; a control's
  // other notifications never end the dialog.
  if (HIWORD(wParam) != BN_CLICKED) return false;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

void CDialog::OnDestroy() {}

void CDialog::PostNcDestroy() {}

void CDialog::Detach() {
  if (hwnd_ == nullptr) return;
  RemovePropA(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}
