// The destination page in the installer's wizard: the default folder, the desktop box, and
// Finish, which hands the folder to the installation attempt: an attempt that fails keeps the
// wizard open with the payload, and a later Finish with a good folder installs from it.
#include "ui/DestinationPage.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>

#include "res/resource.h"
#include "support/ScopedTempDir.h"
#include "ui/InstallerWizardTesting.h"
#include "LogReader.h"

namespace {

// What the stand-in for the installation saw of the engine when Finish ran it.
CInstaller* engineOfRun = nullptr;
std::atomic<int> runs{0};
std::atomic<bool> payloadPresentAtRun{false};
std::atomic<bool> failNextRun{false};
std::string folderOfRun;

bool RecordingWorker(ProgressContext* context) {
  ++runs;
  payloadPresentAtRun = engineOfRun->payloadBuffer.bytes != nullptr;
  folderOfRun = context->attempt != nullptr ? context->attempt->Choices().companyFolder : "";
  return !failNextRun.exchange(false);
}

class DestinationPageTest : public testing::Test {
 protected:
  void SetUp() override {
    SetUpTestEngine(engine);
    engine.payloadBuffer.bytes.reset(new uint8_t[4]);
    engine.payloadBuffer.size = 4;
    engineOfRun = &engine;
    runs = 0;
    payloadPresentAtRun = false;
    failNextRun = false;
    folderOfRun.clear();
  }
  void TearDown() override { engineOfRun = nullptr; }

  // Opens the wizard for product |appName| and goes to its last page.
  void OpenAtTheEnd(const char* appName) {
    engine.appName = appName;
    ASSERT_TRUE(wizard.Open());
    ASSERT_TRUE(wizard.GoTo(IDD_INSTALL_PAGE));
  }
  HWND Control(int id) const { return wizard.PageControl(IDD_DESTINATION_PAGE, id); }
  void ShowFolder(const std::string& folder) { SetWindowTextA(Control(IDC_PAGE_EDIT), folder.c_str()); }

  ScopedTempDir temp;
  CInstaller engine;
  TestInstallerWizard wizard{engine, RecordingWorker};
};

TEST_F(DestinationPageTest, StartsWithTheProgramFilesFolderAndTheProductsTexts) {
  OpenAtTheEnd("Norvane");
  char programFiles[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE));
  EXPECT_EQ(TextOf(Control(IDC_PAGE_EDIT)), std::string(programFiles) + "\\QVX");
  EXPECT_NE(GetWindowLongA(Control(IDC_PAGE_EDIT), GWL_STYLE) & ES_READONLY, 0)
      << "the folder changes only through Browse";
  EXPECT_EQ(TextOf(Control(IDC_BROWSE)), "Browse");
}

TEST_F(DestinationPageTest, OnlyTheMainProductOffersTheDesktopBox) {
  struct Case {
    const char* appName;
    bool shown;
  } cases[] = {{"Norvane", true}, {"nORVANE", true}, {"Tallyset", false}, {"Quillfeather", false}};
  for (const Case& c : cases) {
    CInstaller productEngine;
    SetUpTestEngine(productEngine);
    productEngine.appName = c.appName;
    TestInstallerWizard productWizard(productEngine);
    ASSERT_TRUE(productWizard.Open()) << c.appName;
    ASSERT_TRUE(productWizard.GoTo(IDD_DESTINATION_PAGE)) << c.appName;
    const HWND box = productWizard.PageControl(IDD_DESTINATION_PAGE, IDC_DESKTOP_SHORTCUT);
    EXPECT_EQ(IsWindowVisible(box) != FALSE, c.shown) << c.appName;
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED) << c.appName;
  }
}

TEST_F(DestinationPageTest, FinishTakesTheDesktopShortcutFromTheBox) {
  struct Case {
    const char* name;
    const char* appName;
    bool clearBox;
    int want;
  } cases[] = {
      {"main product, box left checked", "Norvane", false, 1},
      {"main product, box cleared", "Norvane", true, 0},
      {"other product: the hidden box stays checked", "Quillfeather", false, 1},
  };
  for (const Case& c : cases) {
    ScopedTempDir folder;
    CInstaller caseEngine;
    SetUpTestEngine(caseEngine);
    caseEngine.appName = c.appName;
    caseEngine.desktopShortcut = 1 - c.want;
    engineOfRun = &caseEngine;
    TestInstallerWizard caseWizard(caseEngine, RecordingWorker);
    ASSERT_TRUE(caseWizard.Open()) << c.name;
    ASSERT_TRUE(caseWizard.GoTo(IDD_INSTALL_PAGE)) << c.name;
    const HWND page = caseWizard.dialog.FindPageById(IDD_DESTINATION_PAGE)->GetSafeHwnd();
    SetDlgItemTextA(page, IDC_PAGE_EDIT, (folder.path() + "\\QVX").c_str());
    if (c.clearBox) CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_UNCHECKED);

    caseWizard.Click(IDC_WIZ_FINISH);

    EXPECT_EQ(caseEngine.desktopShortcut, c.want) << c.name;
    EXPECT_EQ(folderOfRun, folder.path() + "\\QVX") << c.name << ": the attempt's folder";
  }
}

TEST_F(DestinationPageTest, AFailedFinishKeepsTheWizardAndThePayloadForTheNextFinish) {
  engine.desktopShortcut = 0;
  OpenAtTheEnd("Norvane");
  // A folder below a file can never be made: the attempt ends before the progress dialog.
  const std::string file = temp.Child("not-a-folder.txt");
  std::ofstream(file) << "x";
  ShowFolder(file + "\\QVX");
  {
    const LogSince log;
    wizard.Click(IDC_WIZ_FINISH);
    EXPECT_TRUE(log.Has("Failed to create directory " + file + "\\QVX\\")) << log.Text();
    EXPECT_TRUE(log.Has("Installation of Brenmoor has failed.")) << log.Text();
  }
  EXPECT_EQ(runs, 0) << "nothing runs after a folder that cannot be made";

  // Then an attempt that fails behind the progress dialog.
  ShowFolder(temp.path() + "\\First\\QVX");
  failNextRun = true;
  {
    const LogSince log;
    wizard.Click(IDC_WIZ_FINISH);
    EXPECT_TRUE(log.Has("Installation of Brenmoor has failed.")) << log.Text();
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(folderOfRun, temp.path() + "\\First\\QVX");
  EXPECT_NE(engine.payloadBuffer.bytes, nullptr) << "the payload outlives the failed Finish";
  EXPECT_EQ(wizard.dialog.GetInstallOutcome(), InstallOutcome::kFailed);

  // The user goes back, picks another folder and presses Finish again.
  wizard.Click(IDC_WIZ_BACK);
  ShowFolder(temp.path() + "\\QVX");
  wizard.Click(IDC_WIZ_NEXT);
  {
    const LogSince log;
    wizard.Click(IDC_WIZ_FINISH);
    EXPECT_TRUE(log.Has("Installation of Brenmoor has completed successfully.")) << log.Text();
  }
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(payloadPresentAtRun) << "the installation ran from the payload";
  EXPECT_EQ(folderOfRun, temp.path() + "\\QVX") << "a fresh attempt with the new folder";
  EXPECT_EQ(engine.payloadBuffer.bytes, nullptr) << "the end of the run releases it";
  EXPECT_EQ(engine.desktopShortcut, 1);
  EXPECT_EQ(wizard.dialog.GetInstallOutcome(), InstallOutcome::kCompleted);
}

}  // namespace
