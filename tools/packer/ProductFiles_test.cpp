#include "ProductFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestFolder.h"

namespace packer {
namespace {

std::vector<std::string> EntryPaths(const std::vector<ProductFile>& files) {
  std::vector<std::string> paths;
  for (const ProductFile& file : files) paths.push_back(file.entryPath);
  return paths;
}

TEST(ParseListFileTest, KeepsOrderAndNormalisesSeparators) {
  const std::string text =
      "# the uninstaller goes first\r\n"
      "unwindle.exe\r\n"
      "\r\n"
      "BrenmoorEHR/locales/am.pak\n"
      "BrenmoorEHR\\Webvane.exe\n"
      " #1 is a name, not a comment\n"
      "Quorvin.exe";
  std::vector<std::string> paths;
  ASSERT_EQ(ParseListFile(text, &paths), "");
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "unwindle.exe", "BrenmoorEHR\\locales\\am.pak", "BrenmoorEHR\\Webvane.exe",
                       " #1 is a name, not a comment",
                       "Quorvin.exe"}));
}

TEST(ParseListFileTest, RefusesWhatTheInstallerRefusesWithTheLine) {
  struct Case {
    const char* name;
    std::string text;
    std::string want;  // the whole answer
  };
  const Case kCases[] = {
      {"parent", "a.txt\n../x.txt\n",
       "line 2: \"../x.txt\" cannot be installed: the component \"..\" refers to the current or "
       "the parent folder"},
      {"absolute with slash", "/etc/passwd\n",
       "line 1: \"/etc/passwd\" cannot be installed: the path is rooted (it starts with a "
       "backslash)"},
      {"drive", "# c\nC:/x\n", "line 2: \"C:/x\" cannot be installed: the path starts with a drive "
                              "letter"},
      {"device", "nul.txt\r\n", "line 1: \"nul.txt\" cannot be installed: the component "
                                "\"nul.txt\" is a reserved device name"},
      {"trailing blank", "a.txt \n", "line 1: \"a.txt \" cannot be installed: the component "
                                     "\"a.txt \" ends in a dot or a blank, which Windows drops "
                                     "from file names"},
      {"folder only", "dir/\n", "line 1: \"dir/\" cannot be installed: the path has an empty "
                                "component"},
      {"listed twice in other case", "Readme.txt\nb\nREADME.TXT\n",
       "line 3: \"README.TXT\" is already listed on line 1 (names are compared without regard to "
       "case)"},
      {"listed twice in other ANSI case", "caf\xE9.txt\nCAF\xC9.TXT\n",
       "line 2: \"CAF\xC9.TXT\" is already listed on line 1 (names are compared without regard "
       "to case)"},
      {"same file, other separator", "a/b\na\\b\n",
       "line 2: \"a\\b\" is already listed on line 1 (names are compared without regard to case)"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> paths = {"untouched"};
    EXPECT_EQ(ParseListFile(c.text, &paths), c.want) << c.name;
    EXPECT_EQ(paths, std::vector<std::string>{"untouched"}) << c.name;
  }
}

TEST(ScanProductFolderTest, FindsEveryFileSortedByEntryPathBytes) {
  TestFolder folder;
  folder.Write("b.txt", "b");
  folder.Write("a/z.txt", "z");
  folder.Write("a b.txt", "ab");
  folder.Write("Z.txt", "Z");
  folder.Write("a_b", "a_b");
  folder.Write("a/deep/er/c.d.e.txt", "deep");
  folder.Write("\xE9t\xE9.txt", "high bytes");
  folder.MakeFolder("empty/inner");
  std::vector<ProductFile> files;
  ASSERT_EQ(ScanProductFolder(folder.path(), &files), "");
  // Byte order: 'Z' < 'a', ' ' < '\\' < '_', and 0xE9 after every ASCII byte.
  EXPECT_EQ(EntryPaths(files), (std::vector<std::string>{"Z.txt", "a b.txt",
                                                         "a\\deep\\er\\c.d.e.txt", "a\\z.txt",
                                                         "a_b", "b.txt", "\xE9t\xE9.txt"}));
  EXPECT_EQ(files[2].diskPath, folder.path() + "/a/deep/er/c.d.e.txt");
}

TEST(ScanProductFolderTest, RefusesWhatCannotBeInstalled) {
  struct Case {
    const char* name;
    void (*make)(const TestFolder&);
    std::string want;  // the answer after the folder's path
  };
  const Case kCases[] = {
      {"link", [](const TestFolder& f) {
         f.Write("real.txt", "x");
         ASSERT_EQ(symlink("real.txt", (f.path() + "/link.txt").c_str()), 0);
       },
       "/link.txt\" is not a regular file or folder (a link, device or pipe)"},
      {"pipe", [](const TestFolder& f) {
         ASSERT_EQ(mkfifo((f.path() + "/pipe").c_str(), 0600), 0);
       },
       "/pipe\" is not a regular file or folder (a link, device or pipe)"},
      {"device name", [](const TestFolder& f) { f.Write("logs/Com1.log", "x"); },
       "/logs/Com1.log\" cannot be installed: the component \"Com1.log\" is a reserved device "
       "name"},
      {"trailing dot", [](const TestFolder& f) { f.Write("a.", "x"); },
       "/a.\" cannot be installed: the component \"a.\" ends in a dot or a blank, which Windows "
       "drops from file names"},
      {"backslash inside a Linux name", [](const TestFolder& f) { f.Write("a\\b", "x"); },
       "/a\\b\" has a backslash in its name"},
  };
  for (const auto& c : kCases) {
    TestFolder folder;
    c.make(folder);
    std::vector<ProductFile> files;
    EXPECT_EQ(ScanProductFolder(folder.path(), &files), "\"" + folder.path() + c.want) << c.name;
    EXPECT_TRUE(files.empty()) << c.name;
  }
}

TEST(ScanProductFolderTest, RefusesNamesThatDifferOnlyInCase) {
  TestFolder folder;
  folder.Write("dir/Readme.txt", "1");
  folder.Write("DIR/readme.txt", "2");
  std::vector<ProductFile> files;
  EXPECT_EQ(ScanProductFolder(folder.path(), &files),
            "\"DIR\\readme.txt\" and \"dir\\Readme.txt\" differ only in case and would be the "
            "same file on Windows");
}

TEST(ScanProductFolderTest, MissingFolderIsNamed) {
  std::vector<ProductFile> files;
  const std::string answer = ScanProductFolder("/nonexistent/product", &files);
  EXPECT_EQ(answer, "cannot list the folder \"/nonexistent/product\": No such file or directory");
}

TEST(ListedProductFilesTest, ChecksEveryListedFile) {
  TestFolder folder;
  folder.Write("BrenmoorEHR/Webvane.exe", "w");
  folder.MakeFolder("BrenmoorEHR/locales");
  std::vector<ProductFile> files;
  ASSERT_EQ(ListedProductFiles(folder.path(), {"BrenmoorEHR\\Webvane.exe"}, &files), "");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].diskPath, folder.path() + "/BrenmoorEHR/Webvane.exe");

  EXPECT_EQ(ListedProductFiles(folder.path(), {"BrenmoorEHR\\Webvane.exe", "missing.dll"}, &files),
            "listed file \"missing.dll\": \"" + folder.path() + "/missing.dll\" does not exist");
  EXPECT_EQ(ListedProductFiles(folder.path(), {"BrenmoorEHR\\locales"}, &files),
            "listed file \"BrenmoorEHR\\locales\": \"" + folder.path() +
                "/BrenmoorEHR/locales\" is not a regular file");
}

}  // namespace
}  // namespace packer
