#include "InstallerLabel.h"

#include <gtest/gtest.h>

#include "DemoRequest.h"

#include <fstream>
#include <sstream>

#include "TestFolder.h"

namespace packer {
namespace {

std::string DemoConfig() {
  std::ifstream file(DEMO_DIR "/appConfig.xml", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(InstallerLabelTest, FromTheConfigurationWithTheInstallersDefaults) {
  const struct {
    const char* name;
    std::string config;
    std::string productName;
    std::u16string company;
    std::u16string product;
  } kCases[] = {
      {"the demo", DemoConfig(), "Norvane", u"QVX", u"Brenmoor"},
      {"an empty configuration", "", "Norvane", u"QVX", u"Norvane"},
      {"no projectName: the product name in code page 1252",
       "<appConfig><appInfo><companyName>Brenmoor Health</companyName></appInfo></appConfig>",
       "Sant\xE9", u"Brenmoor Health", u"Sant\u00E9"},
      {"blank names take the defaults",
       "<appConfig><appInfo><companyName> </companyName><projectName/></appInfo></appConfig>",
       "Norvane", u"QVX", u"Norvane"},
      {"UTF-8 bytes of the product name are two characters, as the installer shows them", "",
       "Sant\xC3\xA9", u"QVX", u"Sant\u00C3\u00A9"},
  };
  for (const auto& c : kCases) {
    std::vector<ConfigValue> values;
    ASSERT_EQ("", ReadConfigValues(c.config, &values)) << c.name;
    const InstallerLabel label =
        MakeInstallerLabel(values, c.productName, "1.6.0003.0000.0035", {"out/NorvaneSetup.exe", ""});
    EXPECT_EQ(c.company, label.companyName) << c.name;
    EXPECT_EQ(u"Copyright (C) " + c.company, label.legalCopyright) << c.name;
    EXPECT_EQ(c.product, label.productName) << c.name;
    EXPECT_EQ(c.product + u" Setup", label.fileDescription) << c.name;
    EXPECT_EQ(u"1.6.0003.0000.0035", label.versionText) << c.name;
    EXPECT_EQ((VersionNumbers{1, 6, 3, 0}), label.numbers) << c.name;
  }
}

TEST(InstallerLabelTest, FileNamesAndCopyright) {
  const struct {
    const char* name;
    InstallerFile file;
    std::u16string original;
    std::u16string internal;
    std::u16string copyright;
  } kCases[] = {
      {"a path with slashes", {"build/out/NorvaneSetup.exe", ""}, u"NorvaneSetup.exe",
       u"NorvaneSetup", u"Copyright (C) Brenmoor Health"},
      {"a Windows path", {"C:\\Out\\Norvane.Setup.exe", "(C) 2026 Brenmoor"},
       u"Norvane.Setup.exe", u"Norvane.Setup", u"(C) 2026 Brenmoor"},
      {"no extension", {"Setup", ""}, u"Setup", u"Setup", u"Copyright (C) Brenmoor Health"},
      {"a leading dot is no extension", {"dir/.setup", ""}, u".setup", u".setup",
       u"Copyright (C) Brenmoor Health"},
      {"code page 1252 bytes", {"Sant\xE9.exe", "\xA9 Sant\xE9"}, u"Sant\u00E9.exe",
       u"Sant\u00E9", u"\u00A9 Sant\u00E9"},
  };
  std::vector<ConfigValue> values;
  ASSERT_EQ("", ReadConfigValues("<appConfig><appInfo><companyName>Brenmoor Health</companyName>"
                                 "</appInfo></appConfig>",
                                 &values));
  for (const auto& c : kCases) {
    const InstallerLabel label = MakeInstallerLabel(values, "Norvane", "1.0", c.file);
    EXPECT_EQ(c.original, label.originalFilename) << c.name;
    EXPECT_EQ(c.internal, label.internalName) << c.name;
    EXPECT_EQ(c.copyright, label.legalCopyright) << c.name;
    EXPECT_EQ(u"", label.comments) << c.name;
  }
}

TEST(InstallerLabelTest, ResourceOfARequest) {
  TestFolder folder;
  PackRequest request = DemoRequest();
  std::vector<uint8_t> resource;
  const InstallerFile file = {"NorvaneSetup.exe", "(C) 2026 QVX"};
  ASSERT_EQ("", BuildInstallerVersionResource(request, file, &resource));
  std::vector<ConfigValue> demo;
  ASSERT_EQ("", ReadConfigValues(DemoConfig(), &demo));
  EXPECT_EQ(BuildVersionResource(MakeInstallerLabel(demo, "Norvane", request.version, file)),
            resource);

  request.configPath = folder.path() + "/missing.xml";
  EXPECT_EQ(0u, BuildInstallerVersionResource(request, file, &resource).rfind("configuration: ", 0));

  // A configuration the reader cannot judge gets no label: the pack is refused with its reason.
  request.configPath = folder.Write("cut.xml", "<appConfig><appInfo><projectName>P");
  EXPECT_EQ("configuration line 1: the element <projectName> is not closed",
            BuildInstallerVersionResource(request, file, &resource));

  request.configPath = folder.Write("long.xml", "<appConfig><appInfo><projectName>" +
                                                    std::string(20000, 'P') +
                                                    "</projectName></appInfo></appConfig>");
  EXPECT_EQ("the company name, project name, version, file name and copyright are too long for "
            "the installer's version resource (64 KiB)",
            BuildInstallerVersionResource(request, file, &resource));
}

}  // namespace
}  // namespace packer
