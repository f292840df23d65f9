#include "package/codec/ArchiveValidator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace payload {
namespace {

// Writes archive bytes field by field, so that a test can make every field lie.
class RawArchive {
 public:
  RawArchive& Str(const std::string& text) {
    bytes_ += text;
    bytes_ += '\0';
    return *this;
  }
  RawArchive& U32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_ += static_cast<char>(value >> shift);
    return *this;
  }
  RawArchive& Raw(const std::string& text) {
    bytes_ += text;
    return *this;
  }
  RawArchive& Entry(const std::string& path, const std::string& content) {
    return Str(path).U32(static_cast<uint32_t>(content.size())).Raw(content);
  }
  std::vector<uint8_t> bytes() const { return std::vector<uint8_t>(bytes_.begin(), bytes_.end()); }
  size_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

RawArchive Leading(uint32_t count) {
  return RawArchive().Str("Norvane").Str("1.6.0003.0000.0035").Str("<appConfig/>").U32(count);
}

// The sound archive that most cases below break: two entries, one of them empty.
RawArchive Sound() {
  return Leading(2).Entry("unwindle.exe", "abc").Entry("BrenmoorEHR\\locales\\am.pak", "");
}

std::string Validate(const std::vector<uint8_t>& archive, ArchiveSummary* summary = nullptr) {
  return ValidateArchive(archive.data(), archive.size(), summary);
}

TEST(ArchiveValidatorTest, SoundArchiveFillsTheSummary) {
  ArchiveSummary summary;
  ASSERT_EQ(Validate(Sound().bytes(), &summary), "");
  EXPECT_EQ(summary.productName, "Norvane");
  EXPECT_EQ(summary.version, "1.6.0003.0000.0035");
  EXPECT_EQ(summary.configText, "<appConfig/>");
  EXPECT_EQ(summary.fileTableOffset, 8u + 19u + 13u);
  EXPECT_EQ(summary.fileCount, 2u);
  EXPECT_EQ(summary.contentBytes, 3u);
}

TEST(ArchiveValidatorTest, EmptyStringsAndNoFilesAreSound) {
  ArchiveSummary summary;
  ASSERT_EQ(Validate(RawArchive().Str("").Str("").Str("").U32(0).bytes(), &summary), "");
  EXPECT_EQ(summary.fileTableOffset, 3u);
  EXPECT_EQ(summary.fileCount, 0u);
}

TEST(ArchiveValidatorTest, EveryTruncationIsRefusedAndLeavesTheSummaryAlone) {
  const std::vector<uint8_t> full = Sound().bytes();
  for (size_t cut = 0; cut < full.size(); ++cut) {
    const std::vector<uint8_t> prefix(full.begin(), full.begin() + cut);
    ArchiveSummary summary;
    summary.productName = "untouched";
    EXPECT_NE(Validate(prefix, &summary), "") << "cut at " << cut;
    EXPECT_EQ(summary.productName, "untouched") << "cut at " << cut;
  }
}

struct FaultCase {
  const char* name;
  std::vector<uint8_t> archive;
  const char* want;  // a part of the answer
};

TEST(ArchiveValidatorTest, NamesTheFaultAtEachFieldBoundary) {
  const RawArchive base = Leading(2);
  const RawArchive firstPath = RawArchive(base).Str("unwindle.exe");
  const FaultCase kCases[] = {
      {"empty archive", {}, "The archive is empty."},
      {"name without NUL", RawArchive().Raw("Norvane").bytes(),
       "ends inside the product name"},
      {"version without NUL", RawArchive().Str("Norvane").Raw("1.6").bytes(),
       "ends inside the version"},
      {"config without NUL", RawArchive().Str("Norvane").Str("1.6").Raw("<a/>").bytes(),
       "ends inside the configuration text"},
      {"no file count", RawArchive().Str("N").Str("1").Str("").bytes(),
       "ends inside the file count (0 of its 4 bytes"},
      {"half a file count",
       RawArchive().Str("N").Str("1").Str("").Raw(std::string("\x02\0", 2)).bytes(),
       "ends inside the file count (2 of its 4 bytes"},
      {"nothing after the count", base.bytes(),
       "The file count is 2, but the archive ends after 0 entries."},
      {"path without NUL", RawArchive(base).Raw("unwindle").bytes(),
       "Entry 0 runs past the end of the archive inside its path."},
      {"no size field", firstPath.bytes(),
       "Entry 0 (\"unwindle.exe\") runs past the end of the archive inside its size field."},
      {"half a size field", RawArchive(firstPath).Raw(std::string("\x03\0", 2)).bytes(),
       "inside its size field"},
      {"content cut", RawArchive(firstPath).U32(3).Raw("ab").bytes(),
       "Entry 0 (\"unwindle.exe\") claims 3 content bytes, but only 2 remain in the archive."},
      {"second entry missing", RawArchive(base).Entry("a", "x").bytes(),
       "The file count is 2, but the archive ends after 1 entry."},
  };
  for (const auto& c : kCases) {
    const std::string answer = Validate(c.archive);
    EXPECT_NE(answer.find(c.want), std::string::npos) << c.name << ": \"" << answer << "\"";
  }
}

TEST(ArchiveValidatorTest, CountsAndSizesThatLie) {
  const FaultCase kCases[] = {
      {"count one too high", Leading(3).Entry("a", "x").Entry("b", "y").bytes(),
       "The file count is 3, but the archive ends after 2 entries."},
      {"count at its maximum", Leading(0xFFFFFFFFu).Entry("a", "x").bytes(),
       "The file count is 4294967295, but the archive ends after 1 entry."},
      {"count one too low", Leading(1).Entry("a", "x").Entry("b", "y").bytes(),
       "The archive has 7 bytes after its last entry (the file count is 1)."},
      {"count zero with entries", Leading(0).Entry("a", "x").bytes(),
       "The archive has 7 bytes after its last entry (the file count is 0)."},
      {"size too large", Leading(1).Str("a").U32(5).Raw("xyz").bytes(),
       "claims 5 content bytes, but only 3 remain"},
      {"size huge", Leading(1).Str("a").U32(0xFFFFFFFFu).Raw("xyz").bytes(),
       "claims 4294967295 content bytes, but only 3 remain"},
      {"last size too small", Leading(1).Str("a").U32(1).Raw("xyz").bytes(),
       "The archive has 2 bytes after its last entry"},
      // The first entry's tail is read as the second entry's path, which never ends.
      {"first size too small", Leading(2).Str("a").U32(1).Raw("xyz").bytes(),
       "Entry 1 runs past the end of the archive inside its path."},
      {"one stray byte", RawArchive(Sound()).Raw("\x01").bytes(),
       "The archive has 1 bytes after its last entry"},
      {"stray NUL", RawArchive(Sound()).Raw(std::string(1, '\0')).bytes(),
       "The archive has 1 bytes after its last entry"},
  };
  for (const auto& c : kCases) {
    const std::string answer = Validate(c.archive);
    EXPECT_NE(answer.find(c.want), std::string::npos) << c.name << ": \"" << answer << "\"";
  }
}

TEST(ArchiveValidatorTest, RefusesUnsafeNamesWithIndexPathAndReason) {
  const FaultCase kCases[] = {
      {"climbing path", Leading(2).Entry("ok.txt", "").Entry("a\\..\\..\\b", "x").bytes(),
       "Entry 1 (\"a\\..\\..\\b\") has an unsafe path: the component \"..\" refers to"},
      {"empty path", Leading(1).Entry("", "x").bytes(),
       "Entry 0 (\"\") has an unsafe path: the path is empty."},
      {"control byte shown escaped", Leading(1).Entry("a\x01" "b", "").bytes(),
       "Entry 0 (\"a\\x01b\") has an unsafe path: the path contains the character 0x01."},
      {"device name", Leading(1).Entry("BrenmoorEHR\\nul.txt", "").bytes(),
       "is a reserved device name"},
      {"version climbs", RawArchive().Str("N").Str("1\\..\\..").Str("").U32(0).bytes(),
       "The version \"1\\..\\..\" cannot name a folder: the version contains the character '\\'."},
  };
  for (const auto& c : kCases) {
    const std::string answer = Validate(c.archive);
    EXPECT_NE(answer.find(c.want), std::string::npos) << c.name << ": \"" << answer << "\"";
  }
}

// An archive of the given entry paths, each with one byte of content.
std::vector<uint8_t> WithPaths(const std::vector<std::string>& paths) {
  RawArchive archive = Leading(static_cast<uint32_t>(paths.size()));
  for (const std::string& path : paths) archive.Entry(path, "x");
  return archive.bytes();
}

TEST(ArchiveValidatorTest, RefusesTwoEntriesForOnePlaceNamingBoth) {
  struct Case {
    const char* name;
    std::vector<std::string> paths;
    const char* want;
  };
  const Case kCases[] = {
      {"file, then the same name as folder", {"Tools", "a.txt", "Tools\\Helpdesk.exe"},
       "Entry 0 (\"Tools\") and entry 2 (\"Tools\\Helpdesk.exe\") use \"Tools\" both as a "
       "file and as a folder."},
      {"folder, then the same name as file", {"Tools\\Helpdesk.exe", "Tools"},
       "Entry 0 (\"Tools\\Helpdesk.exe\") and entry 1 (\"Tools\") use \"Tools\" both as a "
       "file and as a folder."},
      {"deep folder used as file in another case", {"a\\b\\c\\d.txt", "A\\B"},
       "Entry 0 (\"a\\b\\c\\d.txt\") and entry 1 (\"A\\B\") use \"A\\B\" both as a file"},
      {"file below a file", {"x\\readme", "x\\readme\\more"}, "use \"x\\readme\" both"},
      {"same path twice", {"unwindle.exe", "unwindle.exe"},
       "Entry 0 (\"unwindle.exe\") and entry 1 (\"unwindle.exe\") name the same file (names "
       "are compared without regard to case)."},
      {"ASCII case", {"BrenmoorEHR\\Webvane.exe", "x", "brenmoorehr\\WEBVANE.EXE"},
       "Entry 0 (\"BrenmoorEHR\\Webvane.exe\") and entry 2 (\"brenmoorehr\\WEBVANE.EXE\") "
       "name the same file"},
      {"code page 1252 e acute", {"caf\xE9.txt", "CAF\xC9.TXT"}, "name the same file"},
      {"code page 1252 S caron", {"\x8A.txt", "\x9A.txt"}, "name the same file"},
      {"code page 1252 Y diaeresis", {"\x9F", "\xFF"}, "name the same file"},
      {"code page 1252 OE in a folder", {"\x8C\\a", "\x9C\\A"}, "name the same file"},
      {"accented folder used as file", {"R\xC9SUM\xC9", "r\xE9sum\xE9\\cv.txt"},
       "both as a file and as a folder"},
  };
  for (const auto& c : kCases) {
    const std::string answer = Validate(WithPaths(c.paths));
    EXPECT_NE(answer.find(c.want), std::string::npos) << c.name << ": \"" << answer << "\"";
  }
}

TEST(ArchiveValidatorTest, NamesThatOnlyLookAlikeAreSeparateFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> paths;
  };
  const Case kCases[] = {
      {"siblings in one folder", {"Tools\\a.exe", "Tools\\b.exe", "Tools\\sub\\c.dat"}},
      {"name that starts like a folder", {"Tools\\a.exe", "Tools2", "Tools.txt", "Tool"}},
      {"same name in two folders", {"a\\readme.txt", "b\\readme.txt", "readme.txt"}},
      {"accent is not case", {"cafe.txt", "caf\xE9.txt"}},
      {"sharp s has no capital here", {"stra\xDF" "e", "strasse"}},
      {"multiplication and division signs", {"\xD7", "\xF7"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Validate(WithPaths(c.paths)), "") << c.name;
  }
}

// The benchmark products have 10,000 entries; a hostile one may have a path of thousands of
// folders. Both are checked in one sort, far below this limit (a walk that compared every entry
// with every other, or every folder prefix anew, would take minutes).
TEST(ArchiveValidatorTest, TenThousandEntriesAndAVeryDeepPathAreCheckedQuickly) {
  std::vector<std::string> paths;
  for (int i = 0; i < 10000; ++i) {
    paths.push_back("folder " + std::to_string(i % 37) + "\\sub " + std::to_string(i % 11) +
                    "\\file " + std::to_string(i) + ".dat");
  }
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "d\\";
  paths.push_back(deep + "leaf");
  paths.push_back(deep + "LEAF\\below");  // the last: every earlier path is compared first
  const std::vector<uint8_t> archive = WithPaths(paths);

  const auto start = std::chrono::steady_clock::now();
  const std::string answer = Validate(archive);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_NE(answer.find("Entry 10000 ("), std::string::npos) << answer.substr(0, 80);
  EXPECT_NE(answer.find("both as a file and as a folder."), std::string::npos);
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(ArchiveValidatorTest, LongHostilePathIsCutInTheMessage) {
  const std::string path(5000, 'a');
  const std::string answer = Validate(Leading(1).Str(path).U32(10).bytes());
  EXPECT_NE(answer.find(std::string(200, 'a') + "...\""), std::string::npos) << answer;
  EXPECT_LT(answer.size(), 400u);
}

}  // namespace
}  // namespace payload
