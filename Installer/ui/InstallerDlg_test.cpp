// The installer's wizard over engines configured by each test: which pages a configuration
// gives, the caption and the texts that name the product, and what a wizard run came to.
#include "ui/InstallerDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/InstallerWizardTesting.h"

namespace {

TEST(InstallerDlgTest, ThePagesFollowTheConfiguration) {
  const UINT welcome = IDD_INTRO_PAGE, licence = IDD_AGREEMENT_PAGE, info = IDD_INFO_PAGE,
             host = IDD_HOST_PAGE, destination = IDD_DESTINATION_PAGE, ready = IDD_INSTALL_PAGE;
  struct Case {
    const char* name;
    const char* license;
    const char* information;
    bool settings;
    std::vector<UINT> pages;
  } cases[] = {
      {"no licence, information or settings", "", "", false, {welcome, destination, ready}},
      {"the shipped configuration: settings only", "", "", true,
       {welcome, host, destination, ready}},
      {"a licence only", "Terms.", "", false, {welcome, licence, destination, ready}},
      {"information only", "", "Read me.", false, {welcome, info, destination, ready}},
      {"everything", "Terms.\r\nMore terms.", "Read me.", true,
       {welcome, licence, info, host, destination, ready}},
  };
  for (const Case& c : cases) {
    CInstaller engine;
    SetUpTestEngine(engine);
    engine.license = c.license;
    engine.information = c.information;
    if (!c.settings) engine.regValues.clear();

    EXPECT_EQ(InstallerPageSequence(c.license, c.information, engine.regValues.size()), c.pages)
        << c.name;
    TestInstallerWizard wizard(engine);
    ASSERT_TRUE(wizard.Open()) << c.name;
    EXPECT_EQ(wizard.WalkToTheEnd(), c.pages) << c.name << ": the pages Next shows";
  }
}

TEST(InstallerDlgTest, CaptionAndTextsNameTheProject) {
  CInstaller engine;
  SetUpTestEngine(engine);
  engine.projectName = "Quillmark Clinic";
  engine.startMenuShortcut = 0;
  TestInstallerWizard wizard(engine);
  ASSERT_TRUE(wizard.Open());
  wizard.WalkToTheEnd();  // every page has a window now

  EXPECT_EQ(TextOf(wizard.Frame()), "Quillmark Clinic Setup");
  EXPECT_EQ(wizard.dialog.GetCaption(), "Quillmark Clinic Setup");
  EXPECT_EQ(engine.startMenuShortcut, 1) << "a wizard run always makes the Start-menu shortcuts";
  struct Text {
    UINT page;
    int control;
    const char* want;
  } texts[] = {
      {IDD_INTRO_PAGE, IDC_WIZ_PAGE_TITLE, "Welcome to the Quillmark Clinic Setup Wizard."},
      {IDD_INTRO_PAGE, IDC_PAGE_TEXT, "This will install Quillmark Clinic on your computer."},
      {IDD_DESTINATION_PAGE, IDC_WIZ_PAGE_TITLE, "Select Destination Location"},
      {IDD_DESTINATION_PAGE, IDC_PAGE_TEXT, "Where should Quillmark Clinic be installed?"},
      {IDD_DESTINATION_PAGE, IDC_FOLDER_TEXT,
       "Setup will install Quillmark Clinic into the following folder."},
      {IDD_INSTALL_PAGE, IDC_WIZ_PAGE_TITLE, "Ready to Install"},
      {IDD_INSTALL_PAGE, IDC_PAGE_TEXT,
       "Setup is now ready to begin installing Quillmark Clinic on your computer."},
  };
  for (const Text& t : texts) {
    EXPECT_EQ(TextOf(wizard.PageControl(t.page, t.control)), t.want)
        << "page " << t.page << ", control " << t.control;
  }
}

TEST(InstallerDlgTest, TheOutcomeOfARunComesFromTheWizardAndItsInstallPage) {
  using O = InstallOutcome;
  struct Case {
    const char* name;
    INT_PTR modalResult;
    O installPage;
    O want;
  } cases[] = {
      {"Finish, installed", IDC_WIZ_FINISH, O::kCompleted, O::kCompleted},
      {"Finish, a step failed", IDC_WIZ_FINISH, O::kFailed, O::kFailed},
      {"Finish, the progress dialog stopped", IDC_WIZ_FINISH, O::kCancelled, O::kCancelled},
      {"Finish without an installation", IDC_WIZ_FINISH, O::kNotRun, O::kFailed},
      {"Cancel", IDCANCEL, O::kNotRun, O::kCancelled},
      {"the wizard could not be shown", -1, O::kNotRun, O::kFailed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WizardOutcome(c.modalResult, c.installPage), c.want) << c.name;
  }
}

}  // namespace
