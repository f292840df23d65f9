#include "support/SystemPaths.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
