// The framework's dialog: one window made from a dialog template of the executable, run modally
// with a message loop of its own or created modeless as a child of another dialog, with dialog data
// exchange for edit texts, command routing to virtual handlers and the colour request.
//
// The modal loop is the reason this class exists: before the dialog manager sees a keyboard or
// mouse message, PreTranslateMessage of every framework dialog from the message's window up to its
// top-level window sees it, innermost first. A child dialog (a wizard page) can so keep a key from
// its own dialog manager and let the frame's dialog manager act on it (Enter pressing the frame's
// default button).
//
// A child dialog made with DS_CONTROL is part of its parent dialog's keyboard navigation: Tab and
// Shift+Tab go through the controls of both, and Escape cancels the parent, also from controls
// that handle these keys themselves (a multi-line edit asks its own dialog by WM_NEXTDLGCTL and
// WM_CLOSE; such a child passes both on to its parent).
#pragma once

#include <windows.h>

#include <string>

class CWinApp;

// What UpdateData hands to DoDataExchange: the dialog and the direction of the exchange.
class CDataExchange {
 public:
  CDataExchange(HWND dialog, bool saveAndValidate)
      : dialog(dialog), saveAndValidate(saveAndValidate) {}

  HWND dialog;
  // True: controls to variables; false: variables to controls.
  bool saveAndValidate;
};

// Exchanges |value| with the text of control |id| (an edit): saving reads the whole text into
// |value|, loading sets it. Texts pass byte for byte (CR LF line breaks included). Without such a
// control nothing changes.
void DDX_Text(CDataExchange* dx, int id, std::string& value);

class CDialog {
 public:
  // |templateId|: the dialog template (a resource of the executable) that DoModal shows.
  // |parent|: the window that owns the modal dialog; may be null.
  explicit CDialog(UINT templateId, HWND parent = nullptr);
  // Destroys the window if it still exists, without calling OnDestroy: a derived part of this
  // object is already gone by then.
  virtual ~CDialog();

  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog modally and answers the code given to EndDialog; -1 when the window cannot be
  // created, or when WM_QUIT arrives first (the quit message is posted again for the outer loop).
  // The owner is the top-level window of the parent or, without a parent, the application's main
  // window; it is disabled while the dialog runs. On the application's thread, while the
  // application has no main window, the dialog is its main window for the run (so AfxMessageBox
  // boxes are modal to it). The window is destroyed before DoModal returns.
  virtual INT_PTR DoModal();

  // Creates the window modeless from template |templateId| with |parent| as parent (a child
  // template) or owner (a pop-up template). False when it cannot be created or already exists.
  bool Create(UINT templateId, HWND parent);

  // Destroys the window; OnDestroy runs. False when there is no window.
  bool DestroyWindow();

  // Ends the modal run of this dialog with |result| once the current message has been handled.
  // A dialog that is not running modally (a modeless page) is left as it is.
  void EndDialog(INT_PTR result);

  // Runs DoDataExchange in the given direction. False when there is no window.
  bool UpdateData(bool saveAndValidate = true);

  // (windows.h turns the names GetDlgItemText, SetDlgItemText and SetWindowText below into their
  // ...A forms; callers write them without the suffix as usual.)
  HWND GetSafeHwnd() const { return hwnd_; }
  // The direct child control |id| of this dialog, or null.
  HWND GetDlgItem(int id) const;
  // The text of control |id|; empty when there is no such control.
  std::string GetDlgItemText(int id) const;
  void SetDlgItemText(int id, const std::string& text);
  void SetWindowText(const std::string& text);

  // Sees the keyboard and mouse messages for this dialog and its controls before they are
  // dispatched (modal loop, above). Answers true when the message was handled and must not be
  // dispatched. The base lets this dialog's manager handle them (IsDialogMessage: Tab, Enter,
  // Escape, mnemonics).
  virtual bool PreTranslateMessage(MSG* msg);

  // The framework dialog whose window is |window|, or null.
  static CDialog* FromHandle(HWND window);

 protected:
  // WM_INITDIALOG. The base loads the controls from the variables (UpdateData(false)) and answers
  // true: the dialog manager sets the focus.
  virtual bool OnInitDialog();
  // The exchange between controls and variables; the base exchanges nothing.
  virtual void DoDataExchange(CDataExchange* dx);
  // IDOK: saves the controls (UpdateData(true)) and ends with IDOK.
  virtual void OnOK();
  // IDCANCEL (Escape, WM_CLOSE, a Cancel button): ends with IDCANCEL.
  virtual void OnCancel();
  // WM_COMMAND. Answers true when handled. The base routes IDOK and IDCANCEL to OnOK and OnCancel;
  // a derived dialog handles its own ids and passes the rest on to its base.
  virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
  // WM_CTLCOLOR*: |ctlType| is CTLCOLOR_MSGBOX (0) to CTLCOLOR_STATIC (6). Answers the brush that
  // paints the control's background, or null for the system's default colours (the base).
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType);
  // WM_DESTROY, while the controls still exist.
  virtual void OnDestroy();
  // After the window is gone (WM_NCDESTROY); GetSafeHwnd() is null by then.
  virtual void PostNcDestroy();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_NEXTDLGCTL and WM_CLOSE of a child dialog with DS_CONTROL go to its parent dialog, whose
  // keyboard navigation the child is part of; other dialogs leave them to the dialog manager.
  INT_PTR PassNavigationOn(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateFromTemplate(UINT templateId, HWND parent);
  void Detach();
  // Makes this modal dialog the application's main window when it runs on the application's
  // thread and the application has none; ReleaseMainWindow gives the place up again.
  void ClaimMainWindow();
  void ReleaseMainWindow();
  INT_PTR RunModalLoop();
  // Offers |msg| to PreTranslateMessage of the framework dialogs from its window up to its
  // top-level window; true when one of them handled it.
  static bool WalkPreTranslate(MSG* msg);

  HWND hwnd_ = nullptr;
  UINT templateId_;
  HWND parent_;
  bool modal_ = false;
  bool endRequested_ = false;
  INT_PTR result_ = -1;
  CWinApp* mainWindowOf_ = nullptr;
  HWND mainWindow_ = nullptr;
};
