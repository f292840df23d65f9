#include "package/codec/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/codec/ArchiveReader.h"
#include "package/codec/ArchiveValidator.h"

namespace payload {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::string AddText(ArchiveWriter& writer, const std::string& path, const std::string& content) {
  return writer.AddFile(path, reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

struct ReadBack {
  ArchiveSummary summary;
  std::vector<std::pair<std::string, std::string>> files;  // path, content
};

// Reads a finished archive back with the installer's own reader.
ReadBack ReadArchive(const std::vector<uint8_t>& archive) {
  ReadBack back;
  const std::string fault = ValidateArchive(archive.data(), archive.size(), &back.summary);
  EXPECT_EQ(fault, "");
  ArchiveReader reader(archive.data(), archive.size(), back.summary.fileTableOffset + 4);
  ArchiveEntry entry;
  while (ReadEntry(reader, &entry)) {
    back.files.emplace_back(std::string(entry.path),
                            std::string(reinterpret_cast<const char*>(entry.content), entry.size));
  }
  EXPECT_EQ(reader.remaining(), 0u);
  return back;
}

TEST(ArchiveWriterTest, LayoutIsByteForByte) {
  ArchiveWriter writer("Norvane", "1.0", "<a/>");
  ASSERT_EQ(AddText(writer, "dir\\f.txt", "hi"), "");
  ASSERT_EQ(AddText(writer, "e", ""), "");
  const std::string want("Norvane\0" "1.0\0" "<a/>\0" "\x02\0\0\0"
                         "dir\\f.txt\0" "\x02\0\0\0" "hi"
                         "e\0" "\0\0\0\0", 8 + 4 + 5 + 4 + 10 + 4 + 2 + 2 + 4);
  EXPECT_EQ(writer.Finish(), Bytes(want));
  EXPECT_EQ(writer.archiveSize(), want.size());
  EXPECT_EQ(writer.fileCount(), 2u);
}

TEST(ArchiveWriterTest, NoFilesRoundTrip) {
  ArchiveWriter writer("Empty", "0.0", "");
  ASSERT_EQ(writer.Problem(), "");
  const ReadBack back = ReadArchive(writer.Finish());
  EXPECT_EQ(back.summary.productName, "Empty");
  EXPECT_EQ(back.summary.version, "0.0");
  EXPECT_EQ(back.summary.configText, "");
  EXPECT_EQ(back.summary.fileCount, 0u);
  EXPECT_TRUE(back.files.empty());
}

TEST(ArchiveWriterTest, NestedEmptyAndLargeFilesRoundTripInOrder) {
  std::string large(3 * 1024 * 1024 + 7, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 2654435761u) >> 13);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"unwindle.exe", "uninstaller"},
      {"BrenmoorEHR\\locales\\am.pak", "am"},
      {"BrenmoorEHR\\empty.dat", ""},
      {"BrenmoorEHR\\resources\\big.bin", large},
      {"a b\\c.d.e.txt", std::string("with\0NUL", 8)},
      {"Quorvin.exe", "client"},
  };
  ArchiveWriter writer("Norvane", "1.6.0003.0000.0035", "<appConfig>\r\n</appConfig>\r\n");
  for (const auto& [path, content] : files) ASSERT_EQ(AddText(writer, path, content), "") << path;
  const ReadBack back = ReadArchive(writer.Finish());
  EXPECT_EQ(back.summary.configText, "<appConfig>\r\n</appConfig>\r\n");
  EXPECT_EQ(back.summary.fileCount, files.size());
  EXPECT_EQ(back.summary.contentBytes, 11u + 2 + 0 + large.size() + 8 + 6);
  ASSERT_EQ(back.files.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(back.files[i].first, files[i].first) << i;
    EXPECT_TRUE(back.files[i].second == files[i].second) << files[i].first;
  }
}

TEST(ArchiveWriterTest, RefusedEntryLeavesTheArchiveUnchanged) {
  ArchiveWriter writer("N", "1", "");
  ASSERT_EQ(AddText(writer, "a", "x"), "");
  const std::vector<uint8_t> before = writer.Finish();
  EXPECT_NE(AddText(writer, "..\\evil.exe", "x").find("parent folder"), std::string::npos);
  EXPECT_NE(AddText(writer, "C:\\evil.exe", "x").find("drive letter"), std::string::npos);
  EXPECT_EQ(writer.Finish(), before);
  EXPECT_EQ(writer.fileCount(), 1u);
}

TEST(ArchiveWriterTest, RefusesSizesOverTheThirtyTwoBitLimits) {
  // The limits are checked before the content is touched, so a small buffer stands in for the
  // content that such a file would have.
  const uint8_t small[16] = {};
  ArchiveWriter writer("N", "1", "");
  const std::string overall = writer.AddFile("big.bin", small, 0xFFFFFFF0u);
  EXPECT_NE(overall.find("would grow past 4 GiB - 1"), std::string::npos) << overall;
  if (sizeof(size_t) > 4) {
    const size_t tooLarge = static_cast<size_t>(uint64_t{1} << 32);
    const std::string single = writer.AddFile("huge.bin", small, tooLarge);
    EXPECT_NE(single.find("more than the 4 GiB - 1 an entry holds"), std::string::npos) << single;
  }
  EXPECT_EQ(writer.fileCount(), 0u);
  EXPECT_EQ(writer.archiveSize(), 2u + 2 + 1 + 4);
}

TEST(ArchiveWriterTest, ProblemNamesNulInLeadingStringsAndABadVersion) {
  struct Case {
    const char* name;
    std::string productName, version, configText;
    const char* want;
  };
  const Case kCases[] = {
      {"sound", "Norvane", "1.6", "<a/>", ""},
      {"NUL in name", std::string("Nor\0vane", 8), "1.6", "",
       "the product name contains a NUL byte"},
      {"NUL in version", "N", std::string("1\0" "6", 3), "", "the version contains a NUL byte"},
      {"NUL in config", "N", "1.6", std::string("<a>\0</a>", 8),
       "the configuration text contains a NUL byte"},
      {"version with separator", "N", "1.6\\x", "", "the version contains the character '\\'"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ArchiveWriter(c.productName, c.version, c.configText).Problem(), c.want) << c.name;
  }
}

}  // namespace
}  // namespace payload
