#include "ConfigReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace packer {
namespace {

using payload::ConfigName;

// "companyName=QVX" per value, so a whole reading compares in one line.
std::vector<std::string> Read(const std::string& text, std::string* reason = nullptr) {
  const char* kNames[] = {"companyName", "appName", "path", "name", "alias", "icon"};
  std::vector<ConfigValue> values;
  const std::string answer = ReadConfigValues(text, &values);
  if (reason != nullptr) *reason = answer;
  std::vector<std::string> shown;
  for (const ConfigValue& v : values) {
    shown.push_back(std::string(kNames[static_cast<int>(v.which)]) + "=" + v.value);
  }
  return shown;
}

std::string Config(const std::string& inside) {
  return "<?xml version=\"1.0\"?>\r\n<appConfig xmlns=\"urn:qvx:appconfig\">" + inside +
         "</appConfig>\r\n";
}

TEST(ConfigReaderTest, ReadsEveryPathValueOfTheDemoConfiguration) {
  std::ifstream in(DEMO_DIR "/appConfig.xml", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string reason;
  EXPECT_EQ(Read(text, &reason),
            (std::vector<std::string>{"companyName=QVX", "appName=Norvane", "path=", "path=",
                                      "path=root", "path=BrenmoorEHR", "name=Quorvin.exe",
                                      "alias=Brenmoor", "icon=4", "name=unwindle.exe",
                                      "alias=Uninstall Norvane", "icon=unwindle.exe"}));
  EXPECT_EQ(reason, "");
}

TEST(ConfigReaderTest, ReadsTheTextAsTheDomHandsItOver) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"references, comment, CDATA and a nested element",
       Config("<shortCut><alias>&#46;&#x2E;<!-- x -->\\<![CDATA[..]]><b>\\&lt;&amp;</b></alias>"
              "</shortCut>"),
       {"alias=..\\..\\<&"}},
      {"blanks trimmed, tab and line break kept",
       Config("<appInfo><appName>  a\tb\n </appName></appInfo>"), {"appName=a\tb\n"}},
      {"namespace prefixes", "<q:appConfig xmlns:q=\"u\"><q:exeInfo><q:path>..</q:path>"
                             "</q:exeInfo></q:appConfig>",
       {"path=.."}},
      {"every match, not only the first",
       Config("<appInfo><appName>A</appName><appName>B</appName></appInfo>"
              "<appInfo><companyName>C</companyName></appInfo>"),
       {"appName=A", "appName=B", "companyName=C"}},
      {"empty and self-closing elements",
       Config("<shortCut><name/><icon></icon><alias a='1' b=\"&gt;\"/></shortCut>"),
       {"name=", "icon=", "alias="}},
      {"elements elsewhere are not path values",
       Config("<x><appInfo><appName>..</appName></appInfo></x><regInfo><path>..</path>"
              "</regInfo><appInfo><groupName>..</groupName></appInfo>"),
       {}},
      {"another root element", "<other><appInfo><appName>..</appName></appInfo></other>", {}},
      {"empty text", "", {}},
      {"document type declaration",
       "<!DOCTYPE appConfig [<!ENTITY e \"x>\">]><appConfig><appInfo><appName>N</appName>"
       "</appInfo></appConfig>",
       {"appName=N"}},
  };
  for (const auto& c : kCases) {
    std::string reason;
    EXPECT_EQ(Read(c.text, &reason), c.want) << c.name;
    EXPECT_EQ(reason, "") << c.name;
  }
}

TEST(ConfigReaderTest, RefusesWhatItCannotJudgeWithTheLine) {
  struct Case {
    const char* name;
    std::string text;
    std::string want;  // a part of the answer
  };
  const Case kCases[] = {
      {"not XML", "QVX", "configuration line 1: the document has no root element"},
      {"element not closed", "<appConfig><appInfo>", "the element <appInfo> is not closed"},
      {"end tags crossed", Config("<appInfo><appName>N</appInfo></appName>"),
       "configuration line 2: the end tag </appInfo> does not close <appName>"},
      {"second root", Config("") + "<appConfig/>", "there is more after the root element"},
      {"comment not closed", Config("<!-- open"), "a comment is not closed"},
      {"CDATA not closed", Config("<license><![CDATA[x"), "a CDATA section is not closed"},
      {"attribute without quotes", "<appConfig a=1/>", "an attribute value without quotes"},
      {"own entity in a value",
       "<!DOCTYPE appConfig [<!ENTITY up \"..\">]>\n<appConfig><appInfo><appName>&up;</appName>"
       "</appInfo></appConfig>",
       "configuration line 2: the value of appInfo/appName uses the reference \"&up;\", which "
       "the packing tool cannot resolve"},
      {"character beyond ASCII by reference",
       Config("<shortCut><alias>&#xFF0E;&#xFF0E;</alias></shortCut>"),
       "the value of shortCut/alias uses the character reference \"&#xFF0E;\", which the "
       "installer converts with the code page of the computer it runs on"},
      {"reference without its semicolon", Config("<exeInfo><path>&amp</path></exeInfo>"),
       "a reference has no closing ';'"},
  };
  for (const auto& c : kCases) {
    std::string reason;
    EXPECT_EQ(Read(c.text, &reason), std::vector<std::string>{}) << c.name;
    EXPECT_NE(reason.find(c.want), std::string::npos) << c.name << ": \"" << reason << "\"";
  }
}

TEST(ConfigReaderTest, CheckConfigNamesRefusesValuesThatLeaveTheTarget) {
  struct Case {
    const char* name;
    std::string text;
    std::string want;  // the whole answer; "" when accepted
  };
  const Case kCases[] = {
      {"appName climbing out", Config("<appInfo><appName>..\\..\\Esc</appName></appInfo>"),
       "the configuration's appName \"..\\..\\Esc\" must be a single folder name (it contains a "
       "backslash)"},
      {"companyName climbing out",
       Config("<appInfo><companyName>..\\..\\EscCo</companyName></appInfo>"),
       "the configuration's companyName \"..\\..\\EscCo\" must be a single folder name (it "
       "contains a backslash)"},
      {"alias of many parents",
       Config("<shortCut><alias>..\\..\\..\\..\\..\\..\\..\\escaped</alias></shortCut>"),
       "the configuration's shortCut alias \"..\\..\\..\\..\\..\\..\\..\\escaped\" cannot be part "
       "of a path: the component \"..\" refers to the current or the parent folder"},
      {"alias hidden in references",
       Config("<shortCut><alias>&#46;&#46;\\x</alias></shortCut>"),
       "the configuration's shortCut alias \"..\\x\" cannot be part of a path: the component "
       "\"..\" refers to the current or the parent folder"},
      {"absolute exeInfo path", Config("<exeInfo><path>C:\\Windows\\</path></exeInfo>"),
       "the configuration's exeInfo path \"C:\\Windows\\\" cannot be part of a path: the path "
       "starts with a drive letter"},
      {"appName and version make a device", Config("<appInfo><appName>LPT</appName></appInfo>"),
       "the configuration's appName \"LPT\" followed by the version \"1.0\" cannot name the "
       "version folder \"LPT1.0\": the component \"LPT1.0\" is a reserved device name"},
      {"sound values", Config("<appInfo><companyName>QVX</companyName><appName>Tallyset"
                              "</appName></appInfo><exeInfo><path>root</path></exeInfo>"),
       ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CheckConfigNames(c.text, "1.0"), c.want) << c.name;
  }
}

}  // namespace
}  // namespace packer
