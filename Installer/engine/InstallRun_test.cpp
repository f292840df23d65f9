// One installation attempt over a real package: an attempt that fails midway takes back what it
// wrote, and the next attempt of the same run starts afresh, from the archive's first entry, and
// leaves exactly what a single successful attempt leaves.
#include "engine/InstallRun.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/Installer.h"
#include "engine/UninstallValues.h"
#include "framework/TestTools.h"
#include "package/PayloadModuleScope.h"
#include "package/codec/ArchiveWriter.h"
#include "package/codec/PayloadFormat.h"
#include "rollback/RollbackTestTools.h"
#include "rollback/RunChanges.h"
#include "support/ProductMutex.h"
#include "support/ProductMutexTesting.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"
#include "LogReader.h"

namespace {

// A name no other test uses: the Start-menu folder and the Uninstall key belong to this test.
std::string UniqueName(const std::string& base) {
  static int counter = 0;
  return base + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// |listing| without the files' write times, which differ between two installations.
rollback::Listing WithoutTimes(rollback::Listing listing) {
  for (auto& entry : listing) {
    const size_t written = entry.second.find(", written ");
    const size_t contents = entry.second.find(", contents ");
    if (written != std::string::npos && contents != std::string::npos) {
      entry.second.erase(written, contents - written);
    }
  }
  return listing;
}

std::vector<uint8_t> TestPayload(const std::string& version = "1.0") {
  payload::ArchiveWriter writer("Norvane", version, "");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"Quorvin.exe", "the main client"},
      {"Data\\a.txt", "first data file"},
      {"Data\\b.txt", "second data file"},
      {"Data\\Deep\\c.txt", "third data file"},
  };
  for (const auto& file : files) {
    EXPECT_EQ("", writer.AddFile(file.first, reinterpret_cast<const uint8_t*>(file.second.data()),
                                 file.second.size()));
  }
  std::vector<uint8_t> payload;
  EXPECT_EQ("", payload::CompressPayload(writer.Finish(), &payload));
  return payload;
}

class InstallRunTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_TRUE(module_.loaded());
    companyName_ = UniqueName("QVXRun");
    appName_ = UniqueName("Runvane");
    companyFolder_ = temp_.path() + "\\Apps\\" + companyName_;
    payload_ = TestPayload();
  }
  void TearDown() override {
    DeleteTree(StartMenuFolder());
    rollback::DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_));
    CoUninitialize();
  }

  // An engine with the package loaded and the run's bookkeeping, as start-up leaves it.
  void Load(CInstaller& engine, rollback::RunChanges& changes) { Load(engine, changes, payload_); }
  void Load(CInstaller& engine, rollback::RunChanges& changes,
            const std::vector<uint8_t>& payload) {
    engine.silent = 1;
    ASSERT_TRUE(engine.InitFromResource(payload.data(), payload.size(), true));
    engine.companyName = companyName_;
    engine.appName = appName_;
    engine.runChanges = &changes;
  }
  InstallChoices Choices() const {
    InstallChoices choices;
    choices.companyFolder = companyFolder_;
    return choices;
  }
  std::string StartMenuFolder() const {
    return GetShellFolderPath(CInstaller().programsFolderId) + "\\" + companyName_;
  }
  std::string VersionFolder() const {
    return companyFolder_ + "\\" + appName_ + "\\" + appName_ + "1.0\\";
  }
  // The product's files, its Start-menu folder and its Uninstall entry.
  rollback::Listing Installation() const {
    rollback::Listing listing = rollback::ListFiles(temp_.path() + "\\Apps");
    for (const auto& entry : rollback::ListFiles(StartMenuFolder())) {
      listing["start menu " + entry.first] = entry.second;
    }
    for (const auto& entry :
         rollback::ListRegistry(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_))) {
      // The date of the installation is the only value that may differ between two runs.
      if (entry.first.find("InstallDate") == std::string::npos) {
        listing["registry " + entry.first] = entry.second;
      }
    }
    return listing;
  }
  // One successful installation of the test package (version 1.0), recorded in |recordFolder|.
  void InstallOnce(const char* recordFolder) {
    rollback::RunChanges changes(temp_.Child(recordFolder), rollback::TestScope({temp_.path()}));
    CInstaller engine;
    Load(engine, changes);
    InstallRun attempt(engine, Choices());
    ASSERT_EQ(attempt.Execute(nullptr), InstallOutcome::kCompleted);
  }
  // What an upgrade finds.
  void InstallEarlierVersion() { InstallOnce("records-earlier"); }
  void RemoveInstallation() {
    DeleteTree(temp_.path() + "\\Apps");
    DeleteTree(StartMenuFolder());
    rollback::DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName_));
  }

  PayloadModuleScope module_;
  ScopedTempDir temp_;
  std::string companyName_;
  std::string appName_;
  std::string companyFolder_;
  std::vector<uint8_t> payload_;
};

TEST_F(InstallRunTest, AFailedAttemptIsUndoneAndTheNextOneInstallsAsASingleOneWould) {
  // What one successful attempt leaves.
  rollback::Listing single;
  {
    ASSERT_NO_FATAL_FAILURE(InstallOnce("records-single"));
    single = WithoutTimes(Installation());
    const std::string deepFile =
        VersionFolder().substr(temp_.path().size() + 6) + "Data\\Deep\\c.txt";
    ASSERT_NE(single[deepFile].find("contents third data file"), std::string::npos) << deepFile;
    RemoveInstallation();
  }

  rollback::RunChanges changes(temp_.Child("records"),
                               rollback::TestScope({temp_.path()}));
  CInstaller engine;
  Load(engine, changes);
  const rollback::Listing before = Installation();

  // The third entry cannot be written: a folder stands at its name. The version folder and the
  // company folder are there before the run, so only what the attempt wrote goes again.
  ASSERT_TRUE(CreateDirectoryA((temp_.path() + "\\Apps").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(companyFolder_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((companyFolder_ + "\\" + appName_).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(VersionFolder().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((VersionFolder() + "Data").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((VersionFolder() + "Data\\b.txt").c_str(), nullptr));
  const rollback::Listing blocked = Installation();
  {
    const LogSince log;
    InstallRun first(engine, Choices());
    EXPECT_EQ(first.Execute(nullptr), InstallOutcome::kFailed);
    first.Report();
    const std::string text = log.Text();
    const size_t rollback = text.find("Rollback of this run finished:");
    const size_t sentence = text.find("Installation of " + engine.projectName + " has failed.");
    ASSERT_NE(rollback, std::string::npos) << text;
    ASSERT_NE(sentence, std::string::npos) << text;
    EXPECT_LT(rollback, sentence) << "whoever reads the sentence finds the machine clean";
    EXPECT_EQ(rollback::Differences(blocked, Installation()), "")
        << "the failed attempt leaves the machine as it found it";
    EXPECT_NE(engine.payloadBuffer.bytes, nullptr) << "the package stays for another attempt";
  }

  ASSERT_TRUE(RemoveDirectoryA((VersionFolder() + "Data\\b.txt").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((VersionFolder() + "Data").c_str()));
  ASSERT_TRUE(RemoveDirectoryA(VersionFolder().c_str()));
  ASSERT_TRUE(RemoveDirectoryA((companyFolder_ + "\\" + appName_).c_str()));
  ASSERT_TRUE(RemoveDirectoryA(companyFolder_.c_str()));
  ASSERT_TRUE(RemoveDirectoryA((temp_.path() + "\\Apps").c_str()));
  ASSERT_EQ(rollback::Differences(before, Installation()), "");
  {
    const LogSince log;
    InstallRun second(engine, Choices());
    EXPECT_EQ(second.Execute(nullptr), InstallOutcome::kCompleted) << log.Text();
    EXPECT_FALSE(log.Has("damaged")) << "the archive is read from its first entry again\n"
                                     << log.Text();
  }
  EXPECT_EQ(rollback::Differences(single, WithoutTimes(Installation())), "")
      << "two attempts leave what one leaves, the estimated size included";
}

TEST_F(InstallRunTest, ACompanyFolderBelowAFileFailsBeforeAnythingIsWritten) {
  rollback::RunChanges changes(temp_.Child("records"),
                               rollback::TestScope({temp_.path()}));
  CInstaller engine;
  Load(engine, changes);
  ASSERT_TRUE(rollback::WriteFileBytes(temp_.path() + "\\Apps", "a file, not a folder"));
  const rollback::Listing before = Installation();
  const LogSince log;
  InstallRun attempt(engine, Choices());
  EXPECT_EQ(attempt.Execute(nullptr), InstallOutcome::kFailed);
  EXPECT_TRUE(log.Has("Failed to create directory " + companyFolder_)) << log.Text();
  EXPECT_FALSE(log.Has("Enter function Files()")) << log.Text();
  EXPECT_EQ(rollback::Differences(before, Installation()), "");
}

TEST_F(InstallRunTest, AWizardAttemptWaitsForNoOneAndTakesTheLockOnlyForItself) {
  rollback::RunChanges changes(temp_.Child("records"),
                               rollback::TestScope({temp_.path()}));
  CInstaller engine;
  Load(engine, changes);
  InstallChoices choices = Choices();
  choices.takeLock = true;
  const std::string lockName = ProductMutexName(companyName_, appName_);

  // Another run (here another thread) holds the product's lock: nothing is done.
  const UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::thread otherRun([&] {
    ProductMutex other;
    other.TryAcquire(lockName);
    SetEvent(held.get());
    WaitForSingleObject(release.get(), 10000);
  });
  ASSERT_EQ(WaitForSingleObject(held.get(), 10000), WAIT_OBJECT_0);
  {
    const LogSince log;
    InstallRun busy(engine, choices);
    EXPECT_EQ(busy.Prepare(), InstallOutcome::kBusy);
    EXPECT_TRUE(log.Has("Another installation of " + engine.projectName + " is in progress."))
        << log.Text();
    EXPECT_FALSE(log.Has("Enter function PrepareInstall()")) << log.Text();
  }
  SetEvent(release.get());
  otherRun.join();

  // Free again: the attempt takes the lock, states its decision and installs; once it is over,
  // the lock is free for the next run.
  {
    const LogSince log;
    InstallRun attempt(engine, choices);
    EXPECT_EQ(attempt.Execute(nullptr), InstallOutcome::kCompleted) << log.Text();
    EXPECT_TRUE(log.Has("Installed before this run: none.")) << log.Text();
    EXPECT_TRUE(log.Has("This is a fresh installation of 1.0.")) << log.Text();
    EXPECT_EQ(TryLockFromAnotherThread(lockName), ProductLockState::kBusy)
        << "the attempt holds the lock until it ends";
  }
  EXPECT_EQ(TryLockFromAnotherThread(lockName), ProductLockState::kHeld) << "given back at the end";
}

// Another program's handle on |path| without any sharing, as a viewer or a running product may
// hold it.
UniqueHandle HoldWithoutSharing(const std::string& path) {
  return UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// One attempt of |engine| (reported) while another program holds |path| open without sharing.
InstallOutcome UpgradeWhileHeld(CInstaller& engine, const std::string& path,
                                const InstallChoices& choices) {
  const UniqueHandle holder = HoldWithoutSharing(path);
  EXPECT_TRUE(holder) << path;
  InstallRun upgrade(engine, choices);
  const InstallOutcome outcome = upgrade.Execute(nullptr);
  upgrade.Report();
  return outcome;
}

// An upgrade whose ExePathInfo another program holds open cannot make the record name its
// version folder: it fails, and the machine is as the earlier installation left it, files with
// their bytes, links and the Uninstall entry (DisplayVersion of the earlier version) included.
TEST_F(InstallRunTest, AnUpgradeThatCannotReplaceExePathInfoFailsAndLeavesTheEarlierInstallation) {
  ASSERT_NO_FATAL_FAILURE(InstallEarlierVersion());
  const std::string record = companyFolder_ + "\\" + appName_ + "\\ExePathInfo";
  ASSERT_EQ(ReadFileBytes(record), VersionFolder());
  const rollback::Listing before = Installation();

  rollback::RunChanges changes(temp_.Child("records"),
                               rollback::TestScope({temp_.path()}));
  CInstaller engine;
  const std::vector<uint8_t> newer = TestPayload("1.1");
  Load(engine, changes, newer);
  const LogSince log;
  EXPECT_EQ(UpgradeWhileHeld(engine, record, Choices()), InstallOutcome::kFailed) << log.Text();
  EXPECT_TRUE(log.Has("Cannot create file " + record + ". If any QVX program (i.e." + appName_ +
                      ") is running, please quit it first.\r\n"))
      << log.Text();
  EXPECT_TRUE(log.Has("Rolling back this run.")) << log.Text();
  EXPECT_TRUE(log.Has("Installation of " + engine.projectName + " has failed.")) << log.Text();
  EXPECT_FALSE(log.Has("has completed successfully")) << log.Text();
  EXPECT_EQ(rollback::Differences(before, Installation()), "")
      << "the failed upgrade leaves the earlier installation as it was";
}

// A shared copy of the main client that another program holds open keeps its older bytes: the
// run still succeeds, and its log ends with a warning that names the copy.
TEST_F(InstallRunTest, AHeldSharedCopyOfTheMainClientIsNamedInAWarningBeforeTheSuccess) {
  ASSERT_NO_FATAL_FAILURE(InstallEarlierVersion());
  const std::string sharedCopy = companyFolder_ + "\\" + appName_ + "\\quorvin.exe";
  ASSERT_EQ(ReadFileBytes(sharedCopy), "the main client");

  rollback::RunChanges changes(temp_.Child("records"),
                               rollback::TestScope({temp_.path()}));
  CInstaller engine;
  const std::vector<uint8_t> newer = TestPayload("1.1");
  Load(engine, changes, newer);
  const LogSince log;
  EXPECT_EQ(UpgradeWhileHeld(engine, sharedCopy, Choices()), InstallOutcome::kCompleted)
      << log.Text();
  const std::string text = log.Text();
  const std::string warning = "Warning: left at their older state, since another program held "
                              "them open: " + sharedCopy + ". Run Setup again";
  const size_t warned = text.find(warning);
  const size_t succeeded = text.find("Installation of " + engine.projectName +
                                     " has completed successfully.");
  ASSERT_NE(warned, std::string::npos) << text;
  ASSERT_NE(succeeded, std::string::npos) << text;
  EXPECT_LT(warned, succeeded) << text;
  EXPECT_EQ(ReadFileBytes(companyFolder_ + "\\" + appName_ + "\\ExePathInfo"),
            companyFolder_ + "\\" + appName_ + "\\" + appName_ + "1.1\\");
}

}  // namespace
