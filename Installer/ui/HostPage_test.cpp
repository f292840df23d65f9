// The host settings page in the installer's wizard: which parts each product shows, the settings
// in the edits, what Next writes back into the engine, the VistA box, and Enter acting as Next.
#include "ui/HostPage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/DialogTestTools.h"
#include "res/resource.h"
#include "support/ScopedTempDir.h"
#include "ui/InstallerWizardTesting.h"

namespace {

bool Visible(HWND window) { return window != nullptr && IsWindowVisible(window) != FALSE; }

std::string Describe(const std::vector<RegValue>& values) {
  std::string text;
  for (const RegValue& v : values) text += v.valueName + "=[" + v.value + "] ";
  return text;
}

TEST(HostPageTest, EachProductShowsItsParts) {
  struct Case {
    const char* appName;
    bool updateHosts;
    bool vista;
    bool webHosts;
  } cases[] = {
      {"Norvane", true, false, true},
      {"NORVANE", true, false, true},  // the main product in any case
      {"Tallyset", false, true, false},
      {"TallysetAdmin", false, true, false},
      {"tallyset", true, false, false},  // the Tallyset names are compared exactly
      {"Quillfeather", true, false, false},
  };
  for (const Case& c : cases) {
    const HostPageParts parts = HostPagePartsFor(c.appName);
    EXPECT_EQ(parts.updateHosts, c.updateHosts) << c.appName;
    EXPECT_EQ(parts.vista, c.vista) << c.appName;
    EXPECT_EQ(parts.webHosts, c.webHosts) << c.appName;

    CInstaller engine;
    SetUpTestEngine(engine);
    engine.appName = c.appName;
    TestInstallerWizard wizard(engine);
    ASSERT_TRUE(wizard.Open()) << c.appName;
    ASSERT_TRUE(wizard.GoTo(IDD_HOST_PAGE)) << c.appName;
    auto shown = [&](int id) { return Visible(wizard.PageControl(IDD_HOST_PAGE, id)); };
    EXPECT_TRUE(shown(IDC_HOST_LIST_LABEL) && shown(IDC_HOST_LIST)) << c.appName;
    EXPECT_EQ(shown(IDC_UPDATE_HOST_LIST_LABEL), c.updateHosts) << c.appName;
    EXPECT_EQ(shown(IDC_UPDATE_HOST_LIST), c.updateHosts) << c.appName;
    EXPECT_EQ(shown(IDC_VISTA_ENABLED), c.vista) << c.appName;
    EXPECT_EQ(shown(IDC_WEB_HOST_LIST_LABEL), c.webHosts) << c.appName;
    EXPECT_EQ(shown(IDC_WEB_HOST_LIST), c.webHosts) << c.appName;
    EXPECT_FALSE(shown(IDC_PORT_LIST_LABEL) || shown(IDC_PORT_LIST))
        << c.appName << ": the port list is never shown";
  }
}

TEST(HostPageTest, NextWritesWhatWasTypedIntoTheSettings) {
  CInstaller engine;
  SetUpTestEngine(engine);
  // A second HostList entry: the page shows the later value and Next gives both the typed one.
  engine.regValues.push_back({"SOFTWARE/QVX/QUORVIN/HostList[1]", "HostList", "LATER"});
  engine.hostSettingsChanged = 0;
  const std::vector<RegValue> before = engine.regValues;
  TestInstallerWizard wizard(engine);
  ASSERT_TRUE(wizard.Open());
  ASSERT_TRUE(wizard.GoTo(IDD_HOST_PAGE));
  auto edit = [&](int id) { return wizard.PageControl(IDD_HOST_PAGE, id); };

  EXPECT_EQ(TextOf(edit(IDC_HOST_LIST)), "LATER");
  EXPECT_EQ(TextOf(edit(IDC_PORT_LIST)), "15000 15001 15002 15003");
  EXPECT_EQ(TextOf(edit(IDC_UPDATE_HOST_LIST)), "AUTOUPDATEHOSTS");
  EXPECT_EQ(TextOf(edit(IDC_WEB_HOST_LIST)), "WEBHOST1");

  SetWindowTextA(edit(IDC_HOST_LIST), " alpha  beta ");  // taken as typed, blanks and all
  SetWindowTextA(edit(IDC_UPDATE_HOST_LIST), "");
  SetWindowTextA(edit(IDC_WEB_HOST_LIST), "web9");
  EXPECT_EQ(Describe(engine.regValues), Describe(before)) << "nothing changes before Next";

  wizard.Click(IDC_WIZ_NEXT);
  ASSERT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_DESTINATION_PAGE));
  std::vector<RegValue> want = before;
  want[0].value = " alpha  beta ";
  want[2].value = "";
  want[3].value = "web9";
  want[6].value = " alpha  beta ";
  EXPECT_EQ(Describe(engine.regValues), Describe(want));
  EXPECT_EQ(engine.regValues[4].keyPath, before[4].keyPath) << "the other settings are kept";
  EXPECT_EQ(engine.hostSettingsChanged, 1);

  // The page keeps what was typed when the user goes back to it.
  wizard.Click(IDC_WIZ_BACK);
  ASSERT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_HOST_PAGE));
  EXPECT_EQ(TextOf(edit(IDC_WEB_HOST_LIST)), "web9");
}

bool InstallsNothing(ProgressContext*) { return true; }

TEST(HostPageTest, FinishOnTheHostPageTakesWhatWasTypedAsNextDoes) {
  ScopedTempDir folder;
  CInstaller engine;
  SetUpTestEngine(engine);
  engine.hostSettingsChanged = 0;
  TestInstallerWizard wizard(engine, InstallsNothing);
  ASSERT_TRUE(wizard.Open());
  ASSERT_TRUE(wizard.GoTo(IDD_INSTALL_PAGE));  // Finish stays enabled on the way back
  SetWindowTextA(wizard.PageControl(IDD_DESTINATION_PAGE, IDC_PAGE_EDIT),
                 (folder.path() + "\\QVX").c_str());
  wizard.Click(IDC_WIZ_BACK);
  wizard.Click(IDC_WIZ_BACK);
  ASSERT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_HOST_PAGE));
  SetWindowTextA(wizard.PageControl(IDD_HOST_PAGE, IDC_HOST_LIST), "TYPED1 TYPED2");

  wizard.Click(IDC_WIZ_FINISH);

  EXPECT_EQ(wizard.dialog.GetInstallOutcome(), InstallOutcome::kCompleted);
  EXPECT_EQ(engine.regValues[0].value, "TYPED1 TYPED2");
  EXPECT_EQ(engine.hostSettingsChanged, 1);
}

TEST(HostPageTest, TheVistaBoxStartsFromTheOptionAndIsStoredOnNext) {
  struct Case {
    const char* name;
    int vistaEnabled;
    bool click;  // toggle the box before Next
    int want;
  } cases[] = {
      {"-v given, box cleared", 1, true, 0},
      {"-v given, box left", 1, false, 1},
      {"no -v, box checked", 0, true, 1},
  };
  for (const Case& c : cases) {
    CInstaller engine;
    SetUpTestEngine(engine);
    engine.appName = "Tallyset";
    engine.vistaEnabled = c.vistaEnabled;
    TestInstallerWizard wizard(engine);
    ASSERT_TRUE(wizard.Open()) << c.name;
    ASSERT_TRUE(wizard.GoTo(IDD_HOST_PAGE)) << c.name;
    const HWND box = wizard.PageControl(IDD_HOST_PAGE, IDC_VISTA_ENABLED);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), c.vistaEnabled ? BST_CHECKED : BST_UNCHECKED)
        << c.name;
    if (c.click) SendMessageA(box, BM_CLICK, 0, 0);
    wizard.Click(IDC_WIZ_NEXT);
    EXPECT_EQ(engine.vistaEnabled, c.want) << c.name;
  }
}

// Enter in the host edit, queued as the system queues a key press, must reach the frame's
// default button through the modal loop: the page's own dialog manager never sees it.
TEST(HostPageTest, EnterInTheHostEditActsAsNext) {
  CInstaller engine;
  SetUpTestEngine(engine);
  CInstallerDlg wizard(nullptr, engine, nullptr);
  std::atomic<bool> movedOn{false};
  ScriptThread script(
      [&] {
        HWND frame = nullptr;
        if (!WaitUntil([&] { return (frame = FindWindowA(nullptr, "Brenmoor Setup")) != nullptr; }))
          return;
        SendMessageA(GetDlgItem(frame, IDC_WIZ_NEXT), BM_CLICK, 0, 0);  // to the host page
        const HWND edit = FindDescendant(frame, IDC_HOST_LIST);
        if (edit == nullptr || !WaitUntil([&] { return IsWindowVisible(edit) != FALSE; })) return;
        SetWindowTextA(edit, "HOSTA");
        PostKey(edit, VK_RETURN);
        movedOn = WaitUntil([&] {
          const HWND folder = FindDescendant(frame, IDC_BROWSE);
          return folder != nullptr && IsWindowVisible(folder) != FALSE;
        });
      },
      [&] {
        const HWND frame = FindWindowA(nullptr, "Brenmoor Setup");
        if (frame != nullptr) PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      });
  EXPECT_EQ(wizard.DoModal(), IDCANCEL);
  EXPECT_TRUE(movedOn) << "Enter did not move on to the destination page";
  EXPECT_EQ(engine.regValues[0].value, "HOSTA") << "Enter stores the page as Next does";
}

}  // namespace
