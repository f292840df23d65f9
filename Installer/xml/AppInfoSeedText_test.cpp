// The seed text: converted to UTF-8 only where a byte copy would not be a readable document.
#include "xml/AppInfoSeedText.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/ScopedTempDir.h"
#include "xml/XmlDom.h"

namespace {

const char kBody[] = "<appConfig><appInfo><projectName>Brenmoor Sant\xE9</projectName></appInfo></appConfig>";
const char kBodyUtf8[] =
    "<appConfig><appInfo><projectName>Brenmoor Sant\xC3\xA9</projectName></appInfo></appConfig>";

TEST(AppInfoSeedTextTest, ConvertedOnlyWhenACopyWouldNotRead) {
  const struct {
    const char* name;
    std::string config;
    UINT codePage;
    std::string want;
  } kCases[] = {
      {"code page 1252 without a declaration", kBody, 1252, kBodyUtf8},
      {"a declaration without an encoding stays",
       std::string("<?xml version=\"1.0\"?>\r\n") + kBody, 1252,
       std::string("<?xml version=\"1.0\"?>\r\n") + kBodyUtf8},
      {"the code page given is the one read", "<a>\xC0</a>", 1251, "<a>\xD0\x90</a>"},
      {"ASCII only keeps its bytes", "<appConfig><a>x</a></appConfig>", 1252,
       "<appConfig><a>x</a></appConfig>"},
      {"a declared encoding keeps the bytes",
       std::string("<?xml version=\"1.0\" encoding=\"windows-1252\"?>") + kBody, 1252,
       std::string("<?xml version=\"1.0\" encoding=\"windows-1252\"?>") + kBody},
      {"a declared encoding in single quotes",
       std::string("<?xml version='1.0' encoding='ISO-8859-1'?>") + kBody, 1252,
       std::string("<?xml version='1.0' encoding='ISO-8859-1'?>") + kBody},
      {"a byte order mark keeps the bytes", std::string("\xEF\xBB\xBF") + kBodyUtf8, 1252,
       std::string("\xEF\xBB\xBF") + kBodyUtf8},
      {"text that already reads as UTF-8", kBodyUtf8, 1252, kBodyUtf8},
      {"empty", "", 1252, ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.want, AppInfoSeedText(c.config, c.codePage)) << c.name;
  }
}

// The converted seed is a document the installer's own XML layer reads back, with the text the
// configuration meant.
TEST(AppInfoSeedTextTest, TheSeedOfAnAnsiConfigurationLoads) {
  ASSERT_EQ(1252u, GetACP()) << "the test prefix's ANSI code page";
  const ScopedTempDir temp;
  const std::string file = temp.Child("AppInfo.xml");
  std::ofstream(file, std::ios::binary) << AppInfoSeedText(kBody, CP_ACP);

  CXmlDom dom;
  ASSERT_EQ(1, dom.Load(file, 1));
  ComPtr<IXMLDOMNode> root;
  ASSERT_EQ(1, dom.GetNode("/appConfig", &root, 1));
  std::string text;
  ASSERT_EQ(1, dom.GetNodeText(&text, root.get(), "/appConfig/appInfo/projectName"));
  EXPECT_EQ("Brenmoor Sant\xE9", text);
}

}  // namespace
