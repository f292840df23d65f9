// The steps after the files, recording their changes for the rollback, over an earlier
// installation of the product in the test prefix: its links in the Start menu, its Uninstall
// entry in the machine's registry and its ExePathInfo come back exactly as they were.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>

#include "engine/Installer.h"
#include "engine/UninstallValues.h"
#include "framework/TestTools.h"
#include "rollback/RecordFolder.h"
#include "rollback/RollbackTestTools.h"
#include "rollback/RunChanges.h"
#include "support/ScopedTempDir.h"

namespace {

// A name no other test uses: the Start-menu folder and the Uninstall key belong to this test.
std::string UniqueName(const std::string& base) {
  static int counter = 0;
  return base + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

class RecordedStepsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_FALSE(temp_.path().empty());
    companyName_ = UniqueName("QVXRecorded");
    appName_ = UniqueName("Rollvane");
    installRoot_ = temp_.path() + "\\" + companyName_ + "\\";
    ASSERT_TRUE(CreateDirectoryA(installRoot_.c_str(), nullptr));
    ASSERT_TRUE(rollback::WriteFileBytes(installRoot_ + "unwindle.exe", "uninstaller"));
    ASSERT_TRUE(CreateDirectoryA((installRoot_ + appName_).c_str(), nullptr));
  }
  void TearDown() override {
    DeleteTree(StartMenuFolder());
    rollback::DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_));
    CoUninitialize();
  }

  // An engine for |version| of the product, as the steps before the links leave it.
  void Prepare(CInstaller& engine, const std::string& version) {
    engine.silent = 1;
    engine.companyName = companyName_;
    engine.appName = appName_;
    engine.version = version;
    engine.installRoot = installRoot_;
    engine.startMenuShortcut = 1;
    engine.shortcuts = {{"unwindle.exe", "Uninstall " + appName_, "", "unwindle.exe"}};
    engine.exePaths = {{"unwindle.exe", installRoot_}};
  }

  void RunLaterSteps(CInstaller& engine) {
    engine.CreateAppShortCuts();
    engine.RegisterUninstall();
    engine.CreateExePathInfo();
  }

  // Where the engines put the links: the all-users Start menu when it can be used.
  std::string StartMenuFolder() const {
    return GetShellFolderPath(CInstaller().programsFolderId) + "\\" + companyName_;
  }

  // The links, the company folder and the Uninstall entry.
  rollback::Listing Installation() const {
    rollback::Listing listing = rollback::ListFiles(temp_.path());
    for (const auto& entry : rollback::ListFiles(StartMenuFolder())) {
      listing["start menu " + entry.first] = entry.second;
    }
    for (const auto& entry :
         rollback::ListRegistry(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_))) {
      listing["registry " + entry.first] = entry.second;
    }
    return listing;
  }

  ScopedTempDir temp_;
  std::string companyName_;
  std::string appName_;
  std::string installRoot_;
};

TEST_F(RecordedStepsTest, AnUpgradeThatEndsWithoutSuccessGivesBackTheEarlierOnesWork) {
  CInstaller earlier;
  Prepare(earlier, "1.0");
  RunLaterSteps(earlier);
  // An administrator's own value in the entry, which the installer never writes.
  ASSERT_TRUE(rollback::SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_),
                                         "Comments", REG_SZ, std::string("kept\0", 5)));
  const rollback::Listing before = Installation();
  ASSERT_EQ(1u, before.count("start menu Uninstall " + appName_ + ".lnk")) << "a link to replace";

  CInstaller upgrade;
  Prepare(upgrade, "2.0");
  upgrade.silentUninstall = 1;  // other arguments in the link and the entry
  rollback::RunChanges changes(
      rollback::RecordFolderBelow(temp_.Child("ProgramData"), "QVX", appName_),
      rollback::TestScope({temp_.path()}));
  changes.SetBackupParent(installRoot_);
  upgrade.runChanges = &changes;
  RunLaterSteps(upgrade);
  ASSERT_NE("", rollback::Differences(before, Installation())) << "the upgrade changed nothing";

  changes.RollBack();
  EXPECT_EQ("", rollback::Differences(before, Installation()));
}

// A first installation's links, Start-menu folder and Uninstall key all go.
TEST_F(RecordedStepsTest, AFirstInstallationThatEndsWithoutSuccessLeavesNoEntryOrLink) {
  const rollback::Listing before = Installation();
  ASSERT_TRUE(rollback::ListRegistry(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_)).empty());
  CInstaller first;
  Prepare(first, "1.0");
  rollback::RunChanges changes(
      rollback::RecordFolderBelow(temp_.Child("ProgramData"), "QVX", appName_),
      rollback::TestScope({temp_.path()}));
  changes.SetBackupParent(installRoot_);
  first.runChanges = &changes;
  RunLaterSteps(first);
  ASSERT_NE("", rollback::Differences(before, Installation()));

  changes.RollBack();
  EXPECT_EQ("", rollback::Differences(before, Installation()));
  EXPECT_FALSE(FileOrFolderExists(StartMenuFolder()));
}

}  // namespace
