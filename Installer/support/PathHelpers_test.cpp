#include "support/PathHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Makes a folder the current directory for one scope and restores the previous one.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& folder) {
    char previous[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
    if (length > 0 && length < MAX_PATH) previous_.assign(previous, length);
    changed_ = SetCurrentDirectoryA(folder.c_str()) != FALSE;
  }
  ~CurrentDirectoryScope() {
    if (!previous_.empty()) SetCurrentDirectoryA(previous_.c_str());
  }
  bool changed() const { return changed_; }

 private:
  std::string previous_;
  bool changed_ = false;
};

class EnsurePathTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  ScopedTempDir dir_;
};

// Every case runs in a fresh folder R; paths, folders made beforehand and the expected results
// are relative to R.
TEST(EnsurePathCases, CreatesTheFoldersAboveThePathAndReportsExistence) {
  struct Case {
    const char* name;
    std::vector<const char*> foldersBefore;
    std::vector<const char*> filesBefore;
    const char* path;
    bool pathIsFinal;
    int want;
    std::vector<const char*> wantFolders;
    std::vector<const char*> wantMissing;
  };
  const Case cases[] = {
      {"not final: every folder down to the path itself", {}, {}, "A\\B\\C", false, 1,
       {"A", "A\\B", "A\\B\\C"}, {}},
      {"final: the path itself is left alone and is missing", {}, {}, "A\\B\\C", true, 0,
       {"A", "A\\B"}, {"A\\B\\C"}},
      {"final: the path existed already", {"A", "A\\B", "A\\B\\C"}, {}, "A\\B\\C", true, 1,
       {"A\\B\\C"}, {}},
      {"final with a trailing backslash: the walk creates the folder", {}, {}, "A\\B\\", true, 1,
       {"A", "A\\B"}, {}},
      {"final: an existing file counts as existing", {"A"}, {"A\\file.txt"}, "A\\file.txt",
       true, 1, {"A"}, {}},
      {"not final: the last folder cannot be created but its parent exists", {}, {},
       "A\\B\\bad|name", false, 1, {"A", "A\\B"}, {"A\\B\\bad|name"}},
      {"not final: a file is in the way of the parent", {}, {"A"}, "A\\B\\C", false, 0, {},
       {"A\\B", "A\\B\\C"}},
      {"final: a doubled backslash inside the path", {}, {}, "A\\\\B\\", true, 1,
       {"A", "A\\B"}, {}},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    ASSERT_FALSE(dir.path().empty()) << c.name;
    for (const char* folder : c.foldersBefore) {
      ASSERT_TRUE(CreateDirectoryA(dir.Child(folder).c_str(), nullptr)) << c.name;
    }
    for (const char* file : c.filesBefore) ASSERT_TRUE(MakeFile(dir.Child(file))) << c.name;

    EXPECT_EQ(EnsurePath(dir.Child(c.path).c_str(), c.pathIsFinal, nullptr), c.want) << c.name;
    for (const char* folder : c.wantFolders) {
      EXPECT_TRUE(IsFolder(dir.Child(folder))) << c.name << ": " << folder;
    }
    for (const char* missing : c.wantMissing) {
      EXPECT_FALSE(FileOrFolderExists(dir.Child(missing))) << c.name << ": " << missing;
    }
  }
}

TEST_F(EnsurePathTest, PathWithoutBackslashIsCreatedInTheCurrentDirectoryAndAnswersZero) {
  CurrentDirectoryScope here(dir_.path());
  ASSERT_TRUE(here.changed());

  EXPECT_EQ(EnsurePath("Logs", false, nullptr), 0) << "an empty parent never exists";
  EXPECT_TRUE(IsFolder(dir_.Child("Logs")));
}

TEST(EnsurePathNull, NullPathAnswersZero) { EXPECT_EQ(EnsurePath(nullptr, true, nullptr), 0); }

TEST(SeparatorPositions, SkipsTrailBytesOfDoubleByteCharacters) {
  struct Case {
    const char* name;
    const char* path;
    UINT codePage;
    std::vector<std::size_t> want;
  };
  // In Shift-JIS (932) 0x95 0x5C is one character whose trail byte is the code of '\'.
  const Case cases[] = {
      {"plain path", "C:\\A\\B", 1252, {2, 4}},
      {"no separator", "file.xml", 1252, {}},
      {"empty", "", 1252, {}},
      {"UNC path keeps both leading backslashes", "\\\\server\\share", 1252, {0, 1, 8}},
      {"Shift-JIS trail byte is not a separator", "C:\\\x95\x5C\\x", 932, {2, 5}},
      {"the same bytes in a single-byte code page", "C:\\\x95\x5C\\x", 1252, {2, 4, 5}},
      {"a lead byte cut off at the end", "C:\\\x95", 932, {2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SeparatorPositions(c.path, c.codePage), c.want) << c.name;
  }
}

TEST(GetPathFolder, CutsTheLastComponent) {
  struct Case {
    const char* name;
    std::string path;
    std::string want;
  };
  const std::string a600(600, 'a');
  const std::string a1019(1019, 'a');
  const std::string a1020(1020, 'a');
  const Case cases[] = {
      {"file in a folder", "C:\\A\\file.xml", "C:\\A"},
      {"trailing backslash is the only thing removed", "C:\\A\\", "C:\\A"},
      {"no backslash: unchanged", "file.xml", "file.xml"},
      {"drive root", "C:\\x", "C:"},
      {"empty", "", ""},
      {"backslash at the start", "\\file", ""},
      {"UNC share", "\\\\server\\share", "\\\\server"},
      {"1023 characters are all looked at", "C:\\" + a1019 + "\\", "C:\\" + a1019},
      {"the 1024th character is cut before the search", "C:\\" + a1020 + "\\", "C:"},
      {"a backslash beyond 1023 characters is not seen",
       "C:\\" + a600 + "\\" + std::string(500, 'b') + "\\tail", "C:\\" + a600},
  };
  for (const Case& c : cases) EXPECT_EQ(GetPathFolder(c.path.c_str()), c.want) << c.name;
  EXPECT_EQ(GetPathFolder(nullptr), "");
}

}  // namespace

TEST(EndsWithBackslashTest, Table) {
  const struct {
    const char* path;
    bool want;
  } cases[] = {{"C:\\Apps\\", true}, {"C:\\Apps", false}, {"", false}, {"\\", true},
               {"C:\\Apps\\QVX", false}, {"\\\\server\\share\\", true}};
  for (const auto& c : cases) EXPECT_EQ(c.want, EndsWithBackslash(c.path)) << c.path;
}

TEST(LastPathComponentTest, Table) {
  const struct {
    const char* path;
    const char* want;
  } cases[] = {{"C:\\Logs\\Setup2026-12.log", "Setup2026-12.log"}, {"Setup.exe", "Setup.exe"},
               {"C:\\Apps\\", ""}, {"", ""}, {"Tools\\Helpdesk.exe", "Helpdesk.exe"}};
  for (const auto& c : cases) EXPECT_EQ(c.want, LastPathComponent(c.path)) << c.path;
}

TEST(PathLevelsTest, FoldersFromTheTopDownWithoutTheRoots) {
  using Levels = std::vector<std::string>;
  const struct {
    const char* name;
    const char* path;
    Levels want;
  } cases[] = {
      {"a folder two deep", "C:\\A\\B", {"C:\\A", "C:\\A\\B"}},
      {"a trailing backslash adds no level", "C:\\A\\B\\", {"C:\\A", "C:\\A\\B"}},
      {"a drive root has none", "C:\\", {}},
      {"a bare drive has none", "C:", {}},
      {"empty", "", {}},
      {"a rooted path", "\\A\\B", {"\\A", "\\A\\B"}},
      {"a UNC path below its share", "\\\\server\\share\\A\\B",
       {"\\\\server\\share\\A", "\\\\server\\share\\A\\B"}},
      {"a UNC share alone", "\\\\server\\share", {}},
      {"a relative path", "A\\B", {"A", "A\\B"}},
      {"a registry key", "Software\\QVX\\Norvane", {"Software", "Software\\QVX",
                                                   "Software\\QVX\\Norvane"}},
  };
  for (const auto& c : cases) EXPECT_EQ(PathLevels(c.path), c.want) << c.name;
}
