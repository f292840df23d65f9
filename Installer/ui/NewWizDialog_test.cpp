// The wizard frame with a test wizard of three pages (A, B, C) whose answers each case sets: the
// buttons along the way, where Back and Next lead, Finish and Cancel reaching the pages, Enter in a
// page's edit. Clicks on a modeless wizard run on the test's thread; the modal runs are driven
// from a script thread, as a user drives them.
#include "ui/NewWizDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "framework/DialogTestTools.h"
#include "ui/WizardTestPages.h"

namespace {

struct Buttons {
  bool back;
  bool next;
  bool finish;
  bool operator==(const Buttons& other) const {
    return back == other.back && next == other.next && finish == other.finish;
  }
};

std::ostream& operator<<(std::ostream& out, const Buttons& b) {
  return out << "Back " << (b.back ? "on" : "off") << ", Next " << (b.next ? "on" : "off")
             << ", Finish " << (b.finish ? "on" : "off");
}

Buttons ReadButtons(const TestWizard& wizard) {
  return {wizard.IsEnabled(IDC_WIZ_BACK), wizard.IsEnabled(IDC_WIZ_NEXT),
          wizard.IsEnabled(IDC_WIZ_FINISH)};
}

using Calls = std::vector<std::string>;

struct ThreePages {
  CallLog log;
  ScriptedPage a{"A", IDD_TEST_PAGE_FIRST, log};
  ScriptedPage b{"B", IDD_TEST_PAGE_MIDDLE, log};
  ScriptedPage c{"C", IDD_TEST_PAGE_LAST, log};
  TestWizard wizard{{&a, &b, &c}};

  // The wizard as a shown modeless window on the test's thread.
  bool Open() {
    if (!wizard.Create(IDD_TEST_WIZARD, nullptr)) return false;
    ShowWindow(wizard.GetSafeHwnd(), SW_SHOW);
    PumpWaitingMessages();
    return true;
  }
};

TEST(NewWizDialogTest, ButtonsFollowThePagesForwardAndBack) {
  ThreePages w;
  ASSERT_TRUE(w.Open());
  struct Step {
    const char* name;
    int click;  // 0: none
    const char* shown;
    Buttons buttons;
  } steps[] = {
      {"at the start", 0, "A", {false, true, false}},
      {"Next to the middle page", IDC_WIZ_NEXT, "B", {true, true, false}},
      {"Next to the last page", IDC_WIZ_NEXT, "C", {true, false, true}},
      {"Back to the middle page keeps Finish", IDC_WIZ_BACK, "B", {true, true, true}},
      {"Back to the first page", IDC_WIZ_BACK, "A", {false, true, false}},
      {"Next from the first page again", IDC_WIZ_NEXT, "B", {true, true, false}},
  };
  for (const Step& s : steps) {
    if (s.click != 0) w.wizard.Click(s.click);
    EXPECT_EQ(w.wizard.ShownPages(), s.shown) << s.name;
    EXPECT_EQ(ReadButtons(w.wizard), s.buttons) << s.name;
  }
}

TEST(NewWizDialogTest, ReachingTheLastPageGivesFinishTheFocus) {
  ThreePages w;
  ASSERT_TRUE(w.Open());
  w.wizard.Click(IDC_WIZ_NEXT);
  EXPECT_NE(GetFocus(), w.wizard.GetDlgItem(IDC_WIZ_FINISH));
  w.wizard.Click(IDC_WIZ_NEXT);
  EXPECT_EQ(GetFocus(), w.wizard.GetDlgItem(IDC_WIZ_FINISH));
}

// The id of the frame's default button, the one Enter presses.
int DefaultButtonId(const TestWizard& wizard) {
  return LOWORD(SendMessageA(wizard.window, DM_GETDEFID, 0, 0));
}

TEST(NewWizDialogTest, EveryPageThatShowsGetsTheFocusAndEnterPressesNext) {
  ThreePages w;  // the first page has an edit; the other two no tab stop
  ASSERT_TRUE(w.Open());
  struct Step {
    const char* name;
    int click;  // 0: none
    int focus;
    int defaultButton;
  } steps[] = {
      {"at the start: the first page's edit", 0, IDC_TEST_PAGE_EDIT, IDC_WIZ_NEXT},
      {"Next to a page without a tab stop: Next", IDC_WIZ_NEXT, IDC_WIZ_NEXT, IDC_WIZ_NEXT},
      {"Next to the last page: Finish", IDC_WIZ_NEXT, IDC_WIZ_FINISH, IDC_WIZ_FINISH},
      // Finish stays enabled here; Enter must still mean Next.
      {"Back from the last page: Next", IDC_WIZ_BACK, IDC_WIZ_NEXT, IDC_WIZ_NEXT},
      {"Back to the first page: its edit again", IDC_WIZ_BACK, IDC_TEST_PAGE_EDIT, IDC_WIZ_NEXT},
  };
  for (const Step& s : steps) {
    if (s.click != 0) w.wizard.Click(s.click);
    const HWND focus = GetFocus();
    EXPECT_EQ(GetDlgCtrlID(focus), s.focus) << s.name;
    EXPECT_TRUE(IsWindowVisible(focus)) << s.name << ": not a control of a hidden page";
    EXPECT_EQ(DefaultButtonId(w.wizard), s.defaultButton) << s.name;
  }
}

TEST(NewWizDialogTest, AButtonDisabledWithTheFocusHandsItOn) {
  struct Case {
    const char* name;
    int focused;
    bool finishEnabled;
    int disabled;
    int wantFocus;
  } cases[] = {
      {"Back (as on going back to the first page): to Next", IDC_WIZ_BACK, false, IDC_WIZ_BACK,
       IDC_WIZ_NEXT},
      {"Next with Finish enabled: to Finish", IDC_WIZ_NEXT, true, IDC_WIZ_NEXT, IDC_WIZ_FINISH},
      {"Next with Finish disabled: to Cancel", IDC_WIZ_NEXT, false, IDC_WIZ_NEXT, IDCANCEL},
  };
  for (const Case& c : cases) {
    ThreePages w;
    ASSERT_TRUE(w.Open()) << c.name;
    w.wizard.Click(IDC_WIZ_NEXT);  // the middle page: Back and Next enabled
    if (c.finishEnabled) w.wizard.EnableFinish(true);
    SetFocus(w.wizard.GetDlgItem(c.focused));
    ASSERT_EQ(GetFocus(), w.wizard.GetDlgItem(c.focused)) << c.name;

    c.disabled == IDC_WIZ_BACK ? w.wizard.EnableBack(false) : w.wizard.EnableNext(false);

    EXPECT_EQ(GetFocus(), w.wizard.GetDlgItem(c.wantFocus)) << c.name;
  }
}

TEST(NewWizDialogTest, OnePageWizardOffersOnlyFinishWithTheFocus) {
  CallLog log;
  ScriptedPage only("A", IDD_TEST_PAGE_FIRST, log);
  TestWizard wizard({&only});
  ASSERT_TRUE(wizard.Create(IDD_TEST_WIZARD, nullptr));
  ShowWindow(wizard.GetSafeHwnd(), SW_SHOW);
  PumpWaitingMessages();

  EXPECT_EQ(wizard.ShownPages(), "A");
  EXPECT_EQ(ReadButtons(wizard), (Buttons{false, false, true}));
  EXPECT_EQ(GetFocus(), wizard.GetDlgItem(IDC_WIZ_FINISH));
}

TEST(NewWizDialogTest, PageAnswersDecideWhereBackAndNextLead) {
  const Calls toB = {"A.created", "A.enter", "A.next", "B.created", "A.leave", "B.enter"};
  auto then = [](Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
  };
  const Calls toC = then(toB, {"B.next", "C.created", "B.leave", "C.enter"});
  struct Case {
    const char* name;
    std::function<void(ThreePages&)> setUp;
    std::vector<int> clicks;
    const char* shown;
    Buttons buttons;
    Calls calls;
  } cases[] = {
      {"Next answered -1 (a failed check): nothing changes",
       [](ThreePages& w) { w.a.nextAnswer = -1; },
       {IDC_WIZ_NEXT},
       "A",
       {false, true, false},
       {"A.created", "A.enter", "A.next"}},
      {"Next named the last page: the middle one is skipped",
       [](ThreePages& w) { w.a.nextAnswer = IDD_TEST_PAGE_LAST; },
       {IDC_WIZ_NEXT},
       "C",
       {true, false, true},
       {"A.created", "A.enter", "A.next", "C.created", "A.leave", "C.enter"}},
      {"Next named no page",
       [](ThreePages& w) { w.a.nextAnswer = 9999; },
       {IDC_WIZ_NEXT},
       "A",
       {false, true, false},
       {"A.created", "A.enter", "A.next"}},
      {"the page refused to be left: the next page is created, not shown",
       [](ThreePages& w) { w.a.leaveAnswer = false; },
       {IDC_WIZ_NEXT},
       "A",
       {false, true, false},
       {"A.created", "A.enter", "A.next", "B.created", "A.leave"}},
      {"the next page refused its creation",
       [](ThreePages& w) { w.b.createdAnswer = false; },
       {IDC_WIZ_NEXT},
       "A",
       {false, true, false},
       {"A.created", "A.enter", "A.next", "B.created"}},
      {"a page that refused its creation is shown later without being asked again",
       [](ThreePages& w) { w.b.createdAnswer = false; },
       {IDC_WIZ_NEXT, IDC_WIZ_NEXT},
       "B",
       {true, true, false},
       {"A.created", "A.enter", "A.next", "B.created", "A.next", "A.leave", "B.enter"}},
      {"Back named the first page from the last",
       [](ThreePages& w) { w.c.backAnswer = IDD_TEST_PAGE_FIRST; },
       {IDC_WIZ_NEXT, IDC_WIZ_NEXT, IDC_WIZ_BACK},
       "A",
       {false, true, false},
       then(toC, {"C.back", "C.leave", "A.enter"})},
      {"Back answered -1",
       [](ThreePages& w) { w.c.backAnswer = -1; },
       {IDC_WIZ_NEXT, IDC_WIZ_NEXT, IDC_WIZ_BACK},
       "C",
       {true, false, true},
       then(toC, {"C.back"})},
  };
  for (const Case& c : cases) {
    ThreePages w;
    c.setUp(w);
    ASSERT_TRUE(w.Open()) << c.name;
    for (int click : c.clicks) w.wizard.Click(click);
    EXPECT_EQ(w.wizard.ShownPages(), c.shown) << c.name;
    EXPECT_EQ(ReadButtons(w.wizard), c.buttons) << c.name;
    EXPECT_EQ(w.log.Calls(), c.calls) << c.name;
  }
}

TEST(NewWizDialogTest, PagesLieAtThePlaceholdersTopLeftInTheirOwnSize) {
  ThreePages w;
  ASSERT_TRUE(w.Open());
  w.wizard.Click(IDC_WIZ_NEXT);
  RECT placeholder;
  ASSERT_TRUE(GetWindowRect(w.wizard.GetDlgItem(IDC_TEST_PLACEHOLDER), &placeholder));
  for (const ScriptedPage* page : {&w.a, &w.b}) {
    RECT rect;
    ASSERT_TRUE(GetWindowRect(page->GetSafeHwnd(), &rect)) << page->Name();
    EXPECT_EQ(rect.left, placeholder.left) << page->Name();
    EXPECT_EQ(rect.top, placeholder.top) << page->Name();
    EXPECT_EQ(rect.right - rect.left, page->sizeAtCreation.cx) << page->Name();
    EXPECT_EQ(rect.bottom - rect.top, page->sizeAtCreation.cy) << page->Name();
  }
  // The test frame's placeholder differs from a page in size: a page stretched to it would show.
  EXPECT_NE(placeholder.right - placeholder.left, w.a.sizeAtCreation.cx);
  EXPECT_NE(placeholder.bottom - placeholder.top, w.a.sizeAtCreation.cy);
}

TEST(NewWizDialogTest, ClosingTheFrameDestroysEveryShownPage) {
  struct Case {
    const char* name;
    bool bLeaves;
    Calls closingCalls;
  } cases[] = {
      {"pages agree", true, {"A.leave", "A.destroying", "B.leave", "B.destroying"}},
      // The frame takes the window down with itself all the same: the page must not believe it
      // still has one.
      {"a page refuses to be left", false, {"A.leave", "A.destroying", "B.leave"}},
  };
  for (const Case& c : cases) {
    ThreePages w;
    ASSERT_TRUE(w.Open()) << c.name;
    w.wizard.Click(IDC_WIZ_NEXT);
    w.b.leaveAnswer = c.bLeaves;
    const Calls before = w.log.Calls();

    ASSERT_TRUE(w.wizard.DestroyWindow()) << c.name;

    const Calls calls = w.log.Calls();
    EXPECT_EQ(Calls(calls.begin() + before.size(), calls.end()), c.closingCalls) << c.name;
    for (const ScriptedPage* page : {&w.a, &w.b, &w.c}) {
      EXPECT_FALSE(page->IsCreated()) << c.name << ": " << page->Name();
      EXPECT_FALSE(page->IsActive()) << c.name << ": " << page->Name();
      EXPECT_EQ(page->GetSafeHwnd(), nullptr) << c.name << ": " << page->Name();
    }
  }
}

// A modal run of the three-page wizard driven by |script|; answers the modal result.
INT_PTR RunModal(ThreePages& w, const std::function<void()>& script) {
  ScriptThread thread(
      [&w, script] {
        if (WaitUntil([&w] { return w.wizard.window.load() != nullptr; })) script();
      },
      w.wizard.AbortIfOpen());
  return w.wizard.DoModal();
}

TEST(NewWizDialogTest, FinishAndCancelReachThePagesThatWereShown) {
  const Calls startToB = {"A.created", "A.enter", "A.next", "B.created", "A.leave", "B.enter"};
  const Calls startToC = {"A.created", "A.enter", "A.next",    "B.created", "A.leave",
                          "B.enter",   "B.next",  "C.created", "B.leave",   "C.enter"};
  auto then = [](Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
  };
  const Calls closeABC = {"A.leave",      "A.destroying", "B.leave",
                          "B.destroying", "C.leave",      "C.destroying"};
  struct Case {
    const char* name;
    std::function<void(ThreePages&)> setUp;
    // The clicks; "open"/"closed" notes what the script saw after a click that may be refused.
    std::function<void(ThreePages&, std::vector<std::string>& notes)> script;
    INT_PTR want;
    std::vector<std::string> wantNotes;
    Calls wantCalls;
  } cases[] = {
      {"Finish after skipping the middle page: only shown pages finish, in order",
       [](ThreePages& w) { w.a.nextAnswer = IDD_TEST_PAGE_LAST; },
       [](ThreePages& w, std::vector<std::string>&) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_FINISH);
       },
       IDC_WIZ_FINISH,
       {},
       {"A.created", "A.enter", "A.next", "C.created", "A.leave", "C.enter", "C.next", "C.leave",
        "A.finish", "C.finish", "A.leave", "A.destroying", "C.leave", "C.destroying"}},
      {"Finish refused by the page shown, then agreed",
       [](ThreePages& w) { w.c.leaveAnswer = false; },
       [](ThreePages& w, std::vector<std::string>& notes) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_FINISH);
         notes.push_back(IsWindow(w.wizard.window) ? "open" : "closed");
         w.c.leaveAnswer = true;
         w.wizard.Click(IDC_WIZ_FINISH);
       },
       IDC_WIZ_FINISH,
       {"open"},
       then(startToC, then({"C.next", "C.leave", "C.next", "C.leave", "A.finish", "B.finish",
                            "C.finish"},
                           closeABC))},
      {"Finish on a middle page takes it as Next does: a failed check keeps the wizard there",
       [](ThreePages&) {},
       [](ThreePages& w, std::vector<std::string>& notes) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_BACK);  // Finish stays enabled on the middle page
         w.b.nextAnswer = -1;
         w.wizard.Click(IDC_WIZ_FINISH);
         notes.push_back(IsWindow(w.wizard.window) ? "open" : "closed");
         notes.push_back(w.wizard.ShownPages());
         w.b.nextAnswer = 0;
         w.wizard.Click(IDC_WIZ_FINISH);
       },
       IDC_WIZ_FINISH,
       {"open", "B"},
       then(startToC, then({"C.back", "C.leave", "B.enter", "B.next", "B.next", "B.leave",
                            "A.finish", "B.finish", "C.finish"},
                           closeABC))},
      {"a page refuses to finish: later pages are not asked and the wizard stays",
       [](ThreePages& w) { w.b.finishAnswer = false; },
       [](ThreePages& w, std::vector<std::string>& notes) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDC_WIZ_FINISH);
         notes.push_back(IsWindow(w.wizard.window) ? "open" : "closed");
         w.wizard.Click(IDCANCEL);
       },
       IDCANCEL,
       {"open"},
       then(startToC, then({"C.next", "C.leave", "A.finish", "B.finish", "A.cancel", "B.cancel",
                            "C.cancel"},
                           closeABC))},
      {"Cancel asks every shown page",
       [](ThreePages&) {},
       [](ThreePages& w, std::vector<std::string>&) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDCANCEL);
       },
       IDCANCEL,
       {},
       then(startToB,
            {"A.cancel", "B.cancel", "A.leave", "A.destroying", "B.leave", "B.destroying"})},
      {"a page vetoes Cancel, then agrees",
       [](ThreePages& w) { w.a.cancelAnswer = false; },
       [](ThreePages& w, std::vector<std::string>& notes) {
         w.wizard.Click(IDC_WIZ_NEXT);
         w.wizard.Click(IDCANCEL);
         notes.push_back(IsWindow(w.wizard.window) ? "open" : "closed");
         w.a.cancelAnswer = true;
         w.wizard.Click(IDCANCEL);
       },
       IDCANCEL,
       {"open"},
       then(startToB, {"A.cancel", "A.cancel", "B.cancel", "A.leave", "A.destroying", "B.leave",
                       "B.destroying"})},
      {"Escape is the frame's Cancel",
       [](ThreePages&) {},
       [](ThreePages& w, std::vector<std::string>&) { PostKey(w.wizard.window, VK_ESCAPE); },
       IDCANCEL,
       {},
       {"A.created", "A.enter", "A.cancel", "A.leave", "A.destroying"}},
  };
  for (const Case& c : cases) {
    ThreePages w;
    c.setUp(w);
    std::vector<std::string> notes;
    const INT_PTR result = RunModal(w, [&] { c.script(w, notes); });
    EXPECT_EQ(result, c.want) << c.name;
    EXPECT_EQ(notes, c.wantNotes) << c.name;
    EXPECT_EQ(w.log.Calls(), c.wantCalls) << c.name;
  }
}

// A page that lets its own dialog manager see Enter, as a plain child dialog does.
class PlainRoutingPage : public ScriptedPage {
 public:
  using ScriptedPage::ScriptedPage;
  bool PreTranslateMessage(MSG* msg) override { return CDialog::PreTranslateMessage(msg); }
};

TEST(NewWizDialogTest, EnterInAPagesEditActsAsNext) {
  struct Case {
    const char* name;
    bool plainRouting;
    const char* shownAfterEnter;
  } cases[] = {
      {"a wizard page", false, "B"},
      // The fault the page's PreTranslateMessage mends: the page's dialog manager turns Enter
      // into an IDOK of the page, and the wizard does not move.
      {"a page that routes Enter like a plain dialog", true, "A"},
  };
  for (const Case& c : cases) {
    CallLog log;
    ScriptedPage scripted("A", IDD_TEST_PAGE_FIRST, log);
    PlainRoutingPage plain("A", IDD_TEST_PAGE_FIRST, log);
    ScriptedPage b("B", IDD_TEST_PAGE_MIDDLE, log);
    ScriptedPage last("C", IDD_TEST_PAGE_LAST, log);
    TestWizard wizard({c.plainRouting ? &plain : &scripted, &b, &last});
    std::string shown;
    {
      ScriptThread script(
          [&] {
            if (!WaitUntil([&] { return wizard.window.load() != nullptr; })) return;
            const HWND edit = FindDescendant(wizard.window, IDC_TEST_PAGE_EDIT);
            if (edit == nullptr) return;
            PostKey(edit, VK_RETURN);
            if (!wizard.sync.PostAndWait(wizard.window)) return;
            shown = wizard.ShownPages();
            wizard.Click(IDCANCEL);
          },
          wizard.AbortIfOpen());
      EXPECT_EQ(wizard.DoModal(), IDCANCEL) << c.name;
    }
    EXPECT_EQ(shown, c.shownAfterEnter) << c.name;
  }
}

}  // namespace
