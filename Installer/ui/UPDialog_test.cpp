// The progress dialog with workers of the test's own: end codes, the progress messages, the
// caption, and stopping it with Escape or the close command while the worker runs.
#include "ui/UPDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/CommonControls.h"
#include "framework/Dialog.h"
#include "framework/DialogTestResources.h"
#include "framework/DialogTestTools.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/WizardTestPages.h"

namespace {

// What a test worker is told and what it saw; the dialog's user data.
struct WorkerRun {
  bool result = true;
  DWORD busyAfterStopMs = 0;    // how long the worker keeps going once |terminated| is set
  bool sendsWhileBusy = false;  // keeps sending status texts without looking at |terminated|
  std::atomic<bool> started{false};
  std::atomic<bool> returned{false};
  std::atomic<int> timedOutSends{0};
  // Seen by the reporting worker.
  std::string caption;
  std::string statusAtStart;
  int positionAtStart = -1;
  std::string statusAfterSetText;
  int positionAfterSetPos = -1;
  // Seen by the worker that looks at its owner.
  HWND frame = nullptr;
  bool frameEnabled = true;
  HWND dialogOwner = nullptr;
  void* contextOwner = nullptr;
  DWORD workerThread = 0;
  HWND workerMainWindow = nullptr;
  HWND dialogWindow = nullptr;
  RECT dialogRect = {};
  RECT frameRect = {};
};

WorkerRun& RunOf(ProgressContext* context) { return *static_cast<WorkerRun*>(context->userData); }

std::string ControlText(HWND control) {
  char text[512] = {};
  GetWindowTextA(control, text, sizeof(text));
  return text;
}

bool ReturnsAtOnce(ProgressContext* context) {
  WorkerRun& run = RunOf(context);
  run.returned = true;
  return run.result;
}

// Reads the dialog as the worker finds it, reports a position and a status text as the
// extraction step does, reads them back, then answers the run's result.
bool ReportsProgress(ProgressContext* context) {
  WorkerRun& run = RunOf(context);
  const HWND dialog = context->dialogWindow;
  const HWND status = GetDlgItem(dialog, IDC_PROGRESS_STATUS);
  const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  char caption[512] = {};
  GetWindowTextA(dialog, caption, sizeof(caption));
  run.caption = caption;
  run.statusAtStart = ControlText(status);
  run.positionAtStart = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));

  SendMessageA(dialog, WM_UPD_SET_POS, 42, 0);
  SendMessageA(dialog, WM_UPD_SET_TEXT, 0, reinterpret_cast<LPARAM>("Copying files 42%"));
  run.positionAfterSetPos = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
  run.statusAfterSetText = ControlText(status);
  run.returned = true;
  return run.result;
}

bool LooksAtItsOwner(ProgressContext* context) {
  WorkerRun& run = RunOf(context);
  run.frameEnabled = IsWindowEnabled(run.frame) != FALSE;
  run.dialogOwner = GetWindow(context->dialogWindow, GW_OWNER);
  run.contextOwner = context->owner;
  run.workerThread = GetCurrentThreadId();
  // Where the worker's message boxes go (the engine's reports take their owner from here).
  run.workerMainWindow = AfxGetMainWnd();
  run.dialogWindow = context->dialogWindow;
  GetWindowRect(context->dialogWindow, &run.dialogRect);
  GetWindowRect(run.frame, &run.frameRect);
  return true;
}

// Works until the dialog asks it to stop (at most 10 s), then goes on for busyAfterStopMs.
bool BusyUntilStopped(ProgressContext* context) {
  WorkerRun& run = RunOf(context);
  run.started = true;
  const DWORD start = GetTickCount();
  while (context->terminated == 0 && GetTickCount() - start < 10000) Sleep(5);
  const DWORD stopSeen = GetTickCount();
  while (GetTickCount() - stopSeen < run.busyAfterStopMs) {
    if (run.sendsWhileBusy) {
      // A bounded wait, so a dialog thread that never answers fails the test instead of
      // hanging it.
      DWORD_PTR answer = 0;
      if (!SendMessageTimeoutA(context->dialogWindow, WM_UPD_SET_TEXT, 0,
                               reinterpret_cast<LPARAM>("Copying files 50%"), SMTO_NORMAL, 5000,
                               &answer) &&
          GetLastError() == ERROR_TIMEOUT) {
        ++run.timedOutSends;
      }
    }
    Sleep(1);
  }
  run.returned = true;
  return true;
}

class UPDialogTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InitCommonControlsForWizard()); }
};

// The progress dialog with |caption|, once it is up; null after 5 s.
HWND WaitForProgressDialog(const char* caption) {
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = FindWindowA(nullptr, caption)) != nullptr; });
  return dialog;
}

TEST_F(UPDialogTest, TheWorkersResultIsTheEndCode) {
  struct Case {
    const char* name;
    CUPDialog::Worker worker;
    bool result;
    int want;
  } cases[] = {
      {"reports progress and succeeds", ReportsProgress, true, kUPDialogWorkerSucceeded},
      {"reports progress and fails", ReportsProgress, false, kUPDialogWorkerFailed},
      {"returns true at once", ReturnsAtOnce, true, kUPDialogWorkerSucceeded},
      {"returns false at once", ReturnsAtOnce, false, kUPDialogWorkerFailed},
  };
  for (const Case& c : cases) {
    WorkerRun run;
    run.result = c.result;
    CUPDialog dialog(nullptr, c.worker, &run, "Please Wait..", true);
    const DWORD start = GetTickCount();
    EXPECT_EQ(dialog.Show(), c.want) << c.name;
    EXPECT_TRUE(run.returned) << c.name;
    EXPECT_LT(GetTickCount() - start, 3000u) << c.name << ": the worker's end closes the dialog";
  }
}

TEST_F(UPDialogTest, ProgressMessagesReachTheBarAndTheStatusLine) {
  WorkerRun run;
  CUPDialog dialog(nullptr, ReportsProgress, &run, "Please Wait..", true);
  ASSERT_EQ(dialog.Show(), kUPDialogWorkerSucceeded);
  EXPECT_EQ(run.caption, "Please Wait..");
  EXPECT_EQ(run.statusAtStart, "") << "the template's \"Static\" is emptied at start";
  EXPECT_EQ(run.positionAtStart, 0);
  EXPECT_EQ(run.positionAfterSetPos, 42);
  EXPECT_EQ(run.statusAfterSetText, "Copying files 42%");
}

TEST_F(UPDialogTest, ALongCaptionIsCutTo255Bytes) {
  const std::string caption = "Installing " + std::string(289, 'N');  // 300 bytes
  WorkerRun run;
  CUPDialog dialog(nullptr, ReportsProgress, &run, caption.c_str(), true);
  EXPECT_EQ(std::string(dialog.GetCaption()), caption.substr(0, 255));
  ASSERT_EQ(dialog.Show(), kUPDialogWorkerSucceeded);
  EXPECT_EQ(run.caption, caption.substr(0, 255));
}

TEST_F(UPDialogTest, RunsTheWorkerOnItsOwnThreadWhileTheOwnersWizardTakesNoInput) {
  CallLog log;
  ScriptedPage page("A", IDD_TEST_PAGE_FIRST, log);
  TestWizard wizard({&page});
  ASSERT_TRUE(wizard.Create(IDD_TEST_WIZARD, nullptr));
  ShowWindow(wizard.GetSafeHwnd(), SW_SHOW);
  WorkerRun run;
  run.frame = wizard.GetSafeHwnd();
  CUPDialog dialog(&page, LooksAtItsOwner, &run, "Please Wait..", true);

  EXPECT_EQ(dialog.Show(), kUPDialogWorkerSucceeded);
  EXPECT_FALSE(run.frameEnabled);
  EXPECT_EQ(run.dialogOwner, wizard.GetSafeHwnd()) << "owned by the page's top-level window";
  EXPECT_EQ(run.contextOwner, static_cast<void*>(&page));
  EXPECT_NE(run.workerThread, GetCurrentThreadId());
  EXPECT_TRUE(IsWindowEnabled(wizard.GetSafeHwnd())) << "the wizard takes input again afterwards";
}

TEST_F(UPDialogTest, OpensCentredOverTheWizardAndOwnsTheWorkersBoxes) {
  CallLog log;
  ScriptedPage page("A", IDD_TEST_PAGE_FIRST, log);
  TestWizard wizard({&page});
  ASSERT_TRUE(wizard.Create(IDD_TEST_WIZARD, nullptr));
  // Away from the screen's corner, so that centring is not the same as keeping it in the corner.
  SetWindowPos(wizard.GetSafeHwnd(), nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(wizard.GetSafeHwnd(), SW_SHOW);
  WorkerRun run;
  run.frame = wizard.GetSafeHwnd();
  CUPDialog dialog(&page, LooksAtItsOwner, &run, "Please Wait..", true);

  ASSERT_EQ(dialog.Show(), kUPDialogWorkerSucceeded);
  EXPECT_EQ(run.workerMainWindow, run.dialogWindow);
  const RECT& d = run.dialogRect;
  const RECT& f = run.frameRect;
  EXPECT_NEAR(d.left + d.right, f.left + f.right, 1) << "horizontal centres (doubled)";
  EXPECT_NEAR(d.top + d.bottom, f.top + f.bottom, 1) << "vertical centres (doubled)";
  EXPECT_GT(d.top, f.top) << "not over the wizard's title";
}

TEST(CaptionPrefixTest, KeepsAtMostTheLimitWithoutSplittingACharacter) {
  const std::string hiragana = "\x82\xa0";  // one double-byte character in code page 932
  struct Case {
    const char* name;
    const char* text;
    UINT codePage;
    std::string want;
  } cases[] = {
      {"short text", "Please Wait..", 1252, "Please Wait.."},
      {"null", nullptr, 1252, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CaptionPrefix(c.text, 255, c.codePage), c.want) << c.name;

  struct LongCase {
    const char* name;
    std::string text;
    UINT codePage;
    size_t wantBytes;
  } longCases[] = {
      {"exactly the limit", std::string(255, 'a'), 1252, 255},
      {"one byte over", std::string(256, 'a'), 1252, 255},
      {"a double-byte character ending on the limit stays", std::string(253, 'a') + hiragana, 932,
       255},
      {"a double-byte character across the limit goes whole",
       std::string(254, 'a') + hiragana + "b", 932, 254},
      {"the same bytes in a single-byte code page are cut at the limit",
       std::string(254, 'a') + hiragana + "b", 1252, 255},
  };
  for (const LongCase& c : longCases) {
    EXPECT_EQ(CaptionPrefix(c.text.c_str(), 255, c.codePage), c.text.substr(0, c.wantBytes))
        << c.name;
  }
}

TEST_F(UPDialogTest, StoppingEndsTheDialogWithin1SecondAndWaitsForTheWorker) {
  const std::string initiated = "Termination Initiated..";
  const std::string complete = "Termination Complete ..Shutting Down !!";
  auto escape = [](HWND dialog) { PostKey(dialog, VK_ESCAPE); };
  auto closeCommand = [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
  struct Case {
    const char* name;
    std::function<void(HWND)> stop;
    bool cancelAllowed;
    DWORD busyAfterStopMs;
    std::vector<std::string> wantTexts;
    DWORD minMs;  // from the request to the end of the dialog window
    DWORD maxMs;
  } cases[] = {
      // A worker that notices the request before the dialog looks may spare it the first wait.
      {"Escape; the worker stops at once", escape, true, 0, {initiated}, 0, 1100},
      {"Escape; the worker is still busy", escape, true, 1500, {initiated, complete}, 950, 1600},
      {"close command; the worker is still busy",
       closeCommand,
       true,
       1500,
       {initiated, complete},
       950,
       1600},
      {"Escape with cancelling not allowed", escape, false, 1500, {initiated, complete}, 950, 1600},
  };
  for (const Case& c : cases) {
    WorkerRun run;
    run.busyAfterStopMs = c.busyAfterStopMs;
    const std::string caption = std::string("Stop test: ") + c.name;
    CUPDialog dialog(nullptr, BusyUntilStopped, &run, caption.c_str(), c.cancelAllowed);
    std::vector<std::string> texts;
    DWORD dialogMs = 0;
    DWORD stopRequested = 0;
    int result = 0;
    {
      HWND window = nullptr;
      ScriptThread script(
          [&] {
            window = WaitForProgressDialog(caption.c_str());
            if (window == nullptr || !WaitUntil([&] { return run.started.load(); })) return;
            const HWND status = GetDlgItem(window, IDC_PROGRESS_STATUS);
            stopRequested = GetTickCount();
            c.stop(window);
            // The status line is read without a message: the dialog's thread is asleep.
            while (IsWindow(window) && GetTickCount() - stopRequested < 5000) {
              const std::string text = StoredWindowText(status);
              if (!text.empty() && (texts.empty() || texts.back() != text)) texts.push_back(text);
              Sleep(2);
            }
            dialogMs = GetTickCount() - stopRequested;
          },
          [&] {
            if (window != nullptr && IsWindow(window))
              PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
          });
      result = dialog.Show();
    }
    const DWORD showMs = GetTickCount() - stopRequested;
    EXPECT_EQ(result, kUPDialogTerminated) << c.name;
    EXPECT_EQ(texts, c.wantTexts) << c.name;
    EXPECT_GE(dialogMs, c.minMs) << c.name;
    EXPECT_LE(dialogMs, c.maxMs) << c.name;
    // The worker ran to its end: nobody cut it off, and Show answered only after it returned.
    EXPECT_TRUE(run.returned) << c.name;
    EXPECT_GE(showMs + 50, c.busyAfterStopMs) << c.name;
  }
}

TEST_F(UPDialogTest, AWorkerWaitingInSendMessageWhenTheDialogEndsIsReleased) {
  WorkerRun run;
  run.busyAfterStopMs = 1500;
  run.sendsWhileBusy = true;  // blocked in SendMessage while the dialog waits in its stop
  CUPDialog dialog(nullptr, BusyUntilStopped, &run, "Stop while sending", true);
  DWORD stopRequested = 0;
  {
    ScriptThread script(
        [&] {
          const HWND window = WaitForProgressDialog("Stop while sending");
          if (window == nullptr || !WaitUntil([&] { return run.started.load(); })) return;
          stopRequested = GetTickCount();
          PostKey(window, VK_ESCAPE);
        },
        [] {});
    EXPECT_EQ(dialog.Show(), kUPDialogTerminated);
  }
  EXPECT_TRUE(run.returned);
  EXPECT_EQ(run.timedOutSends, 0) << "the dialog's thread answered the worker's messages";
  EXPECT_LT(GetTickCount() - stopRequested, 2500u);
}

TEST_F(UPDialogTest, NoWorkerRunsWhenTheDialogCannotBeCreated) {
  WorkerRun run;
  CDialog gone(IDD_TEST_POPUP);
  ASSERT_TRUE(gone.Create(IDD_TEST_POPUP, nullptr));
  CUPDialog dialog(&gone, ReturnsAtOnce, &run, "Please Wait..", true);
  gone.DestroyWindow();  // the owner window the dialog would belong to no longer exists

  EXPECT_EQ(dialog.Show(), -1);
  EXPECT_FALSE(run.returned);
}

}  // namespace
