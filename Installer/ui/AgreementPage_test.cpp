// The licence page in the installer's wizard: the licence text as configured, the refusal
// selected at the start, Next refused with a message until the user accepts.
#include "ui/AgreementPage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "framework/DialogTestTools.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/InstallerWizardTesting.h"

namespace {

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

class AgreementPageTest : public testing::Test {
 protected:
  void SetUp() override {
    SetUpTestEngine(engine);
    engine.license = "First line of the terms.\r\nSecond line.\r\n\r\nLast line.";
    ASSERT_TRUE(wizard.Open());
    ASSERT_TRUE(wizard.GoTo(IDD_AGREEMENT_PAGE));
  }
  HWND Control(int id) const { return wizard.PageControl(IDD_AGREEMENT_PAGE, id); }

  CInstaller engine;
  TestInstallerWizard wizard{engine};
};

TEST_F(AgreementPageTest, ShowsTheLicenceWithTheRefusalSelected) {
  EXPECT_EQ(TextOf(Control(IDC_PAGE_EDIT)), engine.license) << "CR LF line breaks kept";
  EXPECT_EQ(TextOf(Control(IDC_WIZ_PAGE_TITLE)), "License agreement");
  EXPECT_EQ(SendMessageA(Control(IDC_REFUSE_AGREEMENT), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(Control(IDC_ACCEPT_AGREEMENT), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(TextOf(Control(IDC_REFUSE_AGREEMENT)), "I Do Not Accept the Agreeement");
}

TEST_F(AgreementPageTest, NextIsRefusedWithAMessageUntilTheUserAccepts) {
  // The message box is modal on this thread: a second thread reads and closes it.
  std::string boxText;
  std::atomic<bool> boxSeen{false};
  {
    ScriptThread closer(
        [&] {
          HWND box = nullptr;
          const std::string caption = ApplicationTitle();
          // The box is found by its caption before it has made its text control: wait for both.
          if (!WaitUntil([&] {
                box = FindWindowA("#32770", caption.c_str());
                return box != nullptr &&
                       !StoredWindowText(GetDlgItem(box, kMessageBoxTextId)).empty();
              }))
            return;
          boxText = StoredWindowText(GetDlgItem(box, kMessageBoxTextId));
          boxSeen = true;
          PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        },
        [] {});
    wizard.Click(IDC_WIZ_NEXT);  // returns once the box is closed
  }
  EXPECT_TRUE(boxSeen);
  EXPECT_EQ(boxText, "You must accept the agreement to continue with the installation.");
  EXPECT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_AGREEMENT_PAGE));

  SendMessageA(Control(IDC_ACCEPT_AGREEMENT), BM_CLICK, 0, 0);
  wizard.Click(IDC_WIZ_NEXT);
  EXPECT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_HOST_PAGE));
  // Back is never blocked, whatever is selected.
  wizard.Click(IDC_WIZ_BACK);
  SendMessageA(Control(IDC_REFUSE_AGREEMENT), BM_CLICK, 0, 0);
  wizard.Click(IDC_WIZ_BACK);
  EXPECT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_INTRO_PAGE));
}

}  // namespace
