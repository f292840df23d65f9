#include "package/codec/ConfigNames.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace payload {
namespace {

struct NameCase {
  const char* name;
  ConfigName which;
  std::string value;
  const char* wantInReason;  // nullptr: the value must be accepted
};

// |reason| must be "" when |wantInReason| is null, else contain it.
void ExpectVerdict(const char* name, const std::string& reason, const char* wantInReason) {
  if (wantInReason == nullptr) {
    EXPECT_EQ(reason, "") << name;
  } else {
    EXPECT_NE(reason.find(wantInReason), std::string::npos)
        << name << ": reason \"" << reason << "\"";
  }
}

void ExpectVerdicts(const NameCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    ExpectVerdict(cases[i].name, CheckConfigName(cases[i].which, cases[i].value),
                  cases[i].wantInReason);
  }
}

TEST(ConfigNamesTest, RefusesValuesThatLeaveTheirFolder) {
  using C = ConfigName;
  const NameCase kCases[] = {
      {"appName climbing out", C::kAppName, "..\\..\\Esc", "single folder name"},
      {"appName parent", C::kAppName, "..", "refers to the current or the parent folder"},
      {"appName current", C::kAppName, ".", "refers to the current or the parent folder"},
      {"appName drive", C::kAppName, "C:", "drive letter"},
      {"appName device", C::kAppName, "nul", "reserved device name"},
      {"appName trailing dot", C::kAppName, "Norvane.", "ends in a dot"},
      {"appName stream", C::kAppName, "Nor:vane", "':'"},
      {"companyName climbing out", C::kCompanyName, "..\\..\\EscCo", "single folder name"},
      {"companyName rooted", C::kCompanyName, "\\EscCo", "single folder name"},
      {"companyName UNC", C::kCompanyName, "\\\\server\\share", "single folder name"},
      {"companyName slash", C::kCompanyName, "a/../b", "'/'"},
      {"companyName control byte", C::kCompanyName, "Q\tVX", "0x09"},
      {"companyName device with extension", C::kCompanyName, "COM1.lnk", "reserved device"},
      {"alias of many parents", C::kShortcutAlias, "..\\..\\..\\..\\..\\..\\..\\escaped",
       "refers to the current or the parent folder"},
      {"alias climbing from a folder", C::kShortcutAlias, "Tools\\..\\..\\x", "parent folder"},
      {"alias rooted", C::kShortcutAlias, "\\Users\\Public\\Desktop\\x", "rooted"},
      {"alias absolute", C::kShortcutAlias, "C:\\escaped", "drive letter"},
      {"alias wildcard", C::kShortcutAlias, "a*b", "'*'"},
      {"alias device", C::kShortcutAlias, "aux", "reserved device"},
      {"shortCut name climbing", C::kShortcutName, "..\\..\\Windows\\notepad.exe",
       "parent folder"},
      {"shortCut name absolute", C::kShortcutName, "c:\\windows\\system32\\cmd.exe",
       "drive letter"},
      {"shortCut icon absolute", C::kShortcutIcon, "\\\\server\\share\\evil.ico", "rooted"},
      {"exeInfo path absolute", C::kExePath, "C:\\Windows\\", "drive letter"},
      {"exeInfo path climbing", C::kExePath, "..\\..\\", "parent folder"},
      {"exeInfo path lone backslash", C::kExePath, "\\", "rooted"},
      {"exeInfo path two trailing backslashes", C::kExePath, "Tools\\\\", "empty component"},
      {"exeInfo path keyword with other case", C::kExePath, "Root\\..", "parent folder"},
  };
  ExpectVerdicts(kCases, std::size(kCases));
}

TEST(ConfigNamesTest, AcceptsTheValuesProductsUse) {
  using C = ConfigName;
  const NameCase kCases[] = {
      {"shipped appName", C::kAppName, "Norvane", nullptr},
      {"appName with blank and dot", C::kAppName, "Tallyset Admin.v2", nullptr},
      {"appName with ANSI letter", C::kAppName, "Sant\xE9", nullptr},
      {"shipped companyName", C::kCompanyName, "QVX", nullptr},
      {"empty companyName takes the default", C::kCompanyName, "", nullptr},
      {"empty appName takes the default", C::kAppName, "", nullptr},
      {"shipped alias", C::kShortcutAlias, "Uninstall Norvane", nullptr},
      {"alias in a sub-folder", C::kShortcutAlias, "Tools\\Helpdesk", nullptr},
      {"empty alias", C::kShortcutAlias, "", nullptr},
      {"main client icon index", C::kShortcutIcon, "4", nullptr},
      {"icon file", C::kShortcutIcon, "unwindle.exe", nullptr},
      {"empty icon", C::kShortcutIcon, "", nullptr},
      {"shortCut name", C::kShortcutName, "quorvin.exe", nullptr},
      {"shortCut name in a folder", C::kShortcutName, "brenmoorehr\\webvane.exe", nullptr},
      {"exeInfo keyword root", C::kExePath, "root", nullptr},
      {"exeInfo keyword mainApp", C::kExePath, "mainApp", nullptr},
      {"empty exeInfo path", C::kExePath, "", nullptr},
      {"exeInfo folder", C::kExePath, "BrenmoorEHR", nullptr},
      {"exeInfo folder with its backslash", C::kExePath, "BrenmoorEHR\\", nullptr},
      {"exeInfo nested folder", C::kExePath, "BrenmoorEHR\\bin\\", nullptr},
  };
  ExpectVerdicts(kCases, std::size(kCases));
}

TEST(ConfigNamesTest, ReasonNamesTheElementAndTheValue) {
  EXPECT_EQ(CheckConfigName(ConfigName::kAppName, "..\\..\\Esc"),
            "the configuration's appName \"..\\..\\Esc\" must be a single folder name (it "
            "contains a backslash)");
  EXPECT_EQ(CheckConfigName(ConfigName::kShortcutAlias, "..\\x"),
            "the configuration's shortCut alias \"..\\x\" cannot be part of a path: the "
            "component \"..\" refers to the current or the parent folder");
  EXPECT_EQ(CheckConfigName(ConfigName::kExePath, "C:\\Windows\\"),
            "the configuration's exeInfo path \"C:\\Windows\\\" cannot be part of a path: the "
            "path starts with a drive letter");
}

TEST(ConfigNamesTest, VersionFolderNameIsCheckedAsOneName) {
  struct Case {
    const char* name;
    std::string appName;
    std::string version;
    const char* wantInReason;
  };
  const Case kCases[] = {
      {"shipped", "Norvane", "1.6.0003.0000.0035", nullptr},
      {"default appName", "", "1.0", nullptr},
      {"no version", "Norvane", "", nullptr},
      {"together a device", "CO", "M1", "the component \"COM1\" is a reserved device name"},
      {"together a device with extension", "LPT", "1.0", "reserved device name"},
  };
  for (const auto& c : kCases) {
    ExpectVerdict(c.name, CheckVersionFolderName(c.appName, c.version), c.wantInReason);
  }
  EXPECT_EQ(CheckVersionFolderName("CO", "M1"),
            "the configuration's appName \"CO\" followed by the version \"M1\" cannot name the "
            "version folder \"COM1\": the component \"COM1\" is a reserved device name");
}

}  // namespace
}  // namespace payload
