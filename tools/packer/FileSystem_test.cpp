#include "FileSystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "TestFolder.h"

namespace packer {
namespace {

TEST(FileSystemTest, FileOverTheLimitIsRefusedBeforeItIsRead) {
  TestFolder folder;
  // A sparse file: 4 GiB on paper, no disk space in fact.
  const std::string big = folder.Write("huge.bin", "");
  ASSERT_EQ(truncate(big.c_str(), 0x100000000LL), 0);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(big, 0xFFFFFFFFu, &bytes),
            "\"" + big + "\" has 4294967296 bytes, more than the 4294967295 an archive entry can hold");
  EXPECT_TRUE(bytes.empty()) << "nothing is read";
}

TEST(FileSystemTest, WholeFileIsReadUpToItsLimit) {
  TestFolder folder;
  const std::string path = folder.Write("four.bin", "abcd");
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, 4, &bytes), "");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcd");
}

}  // namespace
}  // namespace packer
