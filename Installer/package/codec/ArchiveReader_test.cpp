#include "package/codec/ArchiveReader.h"

#include <gtest/gtest.h>

#include "package/codec/ArchiveWriter.h"

#include <string>
#include <vector>

namespace payload {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// One entry "dir\f.txt" with the 3 content bytes "abc", followed by one spare byte.
const std::string kEntry("dir\\f.txt\0\x03\0\0\0abcZ", 18);

TEST(ArchiveReaderTest, ReadsStringsIntegersAndBytesInOrder) {
  const std::vector<uint8_t> data = Bytes(std::string("ab\0\0\x78\x56\x34\x12xyz", 11));
  ArchiveReader reader(data.data(), data.size());
  std::string_view text;
  ASSERT_TRUE(reader.ReadString(&text));
  EXPECT_EQ(text, "ab");
  ASSERT_TRUE(reader.ReadString(&text));
  EXPECT_EQ(text, "");
  uint32_t value = 0;
  ASSERT_TRUE(reader.ReadU32(&value));
  EXPECT_EQ(value, 0x12345678u);
  const uint8_t* bytes = nullptr;
  ASSERT_TRUE(reader.ReadBytes(3, &bytes));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 3), "xyz");
  EXPECT_EQ(reader.offset(), 11u);
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ArchiveReaderTest, RefusesToReadPastTheEndAndStaysPut) {
  const std::vector<uint8_t> data = Bytes("abc");  // no NUL anywhere
  ArchiveReader reader(data.data(), data.size(), 1);
  std::string_view text = "unchanged";
  EXPECT_FALSE(reader.ReadString(&text));
  EXPECT_EQ(text, "unchanged");
  uint32_t value = 7;
  EXPECT_FALSE(reader.ReadU32(&value));
  EXPECT_EQ(value, 7u);
  const uint8_t* bytes = nullptr;
  EXPECT_FALSE(reader.ReadBytes(3, &bytes));
  EXPECT_EQ(reader.offset(), 1u);
  ASSERT_TRUE(reader.ReadBytes(2, &bytes));
  EXPECT_EQ(reader.remaining(), 0u);
  EXPECT_TRUE(reader.ReadBytes(0, &bytes));
}

TEST(ArchiveReaderTest, ClampsAStartBeyondTheEnd) {
  const std::vector<uint8_t> data = Bytes("abc");
  ArchiveReader reader(data.data(), data.size(), 10);
  EXPECT_EQ(reader.offset(), 3u);
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ArchiveReaderTest, ReadsAnEntryInPlace) {
  const std::vector<uint8_t> data = Bytes(kEntry);
  ArchiveReader reader(data.data(), data.size());
  ArchiveEntry entry;
  ASSERT_TRUE(ReadEntry(reader, &entry));
  EXPECT_EQ(entry.path, "dir\\f.txt");
  EXPECT_EQ(entry.size, 3u);
  EXPECT_EQ(entry.content, data.data() + 14);
  EXPECT_EQ(reader.offset(), 17u);
}

TEST(ArchiveReaderTest, EntryCutAnywhereLeavesReaderAndEntryUnchanged) {
  // Every cut before the last content byte must fail: inside the path, at its NUL, inside the
  // size field and inside the content.
  for (size_t cut = 0; cut < 17; ++cut) {
    const std::vector<uint8_t> data = Bytes(kEntry.substr(0, cut));
    ArchiveReader reader(data.data(), data.size());
    ArchiveEntry entry;
    entry.size = 99;
    EXPECT_FALSE(ReadEntry(reader, &entry)) << "cut at " << cut;
    EXPECT_EQ(reader.offset(), 0u) << "cut at " << cut;
    EXPECT_EQ(entry.size, 99u) << "cut at " << cut;
  }
}

TEST(ArchiveReaderTest, EntrySizeLargerThanTheRestFails) {
  const std::vector<uint8_t> data = Bytes(std::string("f\0\xFF\xFF\xFF\xFF" "abc", 9));
  ArchiveReader reader(data.data(), data.size());
  ArchiveEntry entry;
  EXPECT_FALSE(ReadEntry(reader, &entry));
  EXPECT_EQ(reader.offset(), 0u);
}

TEST(ListEntryPathsTest, EveryPathInArchiveOrder) {
  ArchiveWriter writer("Norvane", "1.0", "<appConfig/>");
  const uint8_t content[] = {'x'};
  for (const char* path : {"b.exe", "Tools\\Helpdesk.exe", "a.txt"}) {
    ASSERT_EQ(writer.AddFile(path, content, sizeof(content)), "") << path;
  }
  const std::vector<uint8_t> archive = writer.Finish();
  const std::vector<std::string> want = {"b.exe", "Tools\\Helpdesk.exe", "a.txt"};

  EXPECT_EQ(ListEntryPaths(archive.data(), archive.size()), want);
  // Cut inside the last entry: the entries before it are still listed.
  EXPECT_EQ(ListEntryPaths(archive.data(), archive.size() - 1),
            std::vector<std::string>(want.begin(), want.end() - 1));
  EXPECT_TRUE(ListEntryPaths(archive.data(), 5).empty()) << "cut inside the leading strings";
}

}  // namespace
}  // namespace payload
