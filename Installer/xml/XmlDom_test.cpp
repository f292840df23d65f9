#include "xml/XmlDom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"
#include "xml/ComText.h"

namespace {

// The configuration's shape: a root with a default namespace, repeated exeInfo elements and a
// regInfo subtree whose values carry blanks.
const char kConfig[] =
    "<appConfig xmlns=\"urn:qvx:appconfig\">"
    "<exeInfo><name>first</name></exeInfo>"
    "<exeInfo><name>second</name></exeInfo>"
    "<regInfo><SOFTWARE><QVX><QUORVIN><HostList> HOST1 HOST2 </HostList><Empty/></QUORVIN>"
    "</QVX></SOFTWARE></regInfo>"
    "</appConfig>";

// regInfo without any SOFTWARE element.
const char kBareRegInfo[] =
    "<appConfig xmlns=\"urn:qvx:appconfig\"><regInfo><Other/></regInfo></appConfig>";

// SOFTWARE exists, but one level further down than the path spells it.
const char kDeepSoftware[] =
    "<appConfig xmlns=\"urn:qvx:appconfig\">"
    "<regInfo><Deep><SOFTWARE><X>found</X></SOFTWARE></Deep></regInfo>"
    "</appConfig>";

// AppInfo.xml as the payload writes it: with an XML declaration and unindented.
const char kAppInfoFile[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<appConfig xmlns=\"urn:qvx:appconfig\"><appInfo><companyName>QVX</companyName></appInfo>"
    "<regInfo><SOFTWARE><QVX><QUORVIN><PortList>4711</PortList></QUORVIN></QVX></SOFTWARE>"
    "</regInfo></appConfig>";

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  return static_cast<bool>(file);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The HRESULT of the _com_error that |call| raised; S_OK when it raised nothing.
HRESULT RaisedBy(const std::function<void()>& call) {
  try {
    call();
  } catch (const _com_error& error) {
    return error.Error();
  }
  return S_OK;
}

std::string NameOf(IXMLDOMNode* node) {
  UniqueBstr name;
  if (!node || FAILED(node->get_nodeName(name.put()))) return "<none>";
  return BstrToAnsi(name.get());
}

std::string ParentNameOf(IXMLDOMNode* node) {
  ComPtr<IXMLDOMNode> parent;
  if (!node || FAILED(node->get_parentNode(parent.put()))) return "<none>";
  return NameOf(parent.get());
}

// The node serialised, to see that a lookup changed nothing.
std::string XmlOf(IXMLDOMNode* node) {
  UniqueBstr xml;
  if (!node || FAILED(node->get_xml(xml.put()))) return "<none>";
  return BstrToAnsi(xml.get());
}

// The whole document as its root element serialises it.
std::string DocumentXml(CXmlDom& dom) {
  ComPtr<IXMLDOMNode> root;
  if (dom.GetNode("/appConfig", &root, 1) != 1) return "<no root>";
  return XmlOf(root.get());
}

// ---------------------------------------------------------------------------------------------
// Load

TEST(XmlDomLoadTest, AnswersWhetherTheSourceParsed) {
  ScopedTempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string goodFile = dir.Child("good.xml");
  const std::string badFile = dir.Child("bad.xml");
  ASSERT_TRUE(WriteFile(goodFile, kAppInfoFile));
  ASSERT_TRUE(WriteFile(badFile, "<appConfig><regInfo></appConfig>"));
  struct Case {
    const char* name;
    std::string source;
    int fromFile;
    int want;
  };
  const Case cases[] = {
      {"text", kConfig, 0, 1},
      {"empty text", "", 0, 0},
      {"empty file path", "", 1, 0},
      {"malformed text", "<appConfig><regInfo></appConfig>", 0, 0},
      {"text that is not XML at all", "appConfig", 0, 0},
      {"file", goodFile, 1, 1},
      {"malformed file", badFile, 1, 0},
      {"missing file", dir.Child("missing.xml"), 1, 0},
      {"a path given as text is not read as a file", goodFile, 0, 0},
  };
  for (const Case& c : cases) {
    CXmlDom dom;
    EXPECT_EQ(dom.Load(c.source, c.fromFile), c.want) << c.name;
  }
}

TEST(XmlDomLoadTest, EmptySourceCreatesNoDocumentObject) {
  CXmlDom dom;
  EXPECT_EQ(dom.Load("", 0), 0);
  // Without a document object every lookup is a call on a missing interface.
  ComPtr<IXMLDOMNode> node;
  EXPECT_EQ(RaisedBy([&] { dom.GetNode("/appConfig", &node, 1); }), E_POINTER);
}

TEST(XmlDomLoadTest, MalformedTextLeavesAnObjectThatLoadsAgain) {
  CXmlDom dom;
  EXPECT_EQ(dom.Load("<appConfig><exeInfo></appConfig>", 0), 0);
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> node;
  EXPECT_EQ(dom.GetNode("/appConfig/exeInfo[1]/name", &node, 1), 1);
  EXPECT_EQ(XmlOf(node.get()), "<name>second</name>");
}

TEST(XmlDomLoadTest, FileIsReadWithItsDeclaration) {
  ScopedTempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.Child("AppInfo.xml");
  ASSERT_TRUE(WriteFile(path, kAppInfoFile));
  CXmlDom dom;
  ASSERT_EQ(dom.Load(path, 1), 1);
  ComPtr<IXMLDOMNode> root;
  ASSERT_EQ(dom.GetNode("/appConfig", &root, 1), 1);
  std::string text;
  EXPECT_EQ(dom.GetNodeText(&text, root.get(), "appInfo/companyName"), 1);
  EXPECT_EQ(text, "QVX");
}

// ---------------------------------------------------------------------------------------------
// GetNode

TEST(XmlDomGetNodeTest, FindOnlySelectsWithXslPatterns) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  struct Case {
    const char* name;
    const char* path;
    int want;
    const char* wantXml;  // the node found, serialised; null when nothing is
  };
  const Case cases[] = {
      {"unprefixed name under a default namespace", "/appConfig/exeInfo/name", 1,
       "<name>first</name>"},
      {"index 0 is the first", "/appConfig/exeInfo[0]/name", 1, "<name>first</name>"},
      {"index 1 is the second", "/appConfig/exeInfo[1]/name", 1, "<name>second</name>"},
      {"index past the last", "/appConfig/exeInfo[2]", 0, nullptr},
      {"// is any descendant", "/appConfig/regInfo//QUORVIN/HostList", 1,
       "<HostList> HOST1 HOST2 </HostList>"},
      {"missing leaf", "/appConfig/regInfo/SOFTWARE/Missing", 0, nullptr},
      {"another root name", "/other", 0, nullptr},
  };
  for (const Case& c : cases) {
    const std::string before = DocumentXml(dom);
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom.GetNode(c.path, &node, 1), c.want) << c.name;
    if (c.wantXml) {
      EXPECT_EQ(XmlOf(node.get()), c.wantXml) << c.name;
    } else {
      EXPECT_FALSE(node) << c.name << ": the out handle stays empty";
    }
    EXPECT_EQ(DocumentXml(dom), before) << c.name << ": a lookup creates nothing";
  }
}

TEST(XmlDomGetNodeTest, FindOnlyEmptiesAHandleThatHeldANode) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> node;
  ASSERT_EQ(dom.GetNode("/appConfig/exeInfo[0]", &node, 1), 1);
  EXPECT_EQ(dom.GetNode("/appConfig/missing", &node, 1), 0);
  EXPECT_FALSE(node);
}

TEST(XmlDomGetNodeTest, CreatingWalkAddsTheMissingElementsAndSkipsTheEmptyStep) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kBareRegInfo, 0), 1);
  ComPtr<IXMLDOMNode> node;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo//SOFTWARE/X", &node, 0), 1);
  EXPECT_EQ(NameOf(node.get()), "X");
  EXPECT_EQ(ParentNameOf(node.get()), "SOFTWARE");

  ComPtr<IXMLDOMNode> software;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo/SOFTWARE", &software, 1), 1)
      << "SOFTWARE lands directly under regInfo: the empty step between the slashes adds "
         "nothing";
  ComPtr<IXMLDOMNode> regInfo;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo", &regInfo, 1), 1);
  long childCount = 0;
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_HRESULT_SUCCEEDED(regInfo->get_childNodes(list.put()));
  ASSERT_HRESULT_SUCCEEDED(list->get_length(&childCount));
  EXPECT_EQ(childCount, 2) << "Other and the new SOFTWARE, nothing else";

  // The second call finds what the first one made.
  const std::string before = DocumentXml(dom);
  ComPtr<IXMLDOMNode> again;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo//SOFTWARE/X", &again, 0), 1);
  EXPECT_EQ(NameOf(again.get()), "X");
  EXPECT_EQ(DocumentXml(dom), before);
}

TEST(XmlDomGetNodeTest, CreatingWalkAnswersAMatchAnywhereBelowWithoutCreating) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kDeepSoftware, 0), 1);
  const std::string before = DocumentXml(dom);
  ComPtr<IXMLDOMNode> node;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo//SOFTWARE/X", &node, 0), 1);
  EXPECT_EQ(XmlOf(node.get()), "<X>found</X>");
  EXPECT_EQ(ParentNameOf(node.get()), "SOFTWARE");
  EXPECT_EQ(DocumentXml(dom), before);
}

TEST(XmlDomGetNodeTest, CreatingWalkFindsExistingStepsAndCreatesOnlyTheRest) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> node;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/Font/Size", &node, 0), 1);
  EXPECT_EQ(NameOf(node.get()), "Size");
  EXPECT_EQ(ParentNameOf(node.get()), "Font");
  ComPtr<IXMLDOMNode> quorvin;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo/SOFTWARE/QVX/QUORVIN[1]", &quorvin, 1), 0)
      << "the existing QUORVIN was reused, not doubled";
  ComPtr<IXMLDOMNode> hostList;
  ASSERT_EQ(dom.GetNode("/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/HostList", &hostList, 1), 1);
  EXPECT_EQ(XmlOf(hostList.get()), "<HostList> HOST1 HOST2 </HostList>")
      << "the sibling along the way is untouched";
}

TEST(XmlDomGetNodeTest, CreatingWalkUnderAnotherRootNameRaises) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> node;
  // The first step would become a second root element, which the DOM refuses.
  const HRESULT raised = RaisedBy([&] { dom.GetNode("/other/x", &node, 0); });
  EXPECT_TRUE(FAILED(raised)) << std::hex << raised;
  EXPECT_FALSE(node);
}

TEST(XmlDomGetNodeTest, CreatingWalkRaisesForAStepThatIsNoElementName) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kBareRegInfo, 0), 1);
  const std::string before = DocumentXml(dom);
  ComPtr<IXMLDOMNode> node;
  // A missing step is used verbatim as an element name, and "QUORVIN[0]" is none. (Wine's
  // query parser crashes on some other invalid steps, "1st" or "@value", so they stay out.)
  const HRESULT raised =
      RaisedBy([&] { dom.GetNode("/appConfig/regInfo//SOFTWARE/QVX/QUORVIN[0]", &node, 0); });
  EXPECT_TRUE(FAILED(raised)) << std::hex << raised;
  EXPECT_FALSE(node);
  EXPECT_EQ(DocumentXml(dom), before) << "SOFTWARE and QVX, made on the way, are not left behind";
}

TEST(XmlDomGetNodeTest, EmptyPathNamesNoNode) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  const std::string before = DocumentXml(dom);
  for (const int findOnly : {1, 0}) {
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(dom.GetNode("", &node, findOnly), 0) << "findOnly " << findOnly;
    EXPECT_FALSE(node) << "findOnly " << findOnly;
  }
  EXPECT_EQ(DocumentXml(dom), before);
}

// ---------------------------------------------------------------------------------------------
// GetNodeText

TEST(XmlDomGetNodeTextTest, ReadsTheDomTextBelowTheContextWithoutTrimmingOfItsOwn) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> root;
  ASSERT_EQ(dom.GetNode("/appConfig", &root, 1), 1);
  struct Case {
    const char* name;
    const char* path;
    int want;
    const char* wantText;
  };
  const Case cases[] = {
      // Nothing is trimmed here, but without preserveWhiteSpace the DOM's text value of an
      // element leaves out the blanks at its ends (MSXML documents this; Wine does the same).
      {"inner blanks kept, the DOM drops the outer ones", "regInfo/SOFTWARE/QVX/QUORVIN/HostList",
       1, "HOST1 HOST2"},
      {"index below the context", "exeInfo[1]/name", 1, "second"},
      {"an element without text", "regInfo/SOFTWARE/QVX/QUORVIN/Empty", 1, ""},
      {"an element's text includes its descendants'", "exeInfo[0]", 1, "first"},
      {"missing node", "regInfo/SOFTWARE/QVX/QUORVIN/PortList", 0, ""},
      {"empty path", "", 0, ""},
  };
  for (const Case& c : cases) {
    std::string text = "left over";
    EXPECT_EQ(dom.GetNodeText(&text, root.get(), c.path), c.want) << c.name;
    EXPECT_EQ(text, c.wantText) << c.name;
  }
}

TEST(XmlDomGetNodeTextTest, NullContextRaisesEPointer) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  std::string text = "left over";
  EXPECT_EQ(RaisedBy([&] { dom.GetNodeText(&text, nullptr, "/appConfig/exeInfo"); }),
            E_POINTER);
  EXPECT_EQ(text, "") << "the text is emptied before anything is read";
}

// ---------------------------------------------------------------------------------------------
// SetNodeText

class XmlDomSetNodeTextTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    path_ = dir_.Child("AppInfo.xml");
    ASSERT_TRUE(WriteFile(path_, kAppInfoFile));
  }

  // The value at |path| as a fresh load of the file reads it.
  std::string ReadBack(const std::string& path) {
    CXmlDom dom;
    if (dom.Load(path_, 1) != 1) return "<file does not load>";
    ComPtr<IXMLDOMNode> root;
    if (dom.GetNode("/appConfig", &root, 1) != 1) return "<no root>";
    std::string text;
    if (dom.GetNodeText(&text, root.get(), path) != 1) return "<missing>";
    return text;
  }

  ScopedTempDir dir_;
  std::string path_;
};

TEST_F(XmlDomSetNodeTextTest, CreatesTheMissingValueUnderTheContextAndSavesIndented) {
  {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1);
    ComPtr<IXMLDOMNode> key;
    const std::string keyPath = "/appConfig/regInfo//SOFTWARE/QVX/QUORVIN";
    ASSERT_EQ(dom.GetNode(keyPath, &key, 0), 1);
    EXPECT_EQ(dom.SetNodeText("HOST1 HOST2", key.get(), keyPath + "/HostList"), 1);
  }
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/HostList"), "HOST1 HOST2");
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/PortList"), "4711");
  EXPECT_EQ(ReadBack("appInfo/companyName"), "QVX");

  const std::string saved = ReadFileBytes(path_);
  EXPECT_EQ(saved.find("<?xml"), std::string::npos) << saved;
  EXPECT_NE(saved.find("xmlns=\"urn:qvx:appconfig\""), std::string::npos)
      << "the root keeps its namespace declaration:\n"
      << saved;
  const std::vector<std::string> lines = Lines(saved);
  EXPECT_GE(lines.size(), 5u) << saved;
  bool indentedChild = false;
  for (const std::string& line : lines) {
    const size_t start = line.find_first_not_of(" \t");
    if (start > 0 && start != std::string::npos && line.compare(start, 8, "<regInfo") == 0) {
      indentedChild = true;
    }
  }
  EXPECT_TRUE(indentedChild) << "regInfo sits on a line of its own, indented:\n" << saved;
}

TEST_F(XmlDomSetNodeTextTest, ReplacesAnExistingValue) {
  {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1);
    ComPtr<IXMLDOMNode> key;
    ASSERT_EQ(dom.GetNode("/appConfig/regInfo/SOFTWARE/QVX/QUORVIN", &key, 1), 1);
    EXPECT_EQ(dom.SetNodeText("8080", key.get(), "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN/PortList"),
              1);
  }
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/PortList"), "8080");
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/PortList[1]"), "<missing>")
      << "the value was replaced, not added";
}

TEST_F(XmlDomSetNodeTextTest, NewElementGoesUnderTheContextWhateverParentThePathNames) {
  {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1);
    ComPtr<IXMLDOMNode> appInfo;
    ASSERT_EQ(dom.GetNode("/appConfig/appInfo", &appInfo, 1), 1);
    EXPECT_EQ(dom.SetNodeText("v", appInfo.get(), "/appConfig/elsewhere/Name"), 1);
  }
  EXPECT_EQ(ReadBack("appInfo/Name"), "v");
  EXPECT_EQ(ReadBack("elsewhere"), "<missing>");
}

TEST_F(XmlDomSetNodeTextTest, ValuesKeepTheirAnsiCharactersAndMarkup) {
  if (GetACP() != 1252) GTEST_SKIP() << "the value is written for code page 1252";
  const std::string value = "M\xFC" "ller <Partner>";  // Müller <Partner>
  {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1);
    ComPtr<IXMLDOMNode> key;
    ASSERT_EQ(dom.GetNode("/appConfig/appInfo", &key, 1), 1);
    EXPECT_EQ(dom.SetNodeText(value, key.get(), "/appConfig/appInfo/companyName"), 1);
  }
  EXPECT_EQ(ReadBack("appInfo/companyName"), value);
}

TEST_F(XmlDomSetNodeTextTest, MarkupCharactersSurviveTheTwoSaves) {
  // An update address with a query string is an ordinary setting value.
  const std::string value = "http://host/update.txt?a=1&b=2 <\"x\">";
  {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1);
    ComPtr<IXMLDOMNode> key;
    ASSERT_EQ(dom.GetNode("/appConfig/appInfo", &key, 1), 1);
    EXPECT_EQ(dom.SetNodeText(value, key.get(), "/appConfig/appInfo/UpdateFileURL"), 1);
  }
  EXPECT_EQ(ReadBack("appInfo/UpdateFileURL"), value);
}

TEST_F(XmlDomSetNodeTextTest, EveryWriteLeavesTheSameCleanLayout) {
  // One object per value, as the application information file is written.
  const char* const writes[][2] = {{"HostList", "HOST1"}, {"PortList", "4712"}, {"HostList", "HOST2"}};
  std::string afterFirst;
  for (const auto& write : writes) {
    CXmlDom dom;
    ASSERT_EQ(dom.Load(path_, 1), 1) << write[0];
    ComPtr<IXMLDOMNode> key;
    const std::string keyPath = "/appConfig/regInfo//SOFTWARE/QVX/QUORVIN";
    ASSERT_EQ(dom.GetNode(keyPath, &key, 0), 1) << write[0];
    ASSERT_EQ(dom.SetNodeText(write[1], key.get(), keyPath + "/" + write[0]), 1) << write[0];
    if (afterFirst.empty()) afterFirst = ReadFileBytes(path_);
  }
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/HostList"), "HOST2");
  EXPECT_EQ(ReadBack("regInfo/SOFTWARE/QVX/QUORVIN/PortList"), "4712");
  const std::string saved = ReadFileBytes(path_);
  EXPECT_EQ(Lines(saved).size(), Lines(afterFirst).size())
      << "re-indenting an indented file adds no lines:\n" << afterFirst << "\n---\n" << saved;
  for (const std::string& line : Lines(saved)) {
    EXPECT_NE(line.find_first_not_of(" \t"), std::string::npos) << "blank line in:\n" << saved;
  }
}

TEST(XmlDomSetNodeTextTextLoadedTest, SavingADocumentWithoutAFileRaises) {
  // A document loaded from text has no file: the value is written in memory, then the first
  // save to the empty path fails and its error reaches the caller.
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  ComPtr<IXMLDOMNode> root;
  ASSERT_EQ(dom.GetNode("/appConfig", &root, 1), 1);
  const HRESULT raised =
      RaisedBy([&] { dom.SetNodeText("changed", root.get(), "/appConfig/exeInfo[0]/name"); });
  EXPECT_TRUE(FAILED(raised)) << std::hex << raised;
  std::string text;
  EXPECT_EQ(dom.GetNodeText(&text, root.get(), "exeInfo[0]/name"), 1);
  EXPECT_EQ(text, "changed");
}

TEST(XmlDomSetNodeTextNullTest, NullContextRaisesEPointer) {
  CXmlDom dom;
  ASSERT_EQ(dom.Load(kConfig, 0), 1);
  EXPECT_EQ(RaisedBy([&] { dom.SetNodeText("v", nullptr, "/appConfig/x"); }), E_POINTER);
}

// ---------------------------------------------------------------------------------------------
// The indent stylesheet

TEST(XmlDomStylesheetTest, IsNineCrLfLinesOf323Characters) {
  const std::string text = CXmlDom::indentStylesheet;
  EXPECT_EQ(text.size(), 323u);
  const char* const wantLines[] = {
      "<?xml version=\"1.0\"?>",
      "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">",
      "<xsl:output method = \"xml\"  omit-xml-declaration =\"yes\" indent =\"yes\"/>",
      "<xsl:template match=\"/ | @* | node()\">",
      "<xsl:copy>",
      "<xsl:apply-templates select=\"@* | node()\"/>",
      "</xsl:copy>",
      "</xsl:template>",
      "</xsl:stylesheet>",
  };
  size_t position = 0;
  for (const char* want : wantLines) {
    const size_t end = text.find("\r\n", position);
    ASSERT_NE(end, std::string::npos) << "no CR LF after: " << want;
    EXPECT_EQ(text.substr(position, end - position), want);
    position = end + 2;
  }
  EXPECT_EQ(position, text.size()) << "nothing after the ninth line";
}

}  // namespace
