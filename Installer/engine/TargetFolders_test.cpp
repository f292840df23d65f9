// The company folder and the Start-menu company folder, against the real file system of the
// test prefix.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "engine/Installer.h"
#include "support/ScopedTempDir.h"
#include "LogReader.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class TargetFoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    engine_.silent = 1;  // reports go to the log
    // A company name of its own, so the Start-menu folder this test makes is its own too.
    engine_.companyName = "QVXTest" + std::to_string(GetCurrentProcessId());
    engine_.groupName = "Users|SYSTEM|Administrators";
    ASSERT_EQ(1, engine_.initSecurityUserGroup(engine_.groupName));
    ASSERT_FALSE(temp_.path().empty());
  }
  void TearDown() override { DeleteTree(StartMenuFolder()); }
  std::string StartMenuFolder() const {
    return GetShellFolderPath(engine_.programsFolderId) + "\\" + engine_.companyName;
  }

  CInstaller engine_;
  ScopedTempDir temp_;
};

TEST_F(TargetFoldersTest, MissingNestedDestinationIsCreatedWithItsParents) {
  const std::string data = temp_.Child("Data");
  std::string destination = data + "\\QVX";
  const LogSince log;

  ASSERT_TRUE(engine_.PrepareInstall(destination));

  EXPECT_EQ(data + "\\QVX\\", destination) << "the backslash is added in place";
  EXPECT_EQ(data + "\\QVX\\", engine_.installRoot);
  EXPECT_TRUE(IsFolder(data + "\\QVX"));
  EXPECT_TRUE(IsFolder(StartMenuFolder()));
  // The drive and the parents that exist already fail harmlessly, each with a log line.
  EXPECT_TRUE(log.Has("Failed to create directory " + temp_.path().substr(0, 2) + " with reason: "));
  EXPECT_TRUE(log.Has("Failed to create directory " + temp_.path() + " with reason: "));
  EXPECT_FALSE(log.Has("Failed to create directory " + data + " with reason: "));
  EXPECT_TRUE(log.Has("Enter function PrepareInstall() with parameter str is " + data + "\\QVX."));
  EXPECT_TRUE(log.Has("Enter function MyCreateDirectory() with parameter str is " + data + "\\QVX\\."));
  EXPECT_TRUE(log.Has("Leave function PrepareInstall()."));
}

TEST_F(TargetFoldersTest, ExistingDestinationIsTakenAsItIs) {
  for (const std::string suffix : {"", "\\"}) {
    std::string destination = temp_.path() + suffix;
    const LogSince log;
    ASSERT_TRUE(engine_.PrepareInstall(destination)) << "suffix '" << suffix << "'";
    EXPECT_EQ(temp_.path() + "\\", engine_.installRoot) << "suffix '" << suffix << "'";
    EXPECT_FALSE(log.Has("Enter function MyCreateDirectory() with parameter str is " + temp_.path()))
        << "no creation call for an existing destination";
  }
}

TEST_F(TargetFoldersTest, ExistingFileOfThatNamePassesAndBecomesTheRoot) {
  const std::string file = temp_.Child("QVX");
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  std::string destination = file;
  EXPECT_TRUE(engine_.PrepareInstall(destination));
  EXPECT_EQ(file + "\\", engine_.installRoot);
}

TEST_F(TargetFoldersTest, DriveThatDoesNotExistFails) {
  std::string destination = "Q:\\Nowhere\\QVX";
  const LogSince log;
  EXPECT_FALSE(engine_.PrepareInstall(destination));
  EXPECT_TRUE(log.Has("Failed to create directory Q:\\Nowhere\\QVX\\ with reason: "));
  EXPECT_FALSE(log.Has("Leave function PrepareInstall()."));
  EXPECT_EQ("", engine_.installRoot);
}

TEST_F(TargetFoldersTest, SecondCallReplacesTheRoot) {
  std::string first = temp_.Child("One\\QVX");
  std::string second = temp_.Child("Two\\QVX");
  ASSERT_TRUE(engine_.PrepareInstall(first));
  ASSERT_TRUE(engine_.PrepareInstall(second));
  EXPECT_EQ(temp_.Child("Two\\QVX\\"), engine_.installRoot);
  EXPECT_TRUE(IsFolder(temp_.Child("One\\QVX"))) << "folders of the earlier call stay";
}

TEST_F(TargetFoldersTest, UnknownStartMenuFolderCreatesNothingAtTheDriveRoot) {
  engine_.programsFolderId = 0x7F;  // a folder id the shell does not know
  const std::string atRoot = "\\" + engine_.companyName;
  std::string destination = temp_.Child("QVX");
  const LogSince log;

  EXPECT_TRUE(engine_.PrepareInstall(destination));

  EXPECT_FALSE(IsFolder(atRoot)) << "nothing outside the destination";
  EXPECT_TRUE(log.Has("The Start-menu programs folder is unknown; no Start-menu folder is created."));
  RemoveDirectoryA(atRoot.c_str());
}

TEST(SetInstallRootTest, TrailingBackslashAddedOnce) {
  CInstaller engine;
  engine.SetInstallRoot("C:\\Apps\\QVX");
  EXPECT_EQ("C:\\Apps\\QVX\\", engine.installRoot);
  engine.SetInstallRoot("C:\\Apps\\QVX\\");
  EXPECT_EQ("C:\\Apps\\QVX\\", engine.installRoot);
}

TEST(GetShellFolderPathTest, KnownAndUnknownFolders) {
  EXPECT_FALSE(GetShellFolderPath(CSIDL_COMMON_PROGRAMS).empty());
  EXPECT_NE('\\', GetShellFolderPath(CSIDL_COMMON_PROGRAMS).back());
  EXPECT_EQ("", GetShellFolderPath(0x7F)) << "an id the system does not know";
}

}  // namespace
