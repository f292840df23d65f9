// The licence page (template IDD_AGREEMENT_PAGE): shows the configured licence text and lets the
// user go on only after accepting it. "I Do Not Accept the Agreeement" is selected at the start.
#pragma once

#include <string>

#include "ui/NewWizPage.h"

class CInstaller;

class CAgreementPage : public CNewWizPage {
 public:
  // |engine| gives the licence text; it must outlive the page.
  explicit CAgreementPage(CInstaller& engine, HWND parent = nullptr);

  // -1 (stay) after telling the user "You must accept the agreement to continue with the
  // installation." while the refusal is selected; otherwise 0 (the next page). Back is never
  // blocked.
  int OnNextPressed() override;

 protected:
  // Loads the licence text (its line breaks already CR LF) into the read-only edit and selects
  // the refusal.
  bool OnInitDialog() override;
  // The licence text and the page's edit.
  void DoDataExchange(CDataExchange* dx) override;

 private:
  CInstaller& engine_;
  std::string licenseText_;
};
