// The information page (template IDD_INFO_PAGE): shows the configured information text in a
// read-only edit. It asks nothing of the user.
#pragma once

#include <string>

#include "ui/NewWizPage.h"

class CInstaller;

class CInfoPage : public CNewWizPage {
 public:
  // |engine| gives the information text; it must outlive the page.
  explicit CInfoPage(CInstaller& engine, HWND parent = nullptr);

 protected:
  // Loads the information text (its line breaks already CR LF) into the edit.
  bool OnInitDialog() override;
  // The information text and the page's edit.
  void DoDataExchange(CDataExchange* dx) override;

 private:
  CInstaller& engine_;
  std::string informationText_;
};
