// A wizard built from ordinary dialogs: a modal frame that owns the Back, Next, Finish and Cancel
// buttons (IDC_WIZ_BACK, IDC_WIZ_NEXT, IDC_WIZ_FINISH, IDCANCEL) and an ordered list of
// CNewWizPage pages, each shown in turn at the top-left of a placeholder control of the frame.
//
// Use: derive the dialog; in its OnInitDialog call SetPlaceholderId and AddPage for every page (in
// the order of the wizard), then this class's OnInitDialog, which shows the first page. The pages
// are not owned: they are usually members of the derived dialog. DoModal answers IDC_WIZ_FINISH
// (12325) after Finish and IDCANCEL after Cancel.
//
// Buttons: on the first page Back and Finish are disabled; Next on the last page disables Next and
// enables Finish (with the focus); Finish then stays enabled going back, until the first page.
// A one-page wizard starts with Back and Next disabled and Finish enabled and focused.
//
// Keyboard: Enter presses Next while it is enabled, else Finish. Every page that shows gets the
// focus: Finish on the last page, else the page's first tab stop, else Next. A button that is
// disabled while it has the focus hands it to Next (or Finish, or Cancel), so the wizard never
// loses the keyboard. Pages made with DS_CONTROL take part in the frame's Tab order (see
// framework/Dialog.h).
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Dialog.h"
#include "res/resource.h"
#include "ui/NewWizPage.h"

class CNewWizDialog : public CDialog {
 public:
  // |templateId|: the frame's dialog template; |parent| may be null.
  explicit CNewWizDialog(UINT templateId, HWND parent = nullptr);

  // Appends |page| to the wizard and makes |templateId| its template and key. Before the wizard
  // starts.
  void AddPage(CNewWizPage* page, UINT templateId);
  // The frame control that marks where pages go.
  void SetPlaceholderId(int id);

  // Creates the page window on first use (false when it cannot be created or OnPageCreated
  // refuses), leaves the active page (false when it refuses), places the page at the
  // placeholder's top-left without resizing it, enables and shows it, then OnEnterPage; then gives
  // the page the focus. Answers whether |page| is now the active page.
  bool ActivatePage(CNewWizPage* page);
  // Hides the active page after its OnLeavePage agreed. True when no page is active.
  bool DeactivateActivePage();
  // Destroys the window of |page| after its OnLeavePage agreed (false: it stays) and its
  // OnPageDestroying. True at once for a page that was never created.
  bool DestroyPage(CNewWizPage* page);

  CNewWizPage* GetActivePage() const;
  CNewWizPage* GetFirstPage() const;
  CNewWizPage* GetLastPage() const;
  // The first page with template id |id|, or null.
  CNewWizPage* FindPageById(UINT id) const;

  void EnableBack(bool enable);
  void EnableNext(bool enable);
  // Enabling also gives Finish the focus.
  void EnableFinish(bool enable);
  // Enter's button: Next when it is enabled, else Finish when it is; null when neither is.
  HWND DefaultButton() const;

  // Sets the buttons for the first page and shows it. Answers ActivatePage's result; false without
  // pages.
  bool StartWizard();

 protected:
  // Lets Tab move into the pages' controls (WS_EX_CONTROLPARENT), starts the wizard; answers false
  // (the focus is set by the wizard).
  bool OnInitDialog() override;
  // Ends with IDCANCEL when every page that has been shown agrees (OnCancelWizard).
  void OnCancel() override;
  // The frame has no OK button: an IDOK that the dialog manager makes up for Enter never ends
  // the wizard.
  void OnOK() override;
  // Routes Back, Next and Finish; the rest to CDialog (IDCANCEL to OnCancel).
  bool OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Destroys every page window before the frame's.
  void OnDestroy() override;

  void OnBack();
  void OnNext();
  // The active page is taken as Next takes it (OnNextPressed; -1 keeps the wizard on the page)
  // and must agree to be left, then every page that has been shown, in list order, must agree to
  // finish; then the wizard ends with IDC_WIZ_FINISH.
  void OnFinish();

 private:
  // The page |offset| places from |page| in the list, or null.
  CNewWizPage* Neighbour(CNewWizPage* page, int offset) const;
  // The page that a Back/Next answer names: 0 the neighbour, -1 none (stay), else by template id.
  CNewWizPage* Target(CNewWizPage* active, int answer, int offset) const;
  // ActivatePage without the focus: the caller sets the buttons for the page first.
  bool ShowPage(CNewWizPage* page);
  // Finish on the last page when it is enabled, else the page's first tab stop, else Enter's
  // button (or Cancel); the default button follows Next and Finish.
  void FocusPage(CNewWizPage* page);
  // Enter's button, or Cancel when neither Next nor Finish is enabled.
  void FocusDefaultButton();
  void GiveFocus(HWND control);
  void UpdateDefaultButton();
  void EnableButton(int id, bool enable);

  std::vector<CNewWizPage*> pages_;
  int placeholderId_ = 0;
};
