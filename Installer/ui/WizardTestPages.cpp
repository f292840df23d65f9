#include "ui/WizardTestPages.h"

void CallLog::Add(const std::string& call) {
  std::lock_guard<std::mutex> hold(lock_);
  calls_.push_back(call);
}

std::vector<std::string> CallLog::Calls() const {
  std::lock_guard<std::mutex> hold(lock_);
  return calls_;
}

ScriptedPage::ScriptedPage(const char* name, UINT templateId, CallLog& log)
    : CNewWizPage(templateId), name_(name), log_(log) {}

bool ScriptedPage::OnInitDialog() {
  const bool focus = CNewWizPage::OnInitDialog();
  ApplyTitleFont();
  return focus;
}

bool ScriptedPage::OnPageCreated() {
  RECT rect;
  GetWindowRect(GetSafeHwnd(), &rect);
  sizeAtCreation = {rect.right - rect.left, rect.bottom - rect.top};
  log_.Add(name_ + ".created");
  return createdAnswer;
}

void ScriptedPage::OnPageDestroying() { log_.Add(name_ + ".destroying"); }

bool ScriptedPage::OnLeavePage() {
  log_.Add(name_ + ".leave");
  return leaveAnswer;
}

void ScriptedPage::OnEnterPage() { log_.Add(name_ + ".enter"); }

bool ScriptedPage::OnCancelWizard() {
  log_.Add(name_ + ".cancel");
  return cancelAnswer;
}

int ScriptedPage::OnBackPressed() {
  log_.Add(name_ + ".back");
  return backAnswer;
}

int ScriptedPage::OnNextPressed() {
  log_.Add(name_ + ".next");
  return nextAnswer;
}

bool ScriptedPage::OnFinishWizard() {
  log_.Add(name_ + ".finish");
  return finishAnswer;
}

TestWizard::TestWizard(std::vector<ScriptedPage*> pages)
    : CNewWizDialog(IDD_TEST_WIZARD), pages_(std::move(pages)) {}

bool TestWizard::OnInitDialog() {
  SetPlaceholderId(IDC_TEST_PLACEHOLDER);
  for (ScriptedPage* page : pages_) AddPage(page, page->GetPageTemplateId());
  const bool focus = CNewWizDialog::OnInitDialog();
  window = GetSafeHwnd();
  return focus;
}

bool TestWizard::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case SyncPoint::kSyncCommand:
      sync.Signal();
      return true;
    case kAbortCommand:
      EndDialog(kAborted);
      return true;
    default:
      return CNewWizDialog::OnCommand(wParam, lParam);
  }
}

std::string TestWizard::ShownPages() const {
  std::string shown;
  for (const ScriptedPage* page : pages_) {
    const HWND window = page->GetSafeHwnd();
    if (window == nullptr || (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    if (!shown.empty()) shown += ",";
    shown += page->Name();
  }
  return shown;
}

void TestWizard::Click(int buttonId) const {
  SendMessageA(::GetDlgItem(window, buttonId), BM_CLICK, 0, 0);
}

bool TestWizard::IsEnabled(int buttonId) const {
  return IsWindowEnabled(::GetDlgItem(window, buttonId)) != FALSE;
}

std::function<void()> TestWizard::AbortIfOpen() const {
  return [this] {
    const HWND frame = window;
    if (frame == nullptr || WaitUntil([frame] { return !IsWindow(frame); }, 3000)) return;
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(kAbortCommand, BN_CLICKED), 0);
  };
}
