#include "framework/DllSearch.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/TestTools.h"

namespace {

// What a child process finds when it loads modules by bare name from |plantedFolder| as its
// current folder: 0 when the module planted there was loaded, 1 when it was not but a System32
// DLL still was, 2 when not even the System32 DLL could be loaded.
int ProbeSearch(const std::string& plantedFolder, const char* plantedName) {
  SetCurrentDirectoryA(plantedFolder.c_str());
  if (LoadLibraryA(plantedName) != nullptr) return 0;
  return LoadLibraryA("version.dll") != nullptr ? 1 : 2;
}

// Each probe runs in a child process of its own (a death test), since the limit cannot be undone
// and the other tests of this program must keep the ordinary search.
TEST(DllSearchDeathTest, OnlySystem32IsSearchedOnceLimited) {
  // Any module file will do as the planted "DLL"; the echo tool sits in a folder of its own.
  const std::string planted = TestToolPath("argv_echo.exe");
  ASSERT_TRUE(FileExists(planted)) << planted << " is missing: build the argv_echo target";
  const std::string folder = planted.substr(0, planted.find_last_of('\\'));

  // Without the limit the current folder is searched: the probe can see a planted file.
  EXPECT_EXIT(std::exit(ProbeSearch(folder, "argv_echo.exe")), ::testing::ExitedWithCode(0), "");
  // With it, the planted file is passed over and System32 still serves.
  EXPECT_EXIT(
      {
        LimitDllSearchToSystem32();
        std::exit(ProbeSearch(folder, "argv_echo.exe"));
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
