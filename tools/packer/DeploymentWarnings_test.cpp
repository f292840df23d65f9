#include "DeploymentWarnings.h"

#include <gtest/gtest.h>

namespace packer {
namespace {

std::string Config(const std::string& entries) { return "<appConfig>" + entries + "</appConfig>"; }

const char kExeInfoRoot[] = "<exeInfo><name>unwindle.exe</name><path>root</path></exeInfo>";
const char kUninstallLink[] =
    "<shortCut><name>unwindle.exe</name><alias>Uninstall Norvane</alias></shortCut>";

TEST(DeploymentWarningsTest, UninstallEntryFollowsTheInstallersRule) {
  const struct {
    const char* name;
    std::string config;
    std::vector<std::string> entries;
    bool want;
  } kCases[] = {
      {"listed program with its link", Config(std::string(kExeInfoRoot) + kUninstallLink),
       {"Quorvin.exe", "unwindle.exe"}, true},
      {"listed program, link name in another case",
       Config(std::string(kExeInfoRoot) +
              "<shortCut><name>UNWINDLE.EXE</name><alias>U</alias></shortCut>"),
       {"Tools\\Unwindle.exe"}, true},
      {"no link to the uninstall program", Config(kExeInfoRoot), {"unwindle.exe"}, false},
      {"the package does not carry the program",
       Config(std::string(kExeInfoRoot) + kUninstallLink), {"Quorvin.exe"}, false},
      {"unlisted program: the archive path counts as written",
       Config(kUninstallLink), {"Tools\\unwindle.exe"}, true},
      {"unlisted program in another case: its path does not hold the name",
       Config(kUninstallLink), {"Tools\\Unwindle.exe"}, false},
      {"the main client is never the uninstall program",
       Config("<shortCut><name>Quorvin.exe</name><alias>Q</alias></shortCut>"),
       {"Quorvin.exe", "unwindle.exe"}, false},
      {"an empty configuration", "", {"unwindle.exe"}, false},
  };
  for (const auto& c : kCases) {
    std::vector<ConfigValue> values;
    ASSERT_EQ(ReadConfigValues(c.config, &values), "") << c.name;
    EXPECT_EQ(WritesUninstallEntry(values, c.entries), c.want) << c.name;
  }
}

TEST(DeploymentWarningsTest, UninstallProgramLiesWhereExtractionPutsIt) {
  using Folder = UninstallProgram::Folder;
  const struct {
    const char* name;
    std::string config;
    std::vector<std::string> entries;
    bool found;
    Folder folder;
    std::string path;
  } kCases[] = {
      {"root: the company folder", Config(std::string(kExeInfoRoot) + kUninstallLink),
       {"Quorvin.exe", "unwindle.exe"}, true, Folder::kCompany, "unwindle.exe"},
      {"mainApp: the application folder, below the file's first folder",
       Config("<exeInfo><path>mainApp</path><name>Unwindle.exe</name></exeInfo>" +
              std::string(kUninstallLink)),
       {"Tools\\Unwindle.exe"}, true, Folder::kApplication, "Tools\\unwindle.exe"},
      {"listed without a path: the version folder",
       Config("<exeInfo><name>unwindle.exe</name></exeInfo><exeInfo><path>root</path></exeInfo>" +
              std::string(kUninstallLink)),
       {"unwindle.exe"}, true, Folder::kVersion, "unwindle.exe"},
      {"unlisted: the version folder, its archive path",
       Config(kUninstallLink), {"Tools\\unwindle.exe"}, true, Folder::kVersion,
       "Tools\\unwindle.exe"},
      {"listed two folders deep: the link names a file extraction did not write",
       Config(std::string(kExeInfoRoot) + kUninstallLink), {"a\\b\\unwindle.exe"}, false,
       Folder::kVersion, ""},
      {"a second file of the name goes to the version folder, and the last counts",
       Config(std::string(kExeInfoRoot) + kUninstallLink),
       {"unwindle.exe", "Old\\unwindle.exe"}, true, Folder::kVersion, "Old\\unwindle.exe"},
  };
  for (const auto& c : kCases) {
    std::vector<ConfigValue> values;
    ASSERT_EQ(ReadConfigValues(c.config, &values), "") << c.name;
    const std::optional<UninstallProgram> program = FindUninstallProgram(values, c.entries);
    ASSERT_EQ(program.has_value(), c.found) << c.name;
    if (!program) continue;
    EXPECT_EQ(program->folder, c.folder) << c.name;
    EXPECT_EQ(program->path, c.path) << c.name;
  }
}

TEST(DeploymentWarningsTest, NumericVersions) {
  const struct {
    const char* version;
    bool want;
  } kCases[] = {
      {"1.6.0003.0000.0035", true}, {"2", true},       {"10.0.19045", true},
      {"2.1-beta", false},          {"v2", false},     {"1..2", false},
      {"1.2.", false},              {".1", false},     {"1.2 ", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(IsNumericVersion(c.version), c.want) << c.version;
}

TEST(DeploymentWarningsTest, WarningsSayWhatDeploymentToolsMiss) {
  std::vector<ConfigValue> values;
  ASSERT_EQ(ReadConfigValues(Config(std::string(kExeInfoRoot) + kUninstallLink), &values), "");
  EXPECT_TRUE(FindDeploymentWarnings(values, "1.6", {"unwindle.exe"}).empty());
  EXPECT_EQ(FindDeploymentWarnings(values, "1.6-rc1", {"Quorvin.exe"}),
            (std::vector<std::string>{
                "no Uninstall entry will be written: deployment tools cannot detect the product",
                "the version \"1.6-rc1\" is not numbers separated by dots: deployment tools "
                "cannot compare it as numbers"}));
}

}  // namespace
}  // namespace packer
