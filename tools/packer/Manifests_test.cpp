// The deployment manifests' pieces: the package identifier, the Uninstall entry they detect, the
// command lines and the quoting of their files. The files as a whole are validated against the
// winget schemas by manifests_test.sh.
#include <gtest/gtest.h>

#include "DeploymentFacts.h"
#include "IntuneApp.h"
#include "PackageIdentifier.h"
#include "WingetManifests.h"
#include "package/codec/UninstallEntry.h"

namespace packer {
namespace {

TEST(ManifestsTest, PackageIdentifierKeepsWhatTheSchemaAllowsInAPart) {
  const struct {
    const char* name;
    std::u16string company;
    std::u16string app;
    std::string want;
  } kCases[] = {
      {"plain names", u"QVX", u"Norvane", "QVX.Norvane"},
      {"blanks go", u"My Company", u"Road Map", "MyCompany.RoadMap"},
      {"dots go: they separate parts", u"Q.V.X.", u"App 2.0", "QVX.App20"},
      {"tab, no-break space and next line go", u"Q\tV\u00A0X", u"Nor\u0085vane", "QVX.Norvane"},
      {"letters beyond ASCII stay, in UTF-8", u"Z\u00FCrich", u"Caf\u00E9",
       "Z\xC3\xBCrich.Caf\xC3\xA9"},
      {"characters winget refuses go", u"A/B\\C:D", u"E*F?G\"H<I>J|K", "ABCD.EFGHIJK"},
      {"each part cut to 32 characters", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", u"N",
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345.N"},
      {"nothing left of a part", u"...", u"Norvane", ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(MakePackageIdentifier(c.company, c.app), c.want) << c.name;
  }
}

TEST(ManifestsTest, UninstallEntryIsTheInstallersKey) {
  EXPECT_EQ(payload::UninstallEntryName("Norvane"), "Norvane_new");
  EXPECT_EQ(std::string(payload::kUninstallEntriesKey),
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  DeploymentFacts facts;
  facts.uninstallEntryName = "Norvane_new";
  EXPECT_EQ(DetectionKeyPath(facts),
            "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            "Norvane_new");
}

DeploymentFacts DemoFacts() {
  DeploymentFacts facts;
  facts.publisher = "QVX";
  facts.appName = "Norvane";
  facts.version = "1.6.0003.0000.0035";
  facts.installerFileName = "NorvaneSetup.exe";
  facts.uninstallProgram = {UninstallProgram::Folder::kCompany, "unwindle.exe"};
  return facts;
}

TEST(ManifestsTest, QuietUninstallCommandIsTheOneTheInstallerWrites) {
  using Folder = UninstallProgram::Folder;
  const struct {
    const char* name;
    UninstallProgram program;
    std::string folder;
    std::string want;
  } kCases[] = {
      {"company folder (the README's example)", {Folder::kCompany, "unwindle.exe"},
       "C:\\Program Files (x86)",
       "\"C:\\Program Files (x86)\\QVX\\unwindle.exe\" \"C:\\Program Files (x86)\" "
       "\"AppInfo.xml\" \"QVX\" \"Norvane\" \"TRUE\""},
      {"application folder", {Folder::kApplication, "tools\\unwindle.exe"}, "D:\\Apps",
       "\"D:\\Apps\\QVX\\Norvane\\tools\\unwindle.exe\" \"D:\\Apps\" \"AppInfo.xml\" \"QVX\" "
       "\"Norvane\" \"TRUE\""},
      {"version folder", {Folder::kVersion, "unwindle.exe"}, "D:\\Apps",
       "\"D:\\Apps\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\unwindle.exe\" \"D:\\Apps\" "
       "\"AppInfo.xml\" \"QVX\" \"Norvane\" \"TRUE\""},
  };
  for (const auto& c : kCases) {
    DeploymentFacts facts = DemoFacts();
    facts.uninstallProgram = c.program;
    EXPECT_EQ(QuietUninstallCommand(facts, c.folder), c.want) << c.name;
  }
}

TEST(ManifestsTest, SilentInstallCommandIsTheReadmesDeploymentExample) {
  DeploymentFacts facts = DemoFacts();
  EXPECT_EQ(SilentInstallCommand(facts, kDefaultInstallFolder),
            "NorvaneSetup.exe \"-dC:\\Program Files (x86)\" \"-lC:\\Windows\\Temp\\QVX\"");
  facts.installerFileName = "Norvane Setup.exe";
  EXPECT_EQ(SilentInstallCommand(facts, "D:\\Apps"),
            "\"Norvane Setup.exe\" \"-dD:\\Apps\" \"-lC:\\Windows\\Temp\\QVX\"");
}

TEST(ManifestsTest, GatheringRefusesWhatNoManifestCanDescribe) {
  DeploymentInputs inputs;
  inputs.names = {u"QVX", u"Norvane", u"Brenmoor"};
  inputs.version = "1.6";
  inputs.uninstallProgram = UninstallProgram{UninstallProgram::Folder::kCompany, "unwindle.exe"};
  inputs.outputPath = "out/NorvaneSetup.exe";
  inputs.license = "Proprietary";
  DeploymentFacts facts;
  ASSERT_EQ(GatherDeploymentFacts(inputs, &facts), "");
  EXPECT_EQ(facts.packageIdentifier, "QVX.Norvane");
  EXPECT_EQ(facts.uninstallEntryName, "Norvane_new");
  EXPECT_EQ(facts.installerUrl, "https://fill-in-the-installer-url.invalid/NorvaneSetup.exe");

  const struct {
    const char* name;
    void (*change)(DeploymentInputs*);
    std::string want;
  } kCases[] = {
      {"no Uninstall entry", [](DeploymentInputs* in) { in->uninstallProgram.reset(); },
       "--manifests: the package writes no Uninstall entry, so no deployment tool could detect "
       "the product; nothing was written"},
      {"a one-letter company", [](DeploymentInputs* in) { in->names.companyName = u"Q"; },
       "--manifests: the winget manifest's Publisher (the companyName) \"Q\" must have 2 to 256 "
       "characters"},
      {"a two-letter project", [](DeploymentInputs* in) { in->names.projectName = u"Br"; },
       "--manifests: the winget manifest's ShortDescription (the projectName) \"Br\" must have 3 "
       "to 256 characters"},
      {"no identifier", [](DeploymentInputs* in) { in->names.appName = u". ."; },
       "--manifests: the companyName \"QVX\" and appName \". .\" leave no winget package "
       "identifier"},
  };
  for (const auto& c : kCases) {
    DeploymentInputs changed = inputs;
    c.change(&changed);
    EXPECT_EQ(GatherDeploymentFacts(changed, &facts), c.want) << c.name;
  }
}

TEST(ManifestsTest, QuotingForYamlAndJson) {
  const struct {
    const char* name;
    std::string text;
    std::string yaml;
    std::string json;
  } kCases[] = {
      {"plain", "QVX", "\"QVX\"", "\"QVX\""},
      {"a switch with quotes and a backslash", "\"-dC:\\A\"", "\"\\\"-dC:\\\\A\\\"\"",
       "\"\\\"-dC:\\\\A\\\"\""},
      {"control characters", "a\tb\x01", "\"a\\x09b\\x01\"", "\"a\\u0009b\\u0001\""},
      {"UTF-8 as it is", "Caf\xC3\xA9", "\"Caf\xC3\xA9\"", "\"Caf\xC3\xA9\""},
      {"YAML's special characters inside quotes", "- a: #b", "\"- a: #b\"", "\"- a: #b\""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(YamlQuoted(c.text), c.yaml) << c.name;
    EXPECT_EQ(JsonQuoted(c.text), c.json) << c.name;
  }
}

}  // namespace
}  // namespace packer
