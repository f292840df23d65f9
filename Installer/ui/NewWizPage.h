// One page of a CNewWizDialog wizard: a modeless child dialog made from its own template, created
// the first time the wizard shows it and laid over the frame's placeholder. A page decides where
// Back and Next lead, whether the user may leave it, and what Finish and Cancel do, through the
// eight virtual operations below; the base answers "go on" everywhere. Every page paints on a
// white background; the title control (IDC_WIZ_PAGE_TITLE, 1018) is dark blue.
//
// A derived page that has a title calls the base OnInitDialog in its own and then gives the title
// the page's title font with ApplyTitleFont().
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/UniqueGdiObject.h"

class CNewWizDialog;

class CNewWizPage : public CDialog {
 public:
  // |templateId|: the page's dialog template (a child, created disabled and hidden); it is also
  // the page's key for CNewWizDialog::FindPageById, set again by CNewWizDialog::AddPage.
  explicit CNewWizPage(UINT templateId, HWND parent = nullptr);

  // Right after the page window is created, once. False: the wizard does not show the page.
  virtual bool OnPageCreated();
  // Before the page window is destroyed.
  virtual void OnPageDestroying();
  // Before the page is hidden or destroyed, and on Finish when the page is the one shown.
  // False keeps the user on the page.
  virtual bool OnLeavePage();
  // After the page has been shown.
  virtual void OnEnterPage();
  // On Cancel, for every page that has been shown. False keeps the wizard open.
  virtual bool OnCancelWizard();
  // On Back: 0 = the previous page of the list, -1 = stay, other = template id of the page to show.
  virtual int OnBackPressed();
  // On Next: 0 = the following page of the list, -1 = stay, other = template id of the page to
  // show.
  virtual int OnNextPressed();
  // On Finish, for every page that has been shown, in list order. False keeps the wizard open.
  virtual bool OnFinishWizard();

  // Enter (WM_KEYDOWN VK_RETURN) is kept from the page's own dialog manager, so it reaches the
  // frame's, where Next is the default button; everything else as for any dialog.
  bool PreTranslateMessage(MSG* msg) override;

  CNewWizDialog* GetWizard() const { return wizard_; }
  bool IsCreated() const { return created_; }
  bool IsActive() const { return active_; }
  UINT GetPageTemplateId() const { return templateId_; }
  // The bold title font, null until the page window has been created.
  HFONT TitleFont() const { return titleFont_.get(); }

 protected:
  // Creates the title font (bold "MS Sans Serif", 16 pixels) and the white background brush;
  // answers true (the dialog manager sets the focus).
  bool OnInitDialog() override;
  // A cancel command that reaches a page (Escape in one of its controls) never ends it; the
  // wizard's Cancel button decides.
  void OnCancel() override;
  // The white brush for every control; text colours: black on white for edits, list boxes,
  // buttons, scroll bars and statics, dark blue for the title.
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;
  // The window is gone (also when the frame took it down with itself): neither created nor shown.
  void PostNcDestroy() override;
  // Gives the title control (IDC_WIZ_PAGE_TITLE) the page's title font:
  // SendDlgItemMessageA(hwnd, 1018, WM_SETFONT, (WPARAM)TitleFont(), TRUE). Call it after the
  // base OnInitDialog, which creates the font.
  void ApplyTitleFont();

 private:
  friend class CNewWizDialog;

  UniqueFont titleFont_;
  UniqueBrush backgroundBrush_;
  CNewWizDialog* wizard_ = nullptr;
  bool created_ = false;
  bool active_ = false;
  UINT templateId_;
};
