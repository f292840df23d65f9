// The packing tool's appConfig reader against the installer's own reading of the same text
// (CInstaller::ParseXml through MSXML, under Wine): for every document both take the same names,
// or the installer cannot load it and the reader refuses it. Built into the installer's unit
// tests, as only they have the installer's reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CodePage1252.h"
#include "ConfigReader.h"
#include "engine/Installer.h"

namespace {

struct Engine : CInstaller {
  Engine() { silent = 1; }  // the load failure goes to the log; no box may block a test
};

// What one reader made of a document; the values as the installer's code page holds them.
struct Reading {
  bool loaded = false;
  std::string companyName;
  std::string appName;
  std::string projectName;
  std::vector<std::string> exePaths;  // sorted; empty ones left out
  std::vector<std::string> aliases;   // in document order; empty ones left out
};

bool operator==(const Reading& a, const Reading& b) {
  return a.loaded == b.loaded && a.companyName == b.companyName && a.appName == b.appName &&
         a.projectName == b.projectName && a.exePaths == b.exePaths && a.aliases == b.aliases;
}

std::ostream& operator<<(std::ostream& out, const Reading& r) {
  out << (r.loaded ? "loaded" : "not loaded") << ", companyName \"" << r.companyName
      << "\", appName \"" << r.appName << "\", projectName \"" << r.projectName << "\", paths";
  for (const std::string& path : r.exePaths) out << " \"" << path << "\"";
  out << ", aliases";
  for (const std::string& alias : r.aliases) out << " \"" << alias << "\"";
  return out;
}

void AddUnlessEmpty(const std::string& value, std::vector<std::string>* list) {
  if (!value.empty()) list->push_back(value);
}

Reading ByTheInstaller(const std::string& text) {
  Engine engine;
  Reading reading;
  reading.loaded = engine.ParseXml(text, true);
  if (!reading.loaded) return reading;
  reading.companyName = engine.companyName;
  reading.appName = engine.appName;
  reading.projectName = engine.projectName;
  for (const auto& program : engine.exePaths) AddUnlessEmpty(program.second, &reading.exePaths);
  for (const ShortcutInfo& shortcut : engine.shortcuts) {
    AddUnlessEmpty(shortcut.alias, &reading.aliases);
  }
  std::sort(reading.exePaths.begin(), reading.exePaths.end());
  return reading;
}

Reading ByThePackingTool(const std::string& text) {
  std::vector<packer::ConfigValue> values;
  Reading reading;
  reading.loaded = packer::ReadConfigValues(text, &values).empty();
  for (const packer::ConfigValue& value : values) {
    const std::string bytes = packer::EncodeCodePage1252(value.text);
    switch (value.element) {
      case packer::ConfigElement::kCompanyName: reading.companyName = bytes; break;
      case packer::ConfigElement::kAppName: reading.appName = bytes; break;
      case packer::ConfigElement::kProjectName: reading.projectName = bytes; break;
      case packer::ConfigElement::kExePath: AddUnlessEmpty(bytes, &reading.exePaths); break;
      case packer::ConfigElement::kShortcutAlias: AddUnlessEmpty(bytes, &reading.aliases); break;
      default: break;
    }
  }
  std::sort(reading.exePaths.begin(), reading.exePaths.end());
  return reading;
}

std::string Config(const std::string& inside) {
  return "<?xml version=\"1.0\"?>\r\n<appConfig xmlns=\"urn:qvx:appconfig\">" + inside +
         "</appConfig>\r\n";
}

TEST(ConfigReaderAgreementTest, ThePackingToolReadsWhatTheInstallerReads) {
  if (GetACP() != 1252) GTEST_SKIP() << "the packing tool takes the code page to be 1252";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case kCases[] = {
      {"plain names", Config("<appInfo><companyName>QVX</companyName><appName>Norvane</appName>"
                             "<projectName>Brenmoor</projectName></appInfo>")},
      {"appInfo names: the first of the whole document",
       Config("<appInfo><companyName>First</companyName><companyName>Second</companyName>"
              "<projectName>P1</projectName></appInfo><appInfo><appName>A</appName>"
              "<projectName>P2</projectName></appInfo>")},
      {"a deeper element of the name comes first",
       Config("<appInfo><x><appName>Deep</appName></x><appName>Top</appName></appInfo>")},
      {"exeInfo and shortCut values: the first of each entry",
       Config("<exeInfo><name>a.exe</name><path>a</path><path>b</path></exeInfo>"
              "<exeInfo><name>c.exe</name></exeInfo><exeInfo><name>d.exe</name><path>d</path>"
              "</exeInfo><shortCut><alias>A</alias><alias>B</alias></shortCut>"
              "<shortCut><alias>C</alias></shortCut>")},
      {"prefixed names",
       Config("<appInfo xmlns:q=\"urn:q\"><q:appName>Q</q:appName><appName>N</appName>"
              "<q:companyName>C</q:companyName></appInfo>")},
      {"a prefixed root",
       "<q:appConfig xmlns:q=\"u\"><appInfo><appName>N</appName></appInfo></q:appConfig>"},
      {"declared UTF-8, UTF-8 bytes",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><appConfig><appInfo><appName>Sant\xC3\xA9"
       "</appName></appInfo></appConfig>"},
      {"code page 1252 bytes and a document type",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?><!DOCTYPE appConfig>"
       "<appConfig><appInfo><projectName>Caf\xE9 \x80</projectName></appInfo></appConfig>"},
      {"references, CDATA, comments and elements inside",
       Config("<appInfo><companyName>A&amp;B&lt;&#233;&#x20AC;</companyName><projectName>"
              "x<!-- y --><![CDATA[<z>]]><b>w</b></projectName></appInfo>")},
      {"blanks at the ends", Config("<appInfo><appName>  N  V  </appName></appInfo>")},
      {"pretty-printed names",
       Config("<appInfo>\r\n  <companyName>\r\n    QVX\r\n  </companyName>\r\n  <appName>\t"
              "N\tV\n</appName></appInfo><shortCut><alias>\n  Q\\Go\n</alias></shortCut>")},
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" + Config("")},
      {"a declaration after a line break", "\r\n" + Config("")},
      {"an undeclared entity", Config("<appInfo><appName>a&nbsp;</appName></appInfo>")},
      {"a reference to a control character", Config("<appInfo><appName>&#1;</appName></appInfo>")},
      {"'&' without a reference", Config("<appInfo><appName>a&amp b</appName></appInfo>")},
      {"an attribute without quotes", "<appConfig a=1/>"},
      {"crossed end tags", Config("<appInfo><appName>N</appInfo></appName>")},
      {"a second root", Config("") + "<appConfig/>"},
      {"cut off", "<appConfig><appInfo><appName>N"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ByTheInstaller(c.text), ByThePackingTool(c.text)) << c.name;
  }
}

}  // namespace
