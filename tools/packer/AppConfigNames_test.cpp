#include "AppConfigNames.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace packer {
namespace {

std::string Config(const std::string& appInfo) {
  return "<appConfig xmlns=\"urn:qvx:appconfig\">" + appInfo + "</appConfig>";
}

TEST(AppConfigNamesTest, TheDemoConfiguration) {
  std::ifstream file(DEMO_DIR "/appConfig.xml", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const AppConfigNames names = ReadAppConfigNames(text.str());
  EXPECT_EQ(u"QVX", names.companyName);
  EXPECT_EQ(u"Brenmoor", names.projectName);
}

TEST(AppConfigNamesTest, ReadAsTheInstallerReadsThem) {
  const struct {
    const char* name;
    std::string config;
    std::u16string company;
    std::u16string project;
  } kCases[] = {
      {"plain", Config("<appInfo><companyName>QVX</companyName><projectName>Brenmoor</projectName>"
                       "</appInfo>"),
       u"QVX", u"Brenmoor"},
      {"blanks trimmed, a tab kept", Config("<appInfo><companyName>  Q V X \t </companyName>"
                                           "</appInfo>"),
       u"Q V X \t", u""},
      {"entities and character references",
       Config("<appInfo><companyName>A&amp;B &lt;&gt;&quot;&apos;</companyName>"
              "<projectName>Sant&#233; &#x20AC;</projectName></appInfo>"),
       u"A&B <>\"'", u"Sant\u00E9 \u20AC"},
      {"an unknown entity stays as written", Config("<appInfo><companyName>a&nbsp;b&#xZZ;"
                                                   "</companyName></appInfo>"),
       u"a&nbsp;b&#xZZ;", u""},
      {"CDATA", Config("<appInfo><companyName><![CDATA[<Q&V>]]></companyName></appInfo>"),
       u"<Q&V>", u""},
      {"comments are no text, nor are names inside them",
       Config("<!-- <appInfo><companyName>Fake</companyName></appInfo> --><appInfo>"
              "<companyName>Q<!-- x -->VX</companyName></appInfo>"),
       u"QVX", u""},
      {"text of elements inside counts", Config("<appInfo><projectName>Bren<b>moor</b>"
                                               "</projectName></appInfo>"),
       u"", u"Brenmoor"},
      {"attributes with '>' and '/' in quotes",
       Config("<appInfo a=\"x>/\"><companyName b='/>'>QVX</companyName></appInfo>"), u"QVX", u""},
      {"an empty element", Config("<appInfo><companyName/><projectName>P</projectName></appInfo>"),
       u"", u"P"},
      {"only the first appInfo and the first element of a name",
       Config("<appInfo><companyName>First</companyName><companyName>Second</companyName>"
              "</appInfo><appInfo><projectName>Other</projectName></appInfo>"),
       u"First", u""},
      {"names outside appInfo do not count",
       Config("<companyName>Outside</companyName><appInfo><x><companyName>Deep</companyName></x>"
              "</appInfo>"),
       u"", u""},
      {"another root element", "<other><appInfo><companyName>Q</companyName></appInfo></other>",
       u"", u""},
      {"a prefixed name is another name",
       Config("<appInfo xmlns:q=\"urn:q\"><q:companyName>Q</q:companyName></appInfo>"), u"", u""},
      {"declaration and doctype", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
                                  "<!DOCTYPE appConfig [<!ENTITY e \"x>\">]>" +
                                      Config("<appInfo><companyName>Sant\xE9</companyName>"
                                             "</appInfo>"),
       u"Sant\u00E9", u""},
      // The installer converts the text with its code page; the declaration changes nothing.
      {"declared UTF-8: UTF-8 bytes are two characters",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>" +
           Config("<appInfo><companyName>Sant\xC3\xA9</companyName></appInfo>"),
       u"Sant\u00C3\u00A9", u""},
      {"an empty configuration", "", u"", u""},
      {"cut off in the middle", std::string("<appConfig><appInfo><companyName>QV"), u"", u""},
      {"an end tag out of order", Config("<appInfo><companyName>QVX</appInfo></companyName>"),
       u"", u""},
      {"a second root element", Config("<appInfo><companyName>QVX</companyName></appInfo>") +
                                    "<appConfig/>",
       u"", u""},
      {"an unclosed comment", Config("<appInfo><companyName>QVX</companyName></appInfo>") +
                                  "<!-- ",
       u"", u""},
  };
  for (const auto& c : kCases) {
    const AppConfigNames names = ReadAppConfigNames(c.config);
    EXPECT_EQ(c.company, names.companyName) << c.name;
    EXPECT_EQ(c.project, names.projectName) << c.name;
  }
}

}  // namespace
}  // namespace packer
