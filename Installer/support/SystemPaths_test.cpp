#include "support/SystemPaths.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(SystemPathsTest, ModuleFileNameGrowsItsBufferUntilThePathFits) {
  const std::string whole = ModuleFileName();
  ASSERT_TRUE(EndsWith(whole, "\\installer_tests.exe")) << whole;
  // A first buffer of a few characters has to grow several times to hold the same path.
  EXPECT_EQ(ModuleFileName(nullptr, 4), whole);
  EXPECT_EQ(ModuleFileName(nullptr, 1), whole);
  EXPECT_EQ(ModuleFileName(reinterpret_cast<HMODULE>(0x1000), MAX_PATH), "")
      << "a module that is not loaded";
}

TEST(SystemPathsTest, RelativePathsBecomeAbsoluteAgainstTheCurrentFolder) {
  const ScopedTempDir temp;
  const std::string work = temp.Child("work");
  ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
  const ScopedCurrentDirectory inWork(work);
  ASSERT_TRUE(inWork.entered());
  const std::string drive = work.substr(0, 2);
  // More than the 259 characters the ANSI call takes.
  const std::string deep(300, 'r');

  struct Case {
    const char* name;
    std::string given;
    std::string want;
  };
  const Case cases[] = {
      {"a name", "Rel", work + "\\Rel"},
      {"a trailing backslash stays", "Rel\\Sub\\", work + "\\Rel\\Sub\\"},
      {"the current folder", ".", work},
      {"the folder above", "..\\Logs", temp.path() + "\\Logs"},
      {"rooted on the current drive", "\\Apps", drive + "\\Apps"},
      {"too long for the system to take stays as given", deep, deep},
      {"fully qualified stays byte for byte", "C:\\Apps\\.\\x.", "C:\\Apps\\.\\x."},
      {"UNC stays", "\\\\server\\share\\..\\x", "\\\\server\\share\\..\\x"},
      {"empty stays empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AbsolutePath(c.given), c.want) << c.name;
}

TEST(SystemPathsTest, FullyQualifiedPathsNameOnePlaceWhateverIsCurrent) {
  struct Case {
    const char* path;
    bool want;
  };
  const Case cases[] = {
      {"C:\\Apps", true},       {"z:\\", true},      {"\\\\server\\share", true},
      {"\\\\?\\C:\\Apps", true}, {"C:Apps", false},   {"C:", false},
      {"\\Apps", false},         {"Apps\\C:\\", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsFullyQualified(c.path), c.want) << c.path;
}

}  // namespace
