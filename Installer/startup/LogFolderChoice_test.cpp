#include "startup/LogFolderChoice.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace {

// The log file name a log of installer_tests.exe derives in a folder: the folder, a backslash,
// "installer_tests", the monthly stamp (7 characters) and ".log".
constexpr std::size_t kNameAfterFolder = 1 + 15 + 7 + 4;

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder below |parent| whose log file name is |nameLength| characters long.
std::string FolderGivingNameOf(const std::string& parent, std::size_t nameLength) {
  return parent + "\\" + std::string(nameLength - kNameAfterFolder - parent.size() - 1, 'n');
}

TEST(LogFolderChoiceTest, TheRequestedFolderOnlyWhenItCanHoldTheLog) {
  const ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string tempFolder = temp.Child("temporary\\");
  const std::string file = temp.Child("Logs.txt");
  ASSERT_TRUE(UniqueHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));
  const CLogEx log(temp.path().c_str(), 1);

  struct Case {
    const char* name;
    std::string requested;
    bool taken;
    const char* why;  // the reason the notice gives when the folder is passed over
  };
  const Case cases[] = {
      {"none requested", "", false, nullptr},
      {"an existing folder", temp.path(), true, nullptr},
      {"a new folder below an existing one", temp.Child("new\\logs"), true, nullptr},
      {"an existing file", file, false, "it is a file, not a folder"},
      {"an existing file written with a backslash", file + "\\", false,
       "it is a file, not a folder"},
      {"a log file name of 259 characters", FolderGivingNameOf(temp.path(), 259), true, nullptr},
      {"a log file name of 260 characters", FolderGivingNameOf(temp.path(), 260), false,
       "the log file name in it would be longer than 259 characters"},
      {"a folder above it that cannot be created", file + "\\sub\\logs", false,
       "the folder above it does not exist and cannot be created"},
      {"a name that cannot be created below an existing folder", temp.Child("bad|name"), false,
       "it is no folder and cannot be created"},
      {"a quote the C runtime kept from \"-lC:\\My Logs\\\"\"", temp.Child("My Logs\""), false,
       "it is no folder and cannot be created"},
      {"a device", temp.Child("con"), false, "it is a file, not a folder"},
  };
  for (const Case& c : cases) {
    const LogFolderChoice choice = ChooseLogFolder(c.requested, tempFolder, log);
    EXPECT_EQ(choice.folder, c.taken ? c.requested : tempFolder) << c.name;
    if (c.why == nullptr) {
      EXPECT_EQ(choice.notice, "") << c.name;
    } else {
      EXPECT_EQ(choice.notice, "The log folder " + c.requested + " cannot hold the log: " + c.why +
                                   ". The log is written to the temporary folder " + tempFolder +
                                   " instead.")
          << c.name;
    }
  }
  EXPECT_TRUE(IsFolder(temp.Child("new\\logs"))) << "a folder that is taken is created";
  EXPECT_FALSE(IsFolder(FolderGivingNameOf(temp.path(), 260)))
      << "a folder whose name does not fit is not created";
}

}  // namespace
