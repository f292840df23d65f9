// The ready-to-install page in the installer's wizard: Finish runs the installation behind the
// progress dialog and reports what it came to. Workers of the test's own stand in for the
// installation.
#include "ui/InstallPage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "framework/DialogTestTools.h"
#include "res/resource.h"
#include "support/ScopedTempDir.h"
#include "ui/InstallerWizardTesting.h"
#include "LogReader.h"

namespace {

std::atomic<bool> workerStarted{false};

bool Succeeds(ProgressContext*) { return true; }
bool Fails(ProgressContext*) { return false; }
// Works until the dialog asks it to stop, as the extraction does between two files.
bool WorksUntilStopped(ProgressContext* context) {
  workerStarted = true;
  const DWORD start = GetTickCount();
  while (context->terminated == 0 && GetTickCount() - start < 10000) Sleep(5);
  return false;
}

TEST(InstallPageTest, FinishReportsWhatTheInstallationCameTo) {
  struct Case {
    const char* name;
    CUPDialog::Worker worker;
    bool stopDialog;  // the user presses Escape in the progress dialog
    InstallOutcome outcome;
    const char* sentence;
  } cases[] = {
      {"completed", Succeeds, false, InstallOutcome::kCompleted,
       "Installation of Brenmoor has completed successfully."},
      {"a step failed", Fails, false, InstallOutcome::kFailed, "Installation of Brenmoor has failed."},
      {"stopped in the progress dialog: no success", WorksUntilStopped, true,
       InstallOutcome::kCancelled, "Installation of Brenmoor has failed."},
  };
  for (const Case& c : cases) {
    ScopedTempDir folder;
    CInstaller engine;
    SetUpTestEngine(engine);
    engine.payloadBuffer.bytes.reset(new uint8_t[4]);
    engine.payloadBuffer.size = 4;
    TestInstallerWizard wizard(engine, c.worker);
    ASSERT_TRUE(wizard.Open()) << c.name;
    ASSERT_TRUE(wizard.GoTo(IDD_INSTALL_PAGE)) << c.name;
    SetWindowTextA(wizard.PageControl(IDD_DESTINATION_PAGE, IDC_PAGE_EDIT),
                   (folder.path() + "\\QVX").c_str());
    workerStarted = false;
    const LogSince log;
    {
      // Escape in the progress dialog becomes its IDCANCEL command.
      ScriptThread user(
          [&] {
            if (!c.stopDialog) return;
            HWND progress = nullptr;
            if (!WaitUntil([&] {
                  return workerStarted && (progress = FindWindowA(nullptr, "Please Wait..")) != nullptr;
                })) {
              return;
            }
            PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
          },
          [] {});
      wizard.Click(IDC_WIZ_FINISH);  // returns once the outcome has been reported
    }
    EXPECT_EQ(wizard.dialog.GetInstallOutcome(), c.outcome) << c.name;
    EXPECT_TRUE(log.Has(c.sentence)) << c.name << "\n" << log.Text();
    EXPECT_EQ(log.Has("has completed successfully."), c.outcome == InstallOutcome::kCompleted)
        << c.name;
    EXPECT_EQ(log.Has("The installation was cancelled in the progress dialog."), c.stopDialog)
        << c.name;
    // A failed attempt leaves the wizard open with the package, for another Finish; a completed
    // or stopped one ends the run.
    EXPECT_EQ(engine.payloadBuffer.bytes == nullptr, c.outcome != InstallOutcome::kFailed)
        << c.name;
  }
}

}  // namespace
