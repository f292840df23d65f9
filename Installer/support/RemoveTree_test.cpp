// RemoveTree against the real file system of the test prefix, in a temporary folder per test.
#include "support/RemoveTree.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/TestTools.h"
#include "support/FolderLinkTestTools.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace {

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const UniqueHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  ASSERT_TRUE(file) << path;
  DWORD written = 0;
  WriteFile(file.get(), "bytes", 5, &written, nullptr);
}

class RemoveTreeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  ScopedTempDir dir_;
};

TEST_F(RemoveTreeTest, RemovesEverythingBelowAndNothingBeside) {
  const std::string tree = dir_.Child("tree");
  ASSERT_TRUE(CreateDirectoryA(tree.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((tree + "\\a").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((tree + "\\a\\b").c_str(), nullptr));
  MakeFile(tree + "\\a\\b\\read-only.bin", FILE_ATTRIBUTE_READONLY);
  MakeFile(tree + "\\a\\plain.bin");
  ASSERT_TRUE(CreateDirectoryA((tree + "\\read-only folder").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((tree + "\\read-only folder").c_str(), FILE_ATTRIBUTE_READONLY));
  MakeFile(dir_.Child("tree beside.bin"));

  RemovalFailure failure;
  EXPECT_TRUE(RemoveTree(tree, &failure));
  EXPECT_EQ(0u, failure.count);
  EXPECT_FALSE(FileOrFolderExists(tree));
  EXPECT_TRUE(FileOrFolderExists(dir_.Child("tree beside.bin")));
}

TEST_F(RemoveTreeTest, AMissingPathAndASingleFileAreFine) {
  EXPECT_TRUE(RemoveTree(dir_.Child("missing"), nullptr));
  EXPECT_TRUE(RemoveTree(dir_.Child("missing\\deeper"), nullptr));
  MakeFile(dir_.Child("single.bin"), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(RemoveTree(dir_.Child("single.bin"), nullptr));
  EXPECT_FALSE(FileOrFolderExists(dir_.Child("single.bin")));
}

TEST_F(RemoveTreeTest, AFileHeldOpenStaysAndTheRestGoes) {
  const std::string tree = dir_.Child("tree");
  ASSERT_TRUE(CreateDirectoryA(tree.c_str(), nullptr));
  MakeFile(tree + "\\free.bin");
  MakeFile(tree + "\\held.bin");
  const UniqueHandle held(CreateFileA((tree + "\\held.bin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  RemovalFailure failure;
  EXPECT_FALSE(RemoveTree(tree, &failure));
  EXPECT_STREQ("DeleteFileA", failure.call);
  EXPECT_EQ(tree + "\\held.bin", failure.path);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), failure.error);
  EXPECT_EQ(2u, failure.count) << "the held file and the folder above it";
  EXPECT_TRUE(FileOrFolderExists(tree + "\\held.bin"));
  EXPECT_FALSE(FileOrFolderExists(tree + "\\free.bin"));
}

// A link inside a removed tree may point anywhere; the files it points to are never touched.
TEST_F(RemoveTreeTest, ALinkToAFolderIsNotEntered) {
  const std::string outside = dir_.Child("outside");
  ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
  MakeFile(outside + "\\keep.bin");
  const std::string tree = dir_.Child("tree");
  ASSERT_TRUE(CreateDirectoryA(tree.c_str(), nullptr));
  const ScopedFolderLink link(tree + "\\link", outside);
  ASSERT_TRUE(link.made());

  RemoveTree(tree, nullptr);
  EXPECT_TRUE(FileOrFolderExists(outside + "\\keep.bin"));
  EXPECT_TRUE(FileOrFolderExists(outside));
}

}  // namespace
