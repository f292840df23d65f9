#include "package/KnownFolders.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <map>
#include <string>
#include <vector>

#include "support/ScopedTempDir.h"

namespace {

// The stand-in create: records each call and answers as the folder's entry in g_outcome says
// (a Win32 code; ERROR_SUCCESS makes the folder).
std::vector<std::string> g_created;
std::vector<LPSECURITY_ATTRIBUTES> g_security;
std::map<std::string, DWORD> g_outcome;

BOOL WINAPI RecordingCreate(LPCSTR folder, LPSECURITY_ATTRIBUTES security) {
  g_created.push_back(folder);
  g_security.push_back(security);
  const auto outcome = g_outcome.find(folder);
  const DWORD code = outcome == g_outcome.end() ? ERROR_SUCCESS : outcome->second;
  SetLastError(code);
  return code == ERROR_SUCCESS;
}

TEST(KnownFoldersTest, EachFolderThatIsThereIsCreatedOncePerRun) {
  struct Case {
    const char* name;
    std::map<std::string, DWORD> outcome;
    std::vector<std::string> made;
    std::vector<std::string> created;
  } cases[] = {
      {"a new folder for three files", {}, {"C:\\A", "C:\\A", "C:\\A"}, {"C:\\A"}},
      {"a folder found already there",
       {{"C:\\A", ERROR_ALREADY_EXISTS}},
       {"C:\\A", "C:\\A"},
       {"C:\\A"}},
      {"the path of two files in one folder",
       {{"C:", ERROR_ALREADY_EXISTS}},
       {"C:", "C:\\A", "C:\\A\\B", "C:", "C:\\A", "C:\\A\\B"},
       {"C:", "C:\\A", "C:\\A\\B"}},
      {"a folder that cannot be made is tried again",
       {{"C:\\Locked", ERROR_ACCESS_DENIED}},
       {"C:\\Locked", "C:\\Locked"},
       {"C:\\Locked", "C:\\Locked"}},
      {"another spelling is asked once more", {}, {"C:\\A", "c:\\a", "C:\\A"}, {"C:\\A", "c:\\a"}},
  };
  for (const Case& c : cases) {
    g_created.clear();
    g_outcome = c.outcome;
    KnownFolders folders(RecordingCreate);
    for (const std::string& folder : c.made) folders.Make(folder, nullptr);
    EXPECT_EQ(c.created, g_created) << c.name;
  }
}

TEST(KnownFoldersTest, CreateGetsTheRunsSecurityAttributes) {
  g_created.clear();
  g_security.clear();
  g_outcome.clear();
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  KnownFolders folders(RecordingCreate);

  folders.Make("C:\\A", &security);

  ASSERT_EQ(1u, g_security.size());
  EXPECT_EQ(&security, g_security[0]);
  EXPECT_TRUE(folders.Knows("C:\\A"));
}

TEST(KnownFoldersTest, RealFoldersAreMadeAndExistingOnesKnown) {
  ScopedTempDir temp;
  const std::string made = temp.Child("made");
  const std::string missingParent = temp.Child("absent\\below");
  KnownFolders folders;

  folders.Make(temp.path(), nullptr);
  folders.Make(made, nullptr);
  folders.Make(missingParent, nullptr);

  EXPECT_TRUE(folders.Knows(temp.path())) << "an existing folder is found";
  EXPECT_TRUE(folders.Knows(made));
  EXPECT_TRUE(PathIsDirectoryA(made.c_str()));
  EXPECT_FALSE(folders.Knows(missingParent)) << "a create that failed is not taken as made";
}

}  // namespace
