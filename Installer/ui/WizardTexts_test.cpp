// Every text of the wizard and of the progress dialog shows whole in the fonts of the system the
// tests run on: the templates leave room for the longest text each control gets, a long product
// name included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CommonControls.h"
#include "framework/TextFitTesting.h"
#include "res/resource.h"
#include "ui/InstallerWizardTesting.h"
#include "ui/UPDialog.h"

namespace {

// A product name of 56 characters in ordinary words, longer than any the company ships.
constexpr char kLongProjectName[] = "Brenmoor Clinical Records Workstation Enterprise Edition";

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

TEST(WizardTextsTest, EveryPageShowsItsTextsWhole) {
  // Norvane shows the web hosts and the desktop box, Tallyset the VistA box.
  for (const char* appName : {"Norvane", "Tallyset"}) {
    CInstaller engine;
    SetUpTestEngine(engine);
    engine.appName = appName;
    engine.projectName = kLongProjectName;
    engine.license = "Terms.";
    engine.information = "Read me.";
    TestInstallerWizard wizard(engine);
    ASSERT_TRUE(wizard.Open()) << appName;
    // Each page while it is shown (hidden windows do not count), with the frame's buttons.
    for (UINT page : InstallerPageSequence(engine.license, engine.information,
                                           engine.regValues.size())) {
      ASSERT_TRUE(wizard.GoTo(page)) << appName << ", page " << page;
      EXPECT_EQ(Joined(ClippedTexts(wizard.Frame())), "") << appName << ", page " << page;
    }
  }
}

// Shows every status text the dialog gets and collects the ones that it cuts.
bool ShowsEveryStatus(ProgressContext* context) {
  auto* clipped = static_cast<std::vector<std::string>*>(context->userData);
  const HWND status = GetDlgItem(context->dialogWindow, IDC_PROGRESS_STATUS);
  for (const char* text :
       {"Copying files 100%", "Termination Initiated..", "Termination Complete ..Shutting Down !!",
        "4294967295 Files successfully extracted."}) {
    SendMessageA(context->dialogWindow, WM_UPD_SET_TEXT, 0, reinterpret_cast<LPARAM>(text));
    const std::string why = ClippedText(status);
    if (!why.empty()) clipped->push_back(why);
  }
  return true;
}

TEST(WizardTextsTest, TheProgressDialogShowsEveryStatusWhole) {
  ASSERT_TRUE(InitCommonControlsForWizard());
  std::vector<std::string> clipped;
  CUPDialog dialog(nullptr, ShowsEveryStatus, &clipped, "Please Wait..", true);
  ASSERT_EQ(dialog.Show(), kUPDialogWorkerSucceeded);
  EXPECT_EQ(Joined(clipped), "");
}

}  // namespace
