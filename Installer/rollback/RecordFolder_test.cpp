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

// A file where a record folder belongs would keep every run from recording: it is moved aside,
// where an administrator can look at it, and the folder is made.
TEST(RecordFolderTest, AFileInTheWayIsMovedAside) {
  ScopedTempDir dir;
  ASSERT_FALSE(dir.path().empty());
  ASSERT_TRUE(CreateDirectoryA(dir.Child("QVX").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("QVX\\Setup").c_str(), nullptr));
  const HANDLE file = CreateFileA(dir.Child("QVX\\Setup\\Norvane").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  std::vector<std::string> made;
  ASSERT_TRUE(MakeRecordFolder(dir.Child("QVX\\Setup\\Norvane"), &made));
  EXPECT_EQ(std::vector<std::string>{dir.Child("QVX\\Setup\\Norvane")}, made);
  const DWORD attributes = GetFileAttributesA(dir.Child("QVX\\Setup\\Norvane").c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  WIN32_FIND_DATAA entry;
  const HANDLE search =
      FindFirstFileA(dir.Child("QVX\\Setup\\Norvane.untrusted-*").c_str(), &entry);
  EXPECT_NE(INVALID_HANDLE_VALUE, search) << "the file is kept for a look";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
}  // namespace rollback
