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

// Mid-December 2026 in every time zone: the log file in a folder is installer_tests2026-12.log.
time_t December2026() { return 1797336000; }
constexpr char kLogFileName[] = "installer_tests2026-12.log";

// No program holds the log file of the case's folder.
constexpr DWORD kNotHeld = ~0u;

// Another program's handle on |file| opened for reading with |share| (created when missing, as
// a viewer would find a log that exists); none for kNotHeld.
UniqueHandle HoldFor(const std::string& file, DWORD share) {
  if (share == kNotHeld) return UniqueHandle();
  return UniqueHandle(
      CreateFileA(file.c_str(), GENERIC_READ, share, nullptr, OPEN_ALWAYS, 0, nullptr));
}

TEST(LogFolderChoiceTest, TheRequestedFolderOnlyWhenItCanHoldTheLog) {
  const ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string tempFolder = temp.Child("temporary\\");
  const std::string file = temp.Child("Logs.txt");
  ASSERT_TRUE(UniqueHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));
  ASSERT_TRUE(CreateDirectoryA(temp.Child("viewed").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(tempFolder.c_str(), nullptr));
  CLogEx log(temp.path().c_str(), 1);
  log.SetClock(December2026);
  const std::string heldWhy =
      std::string("its log file ") + kLogFileName + " is held open by another program";

  struct Case {
    const char* name;
    std::string requested;
    bool taken;
    const char* why;  // the reason the notice gives when the folder is passed over
    // How another program shares the log file it holds in the folder the run would log to.
    DWORD heldWith;
  };
  const Case cases[] = {
      {"none requested", "", false, nullptr, kNotHeld},
      {"an existing folder", temp.path(), true, nullptr, kNotHeld},
      {"a new folder below an existing one", temp.Child("new\\logs"), true, nullptr, kNotHeld},
      {"an existing file", file, false, "it is a file, not a folder", kNotHeld},
      {"an existing file written with a backslash", file + "\\", false,
       "it is a file, not a folder", kNotHeld},
      {"a log file name of 259 characters", FolderGivingNameOf(temp.path(), 259), true, nullptr,
       kNotHeld},
      {"a log file name of 260 characters", FolderGivingNameOf(temp.path(), 260), false,
       "the log file name in it would be longer than 259 characters", kNotHeld},
      {"a folder above it that cannot be created", file + "\\sub\\logs", false,
       "the folder above it does not exist and cannot be created", kNotHeld},
      {"a name that cannot be created below an existing folder", temp.Child("bad|name"), false,
       "it is no folder and cannot be created", kNotHeld},
      {"a quote the C runtime kept from \"-lC:\\My Logs\\\"\"", temp.Child("My Logs\""), false,
       "it is no folder and cannot be created", kNotHeld},
      {"a device", temp.Child("con"), false, "it is a file, not a folder", kNotHeld},
      {"its log file held without sharing", temp.Child("viewed"), false, heldWhy.c_str(), 0},
      {"its log file held with read sharing only", temp.Child("viewed"), false, heldWhy.c_str(),
       FILE_SHARE_READ},
      {"its log file shared for writing too (another installer)", temp.Child("viewed"), true,
       nullptr, FILE_SHARE_READ | FILE_SHARE_WRITE},
      // Nowhere else to go: the run logs what it can, as it always did.
      {"none requested, the temporary folder's log file held", "", false, nullptr, 0},
  };
  for (const Case& c : cases) {
    const std::string loggedTo = c.requested.empty() ? tempFolder : c.requested;
    const UniqueHandle holder = HoldFor(loggedTo + "\\" + kLogFileName, c.heldWith);
    ASSERT_TRUE(c.heldWith == kNotHeld || holder) << c.name;
    const LogFolderChoice choice = ChooseLogFolder(c.requested, tempFolder, log);
    EXPECT_EQ(choice.folder, c.taken ? c.requested : tempFolder) << c.name;
    EXPECT_EQ(choice.failure, static_cast<DWORD>(ERROR_SUCCESS)) << c.name;
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
  EXPECT_EQ(GetFileAttributesA((temp.Child("new\\logs\\") + kLogFileName).c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the look at a folder's log file does not create it";
}

// A -l value ending in ".log" that is no folder names the log file itself (winget passes its
// log path so); it goes through the same checks as a folder, and a file that cannot be written
// sends the log to the temporary folder under the derived name.
TEST(LogFolderChoiceTest, ALogFileNameIsTheLogFileWhenItCanBeWritten) {
  const ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string tempFolder = temp.Child("temporary");
  ASSERT_TRUE(CreateDirectoryA(tempFolder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(temp.Child("Folder.log").c_str(), nullptr));
  const std::string file = temp.Child("Logs.txt");
  ASSERT_TRUE(UniqueHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));
  const std::string held = temp.Child("held.log");
  const UniqueHandle holder(
      CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(holder);
  CLogEx log(temp.path().c_str(), 1);
  log.SetClock(December2026);

  struct Case {
    const char* name;
    std::string requested;
    std::string folder;    // the answer's folder
    std::string fileName;  // the answer's file name; "" for the derived one
    const char* why;       // the notice's reason when the file is passed over
  };
  const std::string longName = temp.Child(std::string(252, 'n') + ".log");
  const Case cases[] = {
      {"a file in an existing folder", temp.Child("Install Norvane.log"), temp.path(),
       "Install Norvane.log", nullptr},
      {"in capitals, below folders still to make", temp.Child("deploy\\winget\\X.LOG"),
       temp.Child("deploy\\winget"), "X.LOG", nullptr},
      {"an existing folder named so is a folder", temp.Child("Folder.log"), temp.Child("Folder.log"),
       "", nullptr},
      {"a folder written with a backslash is a folder", temp.Child("New.log\\"),
       temp.Child("New.log\\"), "", nullptr},
      {"its folder cannot be made (a file stands in the way)", file + "\\x.log", tempFolder, "",
       "its folder does not exist and cannot be created"},
      {"held open by another program", held, tempFolder, "", "it is held open by another program"},
      {"a name longer than 255 characters", longName, tempFolder, "",
       "its name is longer than 255 characters"},
  };
  for (const Case& c : cases) {
    const LogFolderChoice choice = ChooseLogFolder(c.requested, tempFolder, log);
    EXPECT_EQ(choice.folder, c.folder) << c.name;
    EXPECT_EQ(choice.fileName, c.fileName) << c.name;
    EXPECT_EQ(choice.failure, static_cast<DWORD>(ERROR_SUCCESS)) << c.name;
    EXPECT_EQ(choice.notice, c.why == nullptr
                                 ? std::string()
                                 : "The log file " + c.requested + " cannot be written: " +
                                       c.why + ". The log is written to the temporary folder " +
                                       tempFolder + " instead.")
        << c.name;
  }
  EXPECT_TRUE(IsFolder(temp.Child("deploy\\winget"))) << "the file's folder is created";
  EXPECT_EQ(GetFileAttributesA(temp.Child("deploy\\winget\\X.LOG").c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the file itself is left to the log's first line";
}

// A long installer name can make even the temporary folder's log file name pass 259 characters:
// then no folder holds the log, and the run must end (exit code 1) instead of installing without
// one, also when -l named a folder that cannot hold it either.
TEST(LogFolderChoiceTest, NoLogFolderWhenTheTemporaryFolderCannotHoldTheLogEither) {
  const ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  CLogEx log(temp.path().c_str(), 1);
  log.SetClock(December2026);
  const std::string tooLong = FolderGivingNameOf(temp.path(), 260);
  const std::string fits = FolderGivingNameOf(temp.path(), 259);
  const std::string file = temp.Child("Logs.txt");
  ASSERT_TRUE(UniqueHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));

  struct Case {
    const char* name;
    std::string requested;
    std::string temporaryFolder;
    std::string folder;  // the answer's folder
    DWORD failure;
  };
  const Case cases[] = {
      {"none requested, temporary log file name of 260", "", tooLong, tooLong,
       ERROR_FILENAME_EXCED_RANGE},
      {"none requested, temporary log file name of 259", "", fits, fits, ERROR_SUCCESS},
      {"a requested folder that is a file", file, tooLong, tooLong, ERROR_FILENAME_EXCED_RANGE},
      {"a requested folder whose log name is too long as well", tooLong, tooLong, tooLong,
       ERROR_FILENAME_EXCED_RANGE},
      {"a requested folder that can hold the log", temp.Child("short"), tooLong,
       temp.Child("short"), ERROR_SUCCESS},
  };
  for (const Case& c : cases) {
    const LogFolderChoice choice = ChooseLogFolder(c.requested, c.temporaryFolder, log);
    EXPECT_EQ(choice.failure, c.failure) << c.name;
    EXPECT_EQ(choice.folder, c.folder) << c.name;
    if (c.failure != ERROR_SUCCESS) {
      EXPECT_EQ(choice.notice, "") << c.name;
    }
  }
  EXPECT_FALSE(IsFolder(tooLong)) << "nothing is created for a log that cannot be written";
}

TEST(LogFolderChoiceTest, ALogFileNameFitsOneNameUpTo255Characters) {
  struct Case {
    const char* name;
    std::string path;
    bool fits;
  };
  const Case cases[] = {
      {"255 characters", "C:\\L\\" + std::string(251, 'S') + ".log", true},
      {"256 characters", "C:\\L\\" + std::string(252, 'S') + ".log", false},
      {"only the last name counts", "C:\\" + std::string(300, 'f') + "\\Setup2026-12.log", true},
      {"a name without a folder", std::string(256, 'S'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(LastNameFits(c.path), c.fits) << c.name;
}

}  // namespace
