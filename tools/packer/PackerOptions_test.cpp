#include "PackerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace packer {
namespace {

const std::vector<std::string> kBase = {"--name",   "Norvane", "--version", "1.6",
                                        "--config", "a.xml",   "--product", "dir"};

std::vector<std::string> With(std::vector<std::string> extra) {
  std::vector<std::string> args = kBase;
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(PackerOptionsTest, ReadsEveryOptionInBothForms) {
  PackerOptions options;
  ASSERT_EQ(ParsePackerOptions(With({"--list=p.list", "--payload", "out.bin", "--installer",
                                     "Setup.exe", "--output=Done.exe", "--copyright",
                                     "(C) 2026 QVX"}),
                               &options),
            "");
  EXPECT_FALSE(options.help);
  EXPECT_EQ(options.name, "Norvane");
  EXPECT_EQ(options.version, "1.6");
  EXPECT_EQ(options.configPath, "a.xml");
  EXPECT_EQ(options.productDir, "dir");
  EXPECT_EQ(options.listPath, "p.list");
  EXPECT_EQ(options.payloadPath, "out.bin");
  EXPECT_EQ(options.installerPath, "Setup.exe");
  EXPECT_EQ(options.outputPath, "Done.exe");
  EXPECT_EQ(options.copyright, "(C) 2026 QVX");
}

TEST(PackerOptionsTest, ManifestOptionsAndTheDefaultLicense) {
  PackerOptions options;
  ASSERT_EQ(ParsePackerOptions(With({"--installer", "S.exe", "--output", "D.exe", "--manifests",
                                     "m", "--installer-url", "HTTPS://h/D.exe"}),
                               &options),
            "");
  EXPECT_EQ(options.manifestsDir, "m");
  EXPECT_EQ(options.installerUrl, "HTTPS://h/D.exe");
  EXPECT_EQ(options.license, "Proprietary");
  ASSERT_EQ(ParsePackerOptions(With({"--installer", "S.exe", "--output", "D.exe", "--manifests",
                                     "m", "--license=MIT"}),
                               &options),
            "");
  EXPECT_EQ(options.license, "MIT");
  EXPECT_EQ(options.installerUrl, "");
}

TEST(PackerOptionsTest, HelpWinsOverEverythingElse) {
  PackerOptions options;
  ASSERT_EQ(ParsePackerOptions({"--bogus", "--help"}, &options), "unknown argument "
                                                                        "\"--bogus\" (see --help)");
  ASSERT_EQ(ParsePackerOptions({"--name", "x", "--help"}, &options), "");
  EXPECT_TRUE(options.help);
  EXPECT_EQ(options.name, "");
}

TEST(PackerOptionsTest, RefusesIncompleteOrContradictoryCommandLines) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string want;
  };
  const Case kCases[] = {
      {"no output at all", kBase,
       "nothing to write: give --payload, or --installer with --output"},
      {"missing name", {"--version", "1", "--config", "c", "--product", "d", "--payload", "p"},
       "--name is required and must not be empty"},
      {"empty version",
       {"--name", "N", "--version=", "--config", "c", "--product", "d", "--payload", "p"},
       "--version is required and must not be empty"},
      {"value missing at the end", With({"--payload"}), "--payload needs a value"},
      {"unknown", With({"--payload", "p", "--compress"}),
       "unknown argument \"--compress\" (see --help)"},
      {"installer without output", With({"--installer", "Setup.exe"}),
       "--installer and --output go together"},
      {"output without installer", With({"--output", "Done.exe"}),
       "--installer and --output go together"},
      {"twice", With({"--payload", "p", "--payload", "q"}), "--payload is given twice"},
      {"copyright without an installer", With({"--payload", "p", "--copyright", "(C) QVX"}),
       "--copyright labels a finished installer: give --installer and --output"},
      {"manifests without a finished installer", With({"--payload", "p", "--manifests", "m"}),
       "--manifests describe a finished installer: give --installer and --output"},
      {"installer URL without manifests",
       With({"--installer", "S.exe", "--output", "D.exe", "--installer-url", "https://h/D.exe"}),
       "--installer-url and --license describe the manifests: give --manifests"},
      {"license without manifests", With({"--payload", "p", "--license", "MIT"}),
       "--installer-url and --license describe the manifests: give --manifests"},
      {"installer URL that winget refuses",
       With({"--installer", "S.exe", "--output", "D.exe", "--manifests", "m", "--installer-url",
             "ftp://h/D.exe"}),
       "--installer-url must be an http or https URL of at most 2048 characters"},
  };
  for (const auto& c : kCases) {
    PackerOptions options;
    options.name = "untouched";
    EXPECT_EQ(ParsePackerOptions(c.args, &options), c.want) << c.name;
    EXPECT_EQ(options.name, "untouched") << c.name;
  }
}

TEST(PackerOptionsTest, HelpNamesTheAttachFormInBothBuildsAndTheMemoryLimitInOne) {
  for (const bool win32Build : {false, true}) {
    EXPECT_NE(PackerHelpText(win32Build).find("--installer Setup.exe --output FINISHED.exe"),
              std::string::npos)
        << "win32Build " << win32Build;
    EXPECT_NE(PackerHelpText(win32Build).find("-DSETUP_PAYLOAD="), std::string::npos)
        << "win32Build " << win32Build;
  }
  EXPECT_NE(PackerHelpText(true).find("up to about 550 MiB"), std::string::npos);
  EXPECT_EQ(PackerHelpText(false).find("up to about 550 MiB"), std::string::npos);
}

TEST(PackerOptionsTest, HelpNamesTheLargestInstallableProduct) {
  for (const bool win32Build : {false, true}) {
    EXPECT_NE(PackerHelpText(win32Build).find("compressed stream has more than 1740 MiB"),
              std::string::npos)
        << "win32Build " << win32Build;
  }
}

}  // namespace
}  // namespace packer
