// The dialog layer: data exchange, the modal run and its message routing, the colour request.
// Modal runs are driven from a second thread, as a user drives them.
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "framework/DialogTestResources.h"
#include "framework/DialogTestTools.h"
#include "framework/WinApp.h"

namespace {

constexpr int kEndWith7Command = 0x7F01;
constexpr int kAbortCommand = 0x7F02;
constexpr INT_PTR kAborted = -2;

// The pop-up test dialog: its text is exchanged with the edit; it answers the sync command, ends
// with 7 on kEndWith7Command and with kAborted when a script gives up.
class TextDialog : public CDialog {
 public:
  explicit TextDialog(HWND parent = nullptr) : CDialog(IDD_TEST_POPUP, parent) {}

  std::string text;
  SyncPoint sync;
  std::atomic<HWND> window{nullptr};
  HWND mainWindowDuringRun = nullptr;

 protected:
  bool OnInitDialog() override {
    const bool focus = CDialog::OnInitDialog();
    window = GetSafeHwnd();
    mainWindowDuringRun = AfxGetMainWnd();
    return focus;
  }
  void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_TEST_TEXT, text); }
  bool OnCommand(WPARAM wParam, LPARAM lParam) override {
    switch (LOWORD(wParam)) {
      case SyncPoint::kSyncCommand:
        sync.Signal();
        return true;
      case kEndWith7Command:
        EndDialog(7);
        return true;
      case kAbortCommand:
        EndDialog(kAborted);
        return true;
      default:
        return CDialog::OnCommand(wParam, lParam);
    }
  }
};

// Closes a dialog that a failed script step left open.
std::function<void()> AbortIfOpen(const std::atomic<HWND>& window) {
  return [&window] {
    const HWND dialog = window;
    if (dialog == nullptr || WaitUntil([dialog] { return !IsWindow(dialog); }, 3000)) return;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kAbortCommand, BN_CLICKED), 0);
  };
}

bool WaitForWindow(const std::atomic<HWND>& window) {
  return WaitUntil([&window] { return window.load() != nullptr; });
}

TEST(DialogTest, DataExchangeMovesEditTextsBothWays) {
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"one line", "Norvane"},
      {"CR LF line breaks pass unchanged", "First line\r\nSecond line\r\n\r\nLast"},
      {"empty", ""},
      {"longer than a path", std::string(3000, 'x')},
  };
  for (const Case& c : cases) {
    TextDialog dialog;
    dialog.text = c.text;
    ASSERT_TRUE(dialog.Create(IDD_TEST_POPUP, nullptr)) << c.name;  // OnInitDialog loads the edit
    const HWND edit = dialog.GetDlgItem(IDC_TEST_TEXT);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TEST_TEXT), c.text) << c.name;

    SetWindowTextA(edit, (c.text + "+typed").c_str());
    EXPECT_EQ(dialog.text, c.text) << c.name << ": nothing moves without UpdateData";
    ASSERT_TRUE(dialog.UpdateData(true)) << c.name;
    EXPECT_EQ(dialog.text, c.text + "+typed") << c.name;
  }
}

TEST(DialogTest, ModalRunEndsWithTheCodeOfTheWayItWasClosed) {
  struct Case {
    const char* name;
    std::function<void(HWND dialog)> close;
    INT_PTR want;
    bool textSaved;  // only OK saves the controls
  } cases[] = {
      {"OK button", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }, IDOK, true},
      {"Cancel button", [](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); },
       IDCANCEL, false},
      {"Escape key", [](HWND d) { PostKey(d, VK_ESCAPE); }, IDCANCEL, false},
      {"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL, false},
      {"EndDialog(7) from a command handler",
       [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(kEndWith7Command, BN_CLICKED), 0); }, 7,
       false},
  };
  for (const Case& c : cases) {
    TextDialog dialog;
    dialog.text = "before";
    {
      ScriptThread script(
          [&] {
            if (!WaitForWindow(dialog.window)) return;
            SetWindowTextA(GetDlgItem(dialog.window, IDC_TEST_TEXT), "typed");
            c.close(dialog.window);
          },
          AbortIfOpen(dialog.window));
      EXPECT_EQ(dialog.DoModal(), c.want) << c.name;
    }
    EXPECT_EQ(dialog.text, c.textSaved ? "typed" : "before") << c.name;
    EXPECT_FALSE(IsWindow(dialog.window)) << c.name << ": the window is gone after the run";
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << c.name;
  }
}

TEST(DialogTest, ModalRunDisablesItsOwnerAndIsTheMainWindowMeanwhile) {
  CWinApp app;  // without a main window
  TextDialog owner;
  ASSERT_TRUE(owner.Create(IDD_TEST_POPUP, nullptr));
  ShowWindow(owner.GetSafeHwnd(), SW_SHOW);

  TextDialog dialog(owner.GetSafeHwnd());
  bool ownerEnabledDuringRun = true;
  HWND ownerOfDialog = nullptr;
  {
    ScriptThread script(
        [&] {
          if (!WaitForWindow(dialog.window)) return;
          ownerEnabledDuringRun = IsWindowEnabled(owner.GetSafeHwnd()) != FALSE;
          ownerOfDialog = GetWindow(dialog.window, GW_OWNER);
          PostMessageA(dialog.window, WM_CLOSE, 0, 0);
        },
        AbortIfOpen(dialog.window));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  }
  EXPECT_FALSE(ownerEnabledDuringRun);
  EXPECT_EQ(ownerOfDialog, owner.GetSafeHwnd());
  EXPECT_TRUE(IsWindowEnabled(owner.GetSafeHwnd())) << "the owner is enabled again afterwards";
  EXPECT_EQ(dialog.mainWindowDuringRun, dialog.window.load());
  EXPECT_EQ(app.GetMainWnd(), nullptr) << "the place is given up after the run";
}

// A child dialog inside the pop-up, both recording which of them saw a key press first.
class RecordingChild : public CDialog {
 public:
  RecordingChild(std::vector<std::string>& seen, bool skipEnter)
      : CDialog(IDD_TEST_CHILD), seen_(seen), skipEnter_(skipEnter) {}

  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_RETURN)
      return CDialog::PreTranslateMessage(msg);
    seen_.push_back("child");
    if (skipEnter_) return false;  // kept from this dialog's own dialog manager
    return CDialog::PreTranslateMessage(msg);
  }

  int okCommands = 0;

 protected:
  void OnOK() override { ++okCommands; }

 private:
  std::vector<std::string>& seen_;
  bool skipEnter_;
};

class RecordingParent : public TextDialog {
 public:
  explicit RecordingParent(bool childSkipsEnter) : child(seen, childSkipsEnter) {}

  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) seen.push_back("parent");
    return TextDialog::PreTranslateMessage(msg);
  }

  std::vector<std::string> seen;
  RecordingChild child;

 protected:
  bool OnInitDialog() override {
    const bool focus = TextDialog::OnInitDialog();
    child.Create(IDD_TEST_CHILD, GetSafeHwnd());
    SetWindowPos(child.GetSafeHwnd(), nullptr, 0, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return focus;
  }
};

TEST(DialogTest, KeysReachTheInnermostDialogFirstThenItsParentBeforeTheDialogManager) {
  struct Case {
    const char* name;
    bool childSkipsEnter;
    std::vector<std::string> wantSeen;
    INT_PTR wantResult;
    int wantChildOk;
  } cases[] = {
      // The child's dialog manager takes Enter: an IDOK of the child, the parent never sees it.
      {"the child's dialog manager handles Enter", false, {"child"}, IDCANCEL, 1},
      // Kept from the child's manager, Enter reaches the parent's, which presses its default
      // button, OK.
      {"the child lets Enter through", true, {"child", "parent"}, IDOK, 0},
  };
  for (const Case& c : cases) {
    RecordingParent dialog(c.childSkipsEnter);
    INT_PTR result = 0;
    {
      ScriptThread script(
          [&] {
            // The child comes after the parent's window: wait for its edit itself.
            HWND edit = nullptr;
            auto findEdit = [&] {
              edit = FindDescendant(dialog.window, IDC_TEST_CHILD_EDIT);
              return edit != nullptr;
            };
            if (!WaitForWindow(dialog.window) || !WaitUntil(findEdit)) return;
            PostKey(edit, VK_RETURN);
            if (!dialog.sync.PostAndWait(dialog.window)) return;
            if (IsWindow(dialog.window)) PostMessageA(dialog.window, WM_CLOSE, 0, 0);
          },
          AbortIfOpen(dialog.window));
      result = dialog.DoModal();
    }
    EXPECT_EQ(dialog.seen, c.wantSeen) << c.name;
    EXPECT_EQ(result, c.wantResult) << c.name;
    EXPECT_EQ(dialog.child.okCommands, c.wantChildOk) << c.name;
  }
}

// The pop-up with a child dialog under its text; the child's multi-line text has the focus at
// the start.
class ParentOfNavigationChild : public TextDialog {
 public:
  explicit ParentOfNavigationChild(UINT childTemplate)
      : child(childTemplate), childTemplate_(childTemplate) {}

  CDialog child;

 protected:
  bool OnInitDialog() override {
    TextDialog::OnInitDialog();
    child.Create(childTemplate_, GetSafeHwnd());
    SetWindowPos(child.GetSafeHwnd(), nullptr, 0, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(child.GetDlgItem(IDC_TEST_NAV_TEXT)), TRUE);
    return false;
  }

 private:
  UINT childTemplate_;
};

TEST(DialogTest, ATextInAChildWithDsControlTabsAndEscapesAsInItsParent) {
  struct Case {
    const char* name;
    UINT childTemplate;
    std::vector<int> wantFocusAfterTabs;
    const char* wantAfterEscape;
  } cases[] = {
      // Tab moves on from the child's last control into the parent's; Escape cancels the parent.
      {"a child with DS_CONTROL", IDD_TEST_NAV_CHILD, {IDC_TEST_NAV_CHECK, IDC_TEST_TEXT},
       "closed"},
      // A plain child keeps both keys to itself.
      {"a plain child", IDD_TEST_PLAIN_CHILD, {IDC_TEST_NAV_CHECK, IDC_TEST_NAV_TEXT}, "open"},
  };
  for (const Case& c : cases) {
    ParentOfNavigationChild dialog(c.childTemplate);
    std::vector<int> focusAfterTabs;
    std::string afterEscape;
    {
      ScriptThread script(
          [&] {
            if (!WaitForWindow(dialog.window) || !dialog.sync.PostAndWait(dialog.window)) return;
            for (int tab = 0; tab < 2; ++tab) {
              PostKey(FocusOnThreadOf(dialog.window), VK_TAB);
              if (!dialog.sync.PostAndWait(dialog.window)) return;
              focusAfterTabs.push_back(GetDlgCtrlID(FocusOnThreadOf(dialog.window)));
            }
            PostKey(FindDescendant(dialog.window, IDC_TEST_NAV_TEXT), VK_ESCAPE);
            dialog.sync.PostAndWait(dialog.window);
            afterEscape = WaitUntil([&] { return !IsWindow(dialog.window); }, 500) ? "closed"
                                                                                    : "open";
            if (IsWindow(dialog.window)) PostMessageA(dialog.window, WM_CLOSE, 0, 0);
          },
          AbortIfOpen(dialog.window));
      EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.name;
    }
    EXPECT_EQ(focusAfterTabs, c.wantFocusAfterTabs) << c.name;
    EXPECT_EQ(afterEscape, c.wantAfterEscape) << c.name;
  }
}

TEST(DialogTest, EnterInAChildsMultiLineTextPressesTheParentsDefaultButton) {
  struct Case {
    const char* name;
    UINT childTemplate;
    INT_PTR wantResult;
  } cases[] = {
      // The parent's default button is OK: the child with DS_CONTROL passes Enter on to it.
      {"a child with DS_CONTROL", IDD_TEST_NAV_CHILD, IDOK},
      // A plain child keeps Enter to itself; the script then closes the parent.
      {"a plain child", IDD_TEST_PLAIN_CHILD, IDCANCEL},
  };
  for (const Case& c : cases) {
    ParentOfNavigationChild dialog(c.childTemplate);
    {
      ScriptThread script(
          [&] {
            if (!WaitForWindow(dialog.window) || !dialog.sync.PostAndWait(dialog.window)) return;
            PostKey(FindDescendant(dialog.window, IDC_TEST_NAV_TEXT), VK_RETURN);
            dialog.sync.PostAndWait(dialog.window);
            WaitUntil([&] { return !IsWindow(dialog.window); }, 500);
            if (IsWindow(dialog.window)) PostMessageA(dialog.window, WM_CLOSE, 0, 0);
          },
          AbortIfOpen(dialog.window));
      EXPECT_EQ(dialog.DoModal(), c.wantResult) << c.name;
    }
  }
}

class ColourDialog : public TextDialog {
 public:
  std::vector<UINT> types;
  HBRUSH staticBrush = CreateSolidBrush(RGB(1, 2, 3));
  ~ColourDialog() override { DeleteObject(staticBrush); }

 protected:
  HBRUSH OnCtlColor(HDC, HWND, UINT ctlType) override {
    types.push_back(ctlType);
    return ctlType == CTLCOLOR_STATIC ? staticBrush : nullptr;
  }
};

TEST(DialogTest, ColourRequestsReachOnCtlColorWithTheirTypeAndAnswerItsBrush) {
  struct Case {
    UINT message;
    UINT type;
  } cases[] = {
      {WM_CTLCOLORMSGBOX, CTLCOLOR_MSGBOX},   {WM_CTLCOLOREDIT, CTLCOLOR_EDIT},
      {WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX}, {WM_CTLCOLORBTN, CTLCOLOR_BTN},
      {WM_CTLCOLORDLG, CTLCOLOR_DLG},         {WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR},
      {WM_CTLCOLORSTATIC, CTLCOLOR_STATIC},
  };
  ColourDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST_POPUP, nullptr));
  const HDC dc = GetDC(dialog.GetSafeHwnd());
  for (const Case& c : cases) {
    dialog.types.clear();
    const LRESULT brush =
        SendMessageA(dialog.GetSafeHwnd(), c.message, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDOK)));
    EXPECT_EQ(dialog.types, std::vector<UINT>{c.type}) << "message 0x" << std::hex << c.message;
    if (c.type == CTLCOLOR_STATIC) {
      EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), dialog.staticBrush);
    } else {
      EXPECT_NE(reinterpret_cast<HBRUSH>(brush), dialog.staticBrush)
          << "message 0x" << std::hex << c.message << ": null leaves the default";
    }
  }
  ReleaseDC(dialog.GetSafeHwnd(), dc);
}

TEST(DialogTest, TheObjectTakesItsWindowDownWithIt) {
  HWND window = nullptr;
  {
    TextDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_POPUP, nullptr));
    window = dialog.GetSafeHwnd();
    EXPECT_EQ(CDialog::FromHandle(window), &dialog);
    EXPECT_FALSE(dialog.Create(IDD_TEST_POPUP, nullptr)) << "one window per object";
  }
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
