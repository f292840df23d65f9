// Where the records live: the same folder for every run of a product, whoever runs it and
// wherever it installs, below the all-users application data folder.
#include "rollback/RecordFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"

namespace rollback {
namespace {

TEST(RecordFolderTest, LiesBelowTheAllUsersApplicationData) {
  // The system names the same folder in the environment of every process.
  char programData[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("ProgramData", programData, MAX_PATH), 0u);
  EXPECT_EQ(std::string(programData) + "\\QVX\\Setup\\Norvane",
            ProductRecordFolder("QVX", "Norvane"));
}

TEST(RecordFolderTest, MakesTheMissingFoldersAndNamesThem) {
  ScopedTempDir dir;
  ASSERT_FALSE(dir.path().empty());
  ASSERT_TRUE(CreateDirectoryA(dir.Child("QVX").c_str(), nullptr));
  std::vector<std::string> made;
  ASSERT_TRUE(MakeRecordFolder(dir.Child("QVX\\Setup\\Norvane"), &made));
  EXPECT_EQ((std::vector<std::string>{dir.Child("QVX\\Setup"), dir.Child("QVX\\Setup\\Norvane")}),
            made);

  ASSERT_TRUE(MakeRecordFolder(dir.Child("QVX\\Setup\\Norvane"), &made));
  EXPECT_TRUE(made.empty()) << "nothing is made twice";

  // A name no folder may have: the folders made on the way do not stay behind.
  EXPECT_FALSE(MakeRecordFolder(dir.Child("New\\Setup\\bad|name"), &made));
  EXPECT_TRUE(made.empty());
  EXPECT_FALSE(FileOrFolderExists(dir.Child("New")));
}

}  // namespace
}  // namespace rollback
