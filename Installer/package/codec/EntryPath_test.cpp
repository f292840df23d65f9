#include "package/codec/EntryPath.h"

#include <gtest/gtest.h>

#include <string>

namespace payload {
namespace {

struct PathCase {
  const char* name;
  std::string path;
  const char* wantInReason;  // nullptr: the path must be accepted
};

TEST(EntryPathTest, RefusesPathsThatWouldLandElsewhere) {
  const PathCase kCases[] = {
      {"empty", "", "empty"},
      {"parent", "..", "parent folder"},
      {"three dots", "...", "ends in a dot"},
      {"climbs out", "a\\..\\..\\b", "parent folder"},
      {"current folder", "a\\.\\b", "current"},
      {"drive relative", "C:x", "drive letter"},
      {"drive absolute", "C:\\x", "drive letter"},
      {"lower-case drive", "c:\\x", "drive letter"},
      {"rooted", "\\x", "rooted"},
      {"UNC", "\\\\server\\share\\x", "rooted"},
      {"device namespace", "\\\\?\\C:\\x", "rooted"},
      {"drive-relative, one letter", "a:b", "drive letter"},
      {"stream", "ab:c", "':'"},
      {"stream in folder", "dir\\a.txt:hidden", "':'"},
      {"forward slash", "a/b", "'/'"},
      {"console", "con", "reserved device"},
      {"nul with extension", "NUL.txt", "reserved device"},
      {"printer with extension", "lpt9.log", "reserved device"},
      {"mixed case port", "Com1.log", "reserved device"},
      {"device below folder", "dir\\aux", "reserved device"},
      {"device with blank before dot", "COM1 .log", "reserved device"},
      {"device with two extensions", "prn.tar.gz", "reserved device"},
      {"superscript port", "COM\xB9", "reserved device"},
      {"console input", "CONIN$", "reserved device"},
      {"control byte", "a\x01" "b", "0x01"},
      {"tab", "a\tb", "0x09"},
      {"less than", "a<b", "'<'"},
      {"greater than", "a>b", "'>'"},
      {"quote", "a\"b", "'\"'"},
      {"bar", "a|b", "'|'"},
      {"question mark", "a?b", "'?'"},
      {"star", "*.txt", "'*'"},
      {"trailing dot", "a.", "ends in a dot"},
      {"trailing blank", "a ", "ends in a dot or a blank"},
      {"folder with trailing dot", "dir.\\a", "ends in a dot"},
      {"trailing backslash", "dir\\", "empty component"},
      {"double backslash", "a\\\\b", "empty component"},
  };
  for (const auto& c : kCases) {
    const std::string reason = CheckEntryPath(c.path);
    EXPECT_NE(reason.find(c.wantInReason), std::string::npos)
        << c.name << ": reason \"" << reason << "\"";
  }
}

TEST(EntryPathTest, AcceptsOrdinaryProductPaths) {
  const PathCase kCases[] = {
      {"blanks and dots", "a b\\c.d.e.txt", nullptr},
      {"nested", "BrenmoorEHR\\locales\\am.pak", nullptr},
      {"high ANSI byte", "caf\xE9\\r\xE9sum\xE9.txt", nullptr},
      {"port number too long", "COM10", nullptr},
      {"port zero with letters", "COMX", nullptr},
      {"device name inside a word", "console.log", nullptr},
      {"device name as extension", "a.con", nullptr},
      {"leading dot", ".config", nullptr},
      {"leading blank", " a", nullptr},
      {"single character", "a", nullptr},
      {"dollar and brackets", "x$[1]{2}.dat", nullptr},
  };
  for (const auto& c : kCases) EXPECT_EQ(CheckEntryPath(c.path), "") << c.name;
}

TEST(EntryPathTest, VersionMustBeUsableInsideAFolderName) {
  const PathCase kCases[] = {
      {"shipped form", "1.6.0003.0000.0035", nullptr},
      {"empty", "", nullptr},
      {"with blank inside", "1.0 beta", nullptr},
      {"backslash", "1.0\\..\\..", "'\\'"},
      {"slash", "1.0/2", "'/'"},
      {"colon", "1:0", "':'"},
      {"control byte", "1.0\n", "0x0A"},
      {"trailing dot", "1.0.", "ends in a dot"},
      {"trailing blank", "1.0 ", "ends in a dot or a blank"},
  };
  for (const auto& c : kCases) {
    const std::string reason = CheckVersionText(c.path);
    if (c.wantInReason == nullptr) {
      EXPECT_EQ(reason, "") << c.name;
    } else {
      EXPECT_NE(reason.find(c.wantInReason), std::string::npos)
          << c.name << ": reason \"" << reason << "\"";
    }
  }
}

}  // namespace
}  // namespace payload
