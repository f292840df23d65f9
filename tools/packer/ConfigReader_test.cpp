#include "ConfigReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace packer {
namespace {

// u"companyName=QVX" per value, so a whole reading compares in one line.
std::vector<std::u16string> Read(const std::string& text, std::string* reason = nullptr) {
  const char16_t* kNames[] = {u"companyName", u"appName", u"projectName", u"exeName",
                              u"path",        u"name",    u"alias",       u"icon"};
  std::vector<ConfigValue> values;
  const std::string answer = ReadConfigValues(text, &values);
  if (reason != nullptr) *reason = answer;
  std::vector<std::u16string> shown;
  for (const ConfigValue& v : values) {
    shown.push_back(kNames[static_cast<int>(v.element)] + (u"=" + v.text));
  }
  return shown;
}

// The body goes on line 2.
std::string Config(const std::string& inside) {
  return "<?xml version=\"1.0\"?>\r\n<appConfig xmlns=\"urn:qvx:appconfig\">" + inside +
         "</appConfig>\r\n";
}

TEST(ConfigReaderTest, ReadsEveryValueOfTheDemoConfiguration) {
  std::ifstream in(DEMO_DIR "/appConfig.xml", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string reason;
  EXPECT_EQ(Read(text, &reason),
            (std::vector<std::u16string>{
                u"companyName=QVX", u"appName=Norvane", u"projectName=Brenmoor",
                u"exeName=Quorvin.exe", u"path=", u"exeName=Updrift.exe", u"path=",
                u"exeName=unwindle.exe", u"path=root", u"exeName=Webvane.exe",
                u"path=BrenmoorEHR", u"name=Quorvin.exe",
                u"alias=Brenmoor", u"icon=4", u"name=unwindle.exe", u"alias=Uninstall Norvane",
                u"icon=unwindle.exe"}));
  EXPECT_EQ(reason, "");
}

TEST(ConfigReaderTest, ReadsTheTextAsTheInstallersDomHasIt) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::u16string> want;
  };
  const Case kCases[] = {
      {"references, comment, CDATA and a nested element",
       Config("<shortCut><alias>&#46;&#x2E;<!-- x -->\\<![CDATA[..]]><b>\\&lt;&amp;</b></alias>"
              "</shortCut>"),
       {u"alias=..\\..\\<&"}},
      {"the predefined entities and character references beyond ASCII",
       Config("<appInfo><companyName>A&amp;B &lt;&gt;&quot;&apos;</companyName>"
              "<projectName>Sant&#233; &#x20AC; &#x1F600;</projectName></appInfo>"),
       {u"companyName=A&B <>\"'", u"projectName=Sant\u00E9 \u20AC \U0001F600"}},
      {"markup in CDATA is text",
       Config("<appInfo><companyName><![CDATA[<Q&V>]]></companyName></appInfo>"),
       {u"companyName=<Q&V>"}},
      {"comments are no text, nor are the elements inside them",
       Config("<!-- <appInfo><companyName>Fake</companyName></appInfo> --><appInfo>"
              "<companyName>Q<!-- x -->VX</companyName></appInfo>"),
       {u"companyName=QVX"}},
      {"white space trimmed at the ends, kept inside",
       Config("<appInfo><appName>\r\n\t a\tb\n </appName></appInfo>"), {u"appName=a\tb"}},
      {"attributes with '>' and '/' in quotes",
       Config("<appInfo a=\"x>/\"><companyName b='/>'>QVX</companyName></appInfo>"),
       {u"companyName=QVX"}},
      // The installer converts the text with its code page; the declaration changes nothing.
      {"declared UTF-8: UTF-8 bytes are two characters",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><appConfig><appInfo><companyName>Sant\xC3\xA9"
       "</companyName></appInfo></appConfig>",
       {u"companyName=Sant\u00C3\u00A9"}},
      {"code page 1252 bytes, a declaration and a document type",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?><!DOCTYPE appConfig [<!ENTITY e \"x>\">]>"
       "<appConfig><appInfo><projectName>Sant\xE9 \x80</projectName></appInfo></appConfig>",
       {u"projectName=Sant\u00E9 \u20AC"}},
      {"appInfo names: the first of the whole document",
       Config("<appInfo><companyName>First</companyName><companyName>Second</companyName>"
              "</appInfo><appInfo><appName>A</appName><companyName>Third</companyName>"
              "<projectName>P</projectName></appInfo>"),
       {u"companyName=First", u"appName=A", u"projectName=P"}},
      {"exeInfo and shortCut values: the first of each entry",
       Config("<exeInfo><path>a</path><path>..</path></exeInfo><exeInfo><name>x</name>"
              "<name>y</name></exeInfo><exeInfo><path>c</path></exeInfo><shortCut><alias>A"
              "</alias><alias>..</alias><name>n</name></shortCut><shortCut><alias>B</alias>"
              "</shortCut>"),
       {u"path=a", u"exeName=x", u"path=c", u"alias=A", u"name=n", u"alias=B"}},
      {"a deeper element of the name is not the value",
       Config("<appInfo><x><companyName>Deep</companyName></x><companyName>Top</companyName>"
              "</appInfo>"),
       {u"companyName=Top"}},
      {"a prefixed name is another name",
       Config("<appInfo xmlns:q=\"urn:q\"><q:appName>..</q:appName><appName>N</appName>"
              "</appInfo><q:exeInfo><path>..</path></q:exeInfo>"),
       {u"appName=N"}},
      {"a prefixed root is another root",
       "<q:appConfig xmlns:q=\"u\"><q:exeInfo><q:path>..</q:path></q:exeInfo></q:appConfig>", {}},
      {"empty and self-closing elements",
       Config("<shortCut><name/><icon></icon><alias a='1' b=\"&gt;\"/></shortCut>"),
       {u"name=", u"icon=", u"alias="}},
      {"elements elsewhere are not values",
       Config("<companyName>..</companyName><x><appInfo><appName>..</appName></appInfo></x>"
              "<regInfo><path>..</path></regInfo><appInfo><groupName>..</groupName></appInfo>"),
       {}},
      {"another root element", "<other><appInfo><appName>..</appName></appInfo></other>", {}},
      {"empty text", "", {}},
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
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF<appConfig/>",
       "configuration line 1: the text starts with a UTF-8 byte-order mark, which the installer "
       "reads as text before the root element and cannot load"},
      {"a declaration after a line break", "\r\n<?xml version=\"1.0\"?><appConfig/>",
       "configuration line 2: the XML declaration does not stand at the very start of the text"},
      {"own entity in a value",
       "<!DOCTYPE appConfig [<!ENTITY up \"..\">]>\n<appConfig><appInfo><appName>&up;</appName>"
       "</appInfo></appConfig>",
       "configuration line 2: the value of appInfo/appName uses the reference \"&up;\", which "
       "the packing tool cannot resolve"},
      {"an undeclared entity in the projectName",
       Config("<appInfo><projectName>a&nbsp;b</projectName></appInfo>"),
       "the value of appInfo/projectName uses the reference \"&nbsp;\", which the packing tool "
       "cannot resolve"},
      {"a reference that is no number",
       Config("<appInfo><companyName>&#xZZ;</companyName></appInfo>"),
       "the value of appInfo/companyName uses the reference \"&#xZZ;\""},
      {"a reference to a character XML does not allow",
       Config("<shortCut><icon>&#1;</icon></shortCut>"),
       "the value of shortCut/icon uses the reference \"&#1;\""},
      {"reference without its semicolon", Config("<exeInfo><path>&amp</path></exeInfo>"),
       "a reference has no closing ';'"},
  };
  for (const auto& c : kCases) {
    std::string reason;
    EXPECT_EQ(Read(c.text, &reason), std::vector<std::u16string>{}) << c.name;
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
      {"a character beyond ASCII by reference in a path value",
       Config("<shortCut><alias>&#xFF0E;&#xFF0E;</alias></shortCut>"),
       "configuration line 2: the value of shortCut/alias uses the character reference "
       "\"&#xFF0E;\", which the installer converts with the code page of the computer it runs "
       "on; write the character itself"},
      {"absolute exeInfo path", Config("<exeInfo><path>C:\\Windows\\</path></exeInfo>"),
       "the configuration's exeInfo path \"C:\\Windows\\\" cannot be part of a path: the path "
       "starts with a drive letter"},
      {"appName and version make a device", Config("<appInfo><appName>LPT</appName></appInfo>"),
       "the configuration's appName \"LPT\" followed by the version \"1.0\" cannot name the "
       "version folder \"LPT1.0\": the component \"LPT1.0\" is a reserved device name"},
      {"code page 1252 bytes are judged and named as the installer has them",
       Config("<appInfo><appName>Caf\xE9\\\x80</appName></appInfo>"),
       "the configuration's appName \"Caf\xE9\\\x80\" must be a single folder name (it contains "
       "a backslash)"},
      {"sound values", Config("<appInfo><companyName>QVX</companyName><appName>Tallyset"
                              "</appName></appInfo><exeInfo><path>root</path></exeInfo>"),
       ""},
      // The installer reads only these; whatever else the document holds is never joined.
      {"a second appName", Config("<appInfo><appName>N</appName><appName>..\\Esc</appName>"
                                  "</appInfo>"),
       ""},
      {"a prefixed appName", Config("<appInfo><q:appName xmlns:q=\"u\">..\\Esc</q:appName>"
                                    "</appInfo>"),
       ""},
      {"a projectName may name any character by reference",
       Config("<appInfo><projectName>&#x4E2D;</projectName></appInfo>"), ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CheckConfigNames(c.text, "1.0"), c.want) << c.name;
  }
}

}  // namespace
}  // namespace packer
