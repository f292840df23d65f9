// The information page in the installer's wizard: the configured text, line breaks and all.
#include "ui/InfoPage.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "ui/InstallerWizardTesting.h"

namespace {

TEST(InfoPageTest, ShowsTheInformationTextAsConfigured) {
  CInstaller engine;
  SetUpTestEngine(engine);
  engine.information = "Norvane demo product 1.6.0003.\r\nBrenmoor connects to the hosts.\r\n";
  TestInstallerWizard wizard(engine);
  ASSERT_TRUE(wizard.Open());
  ASSERT_TRUE(wizard.GoTo(IDD_INFO_PAGE));

  EXPECT_EQ(TextOf(wizard.PageControl(IDD_INFO_PAGE, IDC_PAGE_EDIT)), engine.information);
  EXPECT_EQ(TextOf(wizard.PageControl(IDD_INFO_PAGE, IDC_WIZ_PAGE_TITLE)), "Information");
  // The page asks nothing: Next goes on.
  wizard.Click(IDC_WIZ_NEXT);
  EXPECT_EQ(wizard.ActivePage(), static_cast<UINT>(IDD_HOST_PAGE));
}

}  // namespace
