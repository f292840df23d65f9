// A test wizard and pages whose answers a test sets and whose calls it reads back (linked into
// installer_tests only).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "framework/DialogTestTools.h"
#include "ui/NewWizDialog.h"
#include "ui/NewWizPage.h"
#include "ui/WizardTestResources.h"

// The calls the pages received, as "<page>.<call>" ("A.created", "B.leave"), in order. Written on
// the dialog's thread, read by the test.
class CallLog {
 public:
  void Add(const std::string& call);
  std::vector<std::string> Calls() const;

 private:
  mutable std::mutex lock_;
  std::vector<std::string> calls_;
};

// A page that records every wizard call and answers as the test set it (atomics: a script thread
// may change an answer between two clicks). It gives its title the title font, as the installer's
// pages do.
class ScriptedPage : public CNewWizPage {
 public:
  ScriptedPage(const char* name, UINT templateId, CallLog& log);

  std::atomic<bool> createdAnswer{true};
  std::atomic<bool> leaveAnswer{true};
  std::atomic<bool> cancelAnswer{true};
  std::atomic<bool> finishAnswer{true};
  std::atomic<int> backAnswer{0};
  std::atomic<int> nextAnswer{0};
  // The window's size when it was created.
  SIZE sizeAtCreation = {0, 0};

  const std::string& Name() const { return name_; }

  bool OnPageCreated() override;
  void OnPageDestroying() override;
  bool OnLeavePage() override;
  void OnEnterPage() override;
  bool OnCancelWizard() override;
  int OnBackPressed() override;
  int OnNextPressed() override;
  bool OnFinishWizard() override;

 protected:
  bool OnInitDialog() override;

 private:
  std::string name_;
  CallLog& log_;
};

// The test wizard (template IDD_TEST_WIZARD) with the given pages in order. It answers the sync
// command and ends with kAborted on kAbortCommand, so a script that gives up can close it.
class TestWizard : public CNewWizDialog {
 public:
  static constexpr int kAbortCommand = 0x7F02;
  static constexpr INT_PTR kAborted = -2;

  explicit TestWizard(std::vector<ScriptedPage*> pages);

  std::atomic<HWND> window{nullptr};
  SyncPoint sync;

  // The names of the pages whose windows are shown, joined with ","; "" when none is.
  std::string ShownPages() const;
  // Clicks a frame button and returns once the click has been handled (SendMessage).
  void Click(int buttonId) const;
  bool IsEnabled(int buttonId) const;
  // For ScriptThread: posts kAbortCommand when the wizard is still open 3 s after the script.
  std::function<void()> AbortIfOpen() const;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  std::vector<ScriptedPage*> pages_;
};
