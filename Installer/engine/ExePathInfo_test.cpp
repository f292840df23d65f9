// ExePathInfo in a temporary company folder: where it lands and its exact bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"
#include "LogReader.h"

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ExePathInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_EQ(1, engine_.initSecurityUserGroup("Users|SYSTEM|Administrators"));
    engine_.silent = 1;
    engine_.appName = "Norvane";
    engine_.version = "1.6.0003.0000.0035";
    // The company folder as PrepareInstall leaves it.
    engine_.installRoot = temp_.path() + "\\QVX\\";
    ASSERT_TRUE(CreateDirectoryA(engine_.installRoot.c_str(), nullptr));
  }

  CInstaller engine_;
  ScopedTempDir temp_;
};

TEST_F(ExePathInfoTest, HoldsExactlyTheVersionFolder) {
  const LogSince log;
  engine_.CreateExePathInfo();

  const std::string content = ReadFileBytes(engine_.installRoot + "ExePathInfo");
  // No NUL, no line break: for C:\Program Files\QVX\ these are the 55 characters
  // C:\Program Files\QVX\Norvane\Norvane1.6.0003.0000.0035\ .
  EXPECT_EQ(engine_.installRoot + "Norvane\\Norvane1.6.0003.0000.0035\\", content);
  EXPECT_EQ(engine_.installRoot.size() + 55 - std::string("C:\\Program Files\\QVX\\").size(),
            content.size());
  EXPECT_TRUE(log.Has("Enter function CreateExePathInfo().\r\n"));
  EXPECT_TRUE(log.Has("Leave function CreateExePathInfo().\r\n"));
}

TEST_F(ExePathInfoTest, EarlierContentIsReplaced) {
  const std::string record = engine_.installRoot + "ExePathInfo";
  std::ofstream(record, std::ios::binary)
      << engine_.installRoot << "Norvane\\Norvane1.5.0001.0000.0001\\ and some more text";

  engine_.version = "1.6.0004.0000.0001";
  engine_.CreateExePathInfo();

  EXPECT_EQ(engine_.installRoot + "Norvane\\Norvane1.6.0004.0000.0001\\", ReadFileBytes(record));
}

TEST_F(ExePathInfoTest, LocationFollowsTheApplication) {
  const struct {
    const char* appName;
    bool inApplicationFolder;
  } kCases[] = {{"Norvane", false}, {"NORVANE", false}, {"Tallyset", true}};
  for (const auto& c : kCases) {
    CInstaller engine;
    engine.appName = c.appName;
    engine.version = "2.0.0001.0000.0007";
    engine.installRoot = engine_.installRoot;
    const std::string folder = engine.installRoot + c.appName + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);  // extraction has put files there
    const std::string companyRecord = engine.installRoot + "ExePathInfo";
    const std::string applicationRecord = folder + "ExePathInfo";
    DeleteFileA(companyRecord.c_str());

    engine.CreateExePathInfo();

    const std::string record = c.inApplicationFolder ? applicationRecord : companyRecord;
    EXPECT_EQ(folder + c.appName + "2.0.0001.0000.0007\\", ReadFileBytes(record)) << c.appName;
    const std::string other = c.inApplicationFolder ? companyRecord : applicationRecord;
    EXPECT_FALSE(Exists(other)) << c.appName;
  }
}

TEST_F(ExePathInfoTest, MissingFolderIsSilent) {
  engine_.appName = "Tallyset";  // its application folder was never made
  const LogSince log;

  engine_.CreateExePathInfo();

  EXPECT_FALSE(Exists(engine_.installRoot + "Tallyset"));
  // The enter and leave lines, and not a word in between.
  const std::string text = log.Text();
  EXPECT_EQ(2, std::count(text.begin(), text.end(), '\n')) << text;
  EXPECT_TRUE(log.Has("Leave function CreateExePathInfo()."));
}

TEST_F(ExePathInfoTest, HelperInstallWritesNoRecord) {
  for (const char* justHelper : {"TRUE", "true"}) {
    engine_.justHelper = justHelper;
    const LogSince log;

    engine_.CreateExePathInfo();

    EXPECT_FALSE(Exists(engine_.installRoot + "ExePathInfo")) << justHelper;
    EXPECT_TRUE(log.Has("Enter function CreateExePathInfo().\r\n")) << justHelper;
    EXPECT_TRUE(log.Has("Helper isn't installed.\r\n")) << justHelper;
    EXPECT_FALSE(log.Has("Leave function CreateExePathInfo().")) << justHelper;
  }
}

}  // namespace
