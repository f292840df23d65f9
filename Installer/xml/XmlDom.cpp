#include "xml/XmlDom.h"

#include <utility>
#include <vector>

#include "xml/ComText.h"

// An identity transform: every node and attribute is copied unchanged, the output is indented
// and carries no XML declaration. It gives the saved files a readable layout.
const char CXmlDom::indentStylesheet[] =
    "<?xml version=\"1.0\"?>\r\n"
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\r\n"
    "<xsl:output method = \"xml\"  omit-xml-declaration =\"yes\" indent =\"yes\"/>\r\n"
    "<xsl:template match=\"/ | @* | node()\">\r\n"
    "<xsl:copy>\r\n"
    "<xsl:apply-templates select=\"@* | node()\"/>\r\n"
    "</xsl:copy>\r\n"
    "</xsl:template>\r\n"
    "</xsl:stylesheet>\r\n";

namespace {

// The COM identities are spelled out here so that nothing depends on an import library that
// may or may not carry them.
// MSXML 3.0's version-independent DOM document class.
const CLSID kDomDocumentClassId = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
// IXMLDOMDocument.
const IID kDocumentInterfaceId = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// IXMLDOMNode.
const IID kNodeInterfaceId = {
    0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// IUnknown.
const IID kUnknownInterfaceId = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// CLSCTX_ALL: in-process server and handler, local and remote server.
const DWORD kAnyClassContext = 0x17;

// Raises _com_error for a failing |result| of a call made on |object| through the interface
// |iid|. The object's error information goes with it when the object says it keeps some for
// that interface, so the catcher can tell what the parser or the save complained about.
void CheckResult(HRESULT result, IUnknown* object, REFIID iid) {
  if (SUCCEEDED(result)) return;
  ComPtr<IErrorInfo> info;
  ComPtr<ISupportErrorInfo> support;
  if (object &&
      SUCCEEDED(object->QueryInterface(__uuidof(ISupportErrorInfo),
                                       reinterpret_cast<void**>(support.put()))) &&
      support->InterfaceSupportsErrorInfo(iid) == S_OK) {
    GetErrorInfo(0, info.put());  // S_FALSE, with nothing set, when no information is kept
  }
  throw _com_error(result, info.release());  // the error takes over the reference
}

// A document call: methods that IXMLDOMDocument adds to the node.
void CheckDocumentCall(HRESULT result, IXMLDOMDocument* document) {
  CheckResult(result, document, kDocumentInterfaceId);
}

// A node call: methods of IXMLDOMNode, also when they are called on the document.
void CheckNodeCall(HRESULT result, IXMLDOMNode* node) {
  CheckResult(result, node, kNodeInterfaceId);
}

// |pointer| itself; a missing interface raises E_POINTER instead of crashing.
template <typename T>
T* Required(T* pointer) {
  if (!pointer) _com_issue_error(E_POINTER);
  return pointer;
}

// A new DOM document object. The failing call's HRESULT, with |document| empty, when the class
// cannot be created or does not offer the document interface.
HRESULT CreateDocument(ComPtr<IXMLDOMDocument>* document) {
  document->reset();
  ComPtr<IUnknown> object;
  HRESULT result = CoCreateInstance(kDomDocumentClassId, nullptr, kAnyClassContext,
                                    kUnknownInterfaceId, reinterpret_cast<void**>(object.put()));
  if (FAILED(result)) return result;
  // A class context that admits local and remote servers needs the object running before it
  // is asked for an interface.
  result = OleRun(object.get());
  if (FAILED(result)) return result;
  return object->QueryInterface(kDocumentInterfaceId, reinterpret_cast<void**>(document->put()));
}

// Why |document| did not load: the parser's error code, or E_FAIL when it names none.
HRESULT ParseFailure(IXMLDOMDocument* document) {
  ComPtr<IXMLDOMParseError> error;
  long code = 0;
  if (SUCCEEDED(document->get_parseError(error.put())) && error &&
      SUCCEEDED(error->get_errorCode(&code)) && FAILED(code)) {
    return code;
  }
  return E_FAIL;
}

// Loads are synchronous and never validate: the documents are small, local and carry no schema.
void PrepareForLoad(IXMLDOMDocument* document) {
  CheckDocumentCall(document->put_async(VARIANT_FALSE), document);
  CheckDocumentCall(document->put_validateOnParse(VARIANT_FALSE), document);
}

// True when |text| parsed; a parse error is not a raised error, only a false.
bool LoadXmlText(IXMLDOMDocument* document, BSTR text) {
  VARIANT_BOOL loaded = VARIANT_FALSE;
  CheckDocumentCall(document->loadXML(text, &loaded), document);
  return loaded == VARIANT_TRUE;
}

bool LoadXmlFile(IXMLDOMDocument* document, const std::string& path) {
  const UniqueVariant source = UniqueVariant::FromAnsi(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  CheckDocumentCall(document->load(source.get(), &loaded), document);
  return loaded == VARIANT_TRUE;
}

void Save(IXMLDOMDocument* document, const std::string& path) {
  const UniqueVariant destination = UniqueVariant::FromAnsi(path);
  CheckDocumentCall(Required(document)->save(destination.get()), document);
}

// The first node that |query| selects below |from|; empty when nothing matches. The empty query
// names no node and is not handed to the DOM: Wine's DOM crashes on it.
ComPtr<IXMLDOMNode> SelectSingleNode(IXMLDOMNode* from, const std::string& query) {
  Required(from);
  ComPtr<IXMLDOMNode> found;
  if (query.empty()) return found;
  const UniqueBstr text = AnsiToBstr(query);
  CheckNodeCall(from->selectSingleNode(text.get(), found.put()), from);
  return found;
}

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameCharacter(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Whether |name| can name an XML element (characters past ASCII are left to the DOM).
bool IsElementName(const std::string& name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (const char c : name) {
    if (!IsNameCharacter(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// A new element named |name| that is not yet in the tree, as a node. A name that no element
// may carry (a path step with an index, "QUORVIN[0]") raises E_FAIL as MSXML's createElement
// does; Wine's DOM would accept it and the next save would write a file that no longer parses.
ComPtr<IXMLDOMNode> CreateElementNode(IXMLDOMDocument* document, const std::string& name) {
  Required(document);
  if (!IsElementName(name)) _com_issue_error(E_FAIL);
  const UniqueBstr text = AnsiToBstr(name);
  ComPtr<IXMLDOMElement> element;
  CheckDocumentCall(document->createElement(text.get(), element.put()), document);
  ComPtr<IXMLDOMNode> node;
  CheckResult(element->QueryInterface(kNodeInterfaceId, reinterpret_cast<void**>(node.put())),
              nullptr, kNodeInterfaceId);
  return node;
}

// Appends |child| as the last child of |parent|; answers the appended node.
ComPtr<IXMLDOMNode> AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child) {
  ComPtr<IXMLDOMNode> appended;
  CheckNodeCall(Required(parent)->appendChild(child, appended.put()), parent);
  return appended;
}

// The node's value as text (for the untyped elements of these documents, the element's text).
std::string ReadNodeValue(IXMLDOMNode* node) {
  UniqueVariant value;
  CheckNodeCall(node->get_nodeTypedValue(value.put()), node);
  if (value.get().vt == VT_BSTR) return BstrToAnsi(value.get().bstrVal);
  UniqueVariant asText;
  HRESULT converted = VariantChangeType(asText.put(), const_cast<VARIANT*>(&value.get()), 0,
                                        VT_BSTR);
  if (FAILED(converted)) _com_issue_error(converted);
  return BstrToAnsi(asText.get().bstrVal);
}

// Writes the element's text. For the untyped elements of these documents this is what writing
// nodeTypedValue does; Wine's DOM loses a value with "&" through nodeTypedValue (it saves an
// empty element), so the text property is used.
void WriteNodeValue(IXMLDOMNode* node, const std::string& text) {
  const UniqueBstr value = AnsiToBstr(text);
  CheckNodeCall(node->put_text(value.get()), node);
}

// A document holds one root element. MSXML refuses to append a second one; Wine's DOM accepts
// it, so the refusal is made here, with MSXML's E_FAIL, before anything is appended.
void RefuseSecondRoot(IXMLDOMDocument* document) {
  ComPtr<IXMLDOMElement> root;
  CheckDocumentCall(document->get_documentElement(root.put()), document);
  if (root) _com_issue_error(E_FAIL);
}

// The steps of |path|, the names between its slashes; the empty step between the two slashes
// of "//" is left out.
std::vector<std::string> PathSteps(const std::string& path) {
  std::vector<std::string> steps;
  size_t first = 0;
  while (first <= path.size()) {
    size_t slash = path.find('/', first);
    if (slash == std::string::npos) slash = path.size();
    if (slash > first) steps.push_back(path.substr(first, slash - first));
    first = slash + 1;
  }
  return steps;
}

// The node at |path|, creating the elements that are missing along it: each step is looked up
// as a child of the node reached so far (of the document for the first step), and the steps
// from the first one missing on are made as elements named verbatim after them. Those are
// joined into a chain of their own and hung into the tree with one append at the end, so a step
// that cannot be made raises with the document as it was: of many values written into one
// loaded document, one that fails leaves nothing behind.
ComPtr<IXMLDOMNode> FindOrCreatePath(IXMLDOMDocument* document, const std::string& path) {
  ComPtr<IXMLDOMNode> found = SelectSingleNode(document, path);
  if (found) return found;
  const std::vector<std::string> steps = PathSteps(path);
  size_t step = 0;
  for (; step < steps.size(); ++step) {
    ComPtr<IXMLDOMNode> child = SelectSingleNode(found ? found.get() : document, steps[step]);
    if (!child) break;
    found = std::move(child);
  }
  if (step == steps.size()) return found;
  if (!found) RefuseSecondRoot(document);
  const ComPtr<IXMLDOMNode> chain = CreateElementNode(document, steps[step]);
  ComPtr<IXMLDOMNode> last = chain;
  for (++step; step < steps.size(); ++step) {
    last = AppendChild(last.get(), CreateElementNode(document, steps[step]).get());
  }
  AppendChild(found ? found.get() : document, chain.get());
  return last;
}

// Removes the XML declaration from |document|. The DOM keeps a loaded file's declaration as a
// processing instruction, which the identity template can copy like any other node (Wine's
// does), so the stylesheet's omit-xml-declaration alone does not keep it out of the file.
void DropXmlDeclaration(IXMLDOMDocument* document) {
  ComPtr<IXMLDOMNode> first;
  CheckNodeCall(document->get_firstChild(first.put()), document);
  if (!first) return;
  DOMNodeType type = NODE_INVALID;
  CheckNodeCall(first->get_nodeType(&type), first.get());
  if (type != NODE_PROCESSING_INSTRUCTION) return;
  UniqueBstr name;
  CheckNodeCall(first->get_nodeName(name.put()), first.get());
  if (BstrToAnsi(name.get()) != "xml") return;
  ComPtr<IXMLDOMNode> removed;
  CheckNodeCall(document->removeChild(first.get(), removed.put()), document);
}

// Saves |document| to |path| again, this time as the indent stylesheet writes it. Answers S_OK,
// or why one of the helper documents could not be created or loaded; the earlier plain save then
// stays.
HRESULT SaveIndented(IXMLDOMDocument* document, const std::string& path) {
  ComPtr<IXMLDOMDocument> stylesheet;
  ComPtr<IXMLDOMDocument> result;
  HRESULT made = CreateDocument(&stylesheet);
  if (SUCCEEDED(made)) made = CreateDocument(&result);
  if (FAILED(made)) return made;
  if (!LoadXmlText(stylesheet.get(), AnsiToBstr(CXmlDom::indentStylesheet).get())) {
    return ParseFailure(stylesheet.get());
  }
  UniqueBstr indented;
  CheckNodeCall(document->transformNode(stylesheet.get(), indented.put()), document);
  // The indentation is white space between elements: MSXML keeps marks of it even when it does
  // not preserve white space, Wine's DOM drops it on save unless told to preserve it.
  CheckDocumentCall(result->put_preserveWhiteSpace(VARIANT_TRUE), result.get());
  if (!LoadXmlText(result.get(), indented.get())) return ParseFailure(result.get());
  DropXmlDeclaration(result.get());
  Save(result.get(), path);
  return S_OK;
}

}  // namespace

CXmlDom::CXmlDom() = default;

CXmlDom::~CXmlDom() {
  document.reset();
  CoUninitialize();
  filePath.clear();
}

int CXmlDom::Load(const std::string& source, int fromFile) {
  // COM is initialised on the thread that loads, which is the one thread that uses this object.
  CoInitialize(nullptr);
  lastFailure = S_OK;
  try {
    if (source.empty()) {
      lastFailure = E_INVALIDARG;
      return 0;
    }
    if (!document) {
      const HRESULT made = CreateDocument(&document);
      if (FAILED(made)) {
        lastFailure = made;
        return 0;
      }
    }
    PrepareForLoad(document.get());
    bool loaded = false;
    if (fromFile == 1) {
      if (&source != &filePath) filePath = source;
      loaded = LoadXmlFile(document.get(), filePath);
    } else {
      loaded = LoadXmlText(document.get(), AnsiToBstr(source).get());
    }
    if (!loaded) lastFailure = ParseFailure(document.get());
    return loaded ? 1 : 0;
  } catch (const _com_error& error) {
    // A load that cannot complete is reported like text that does not parse: the caller only
    // needs to know that there is no document to read.
    lastFailure = error.Error();
    return 0;
  }
}

int CXmlDom::GetNode(const std::string& path, ComPtr<IXMLDOMNode>* node, int findOnly) {
  Required(node)->reset();
  IXMLDOMDocument* dom = Required(document.get());
  *node = findOnly != 0 ? SelectSingleNode(dom, path) : FindOrCreatePath(dom, path);
  return (*node && !path.empty()) ? 1 : 0;
}

int CXmlDom::GetNodeText(std::string* text, IXMLDOMNode* context, const std::string& path) {
  Required(text)->clear();
  const ComPtr<IXMLDOMNode> node = SelectSingleNode(Required(context), path);
  if (!node) return 0;
  *text = ReadNodeValue(node.get());
  return 1;
}

void CXmlDom::PutNodeText(const std::string& value, IXMLDOMNode* context,
                          const std::string& path) {
  ComPtr<IXMLDOMNode> node = SelectSingleNode(Required(context), path);
  if (node) {
    WriteNodeValue(node.get(), value);
    return;
  }
  // The missing element goes straight under the context, whichever parent the path names:
  // the caller's context is the key element that the value belongs to. It gets its text before
  // it is appended, so a failing call leaves the tree as it was.
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  node = CreateElementNode(document.get(), name);
  WriteNodeValue(node.get(), value);
  AppendChild(context, node.get());
}

int CXmlDom::SetNodeText(const std::string& value, IXMLDOMNode* context, const std::string& path) {
  PutNodeText(value, context, path);
  Save(document.get(), filePath);
  lastFailure = SaveIndented(document.get(), filePath);
  return SUCCEEDED(lastFailure) ? 1 : 0;
}

int CXmlDom::SaveToFile() {
  lastFailure = SaveIndented(document.get(), filePath);
  // Without the re-indenting documents the changes still reach the file, in the DOM's layout.
  if (FAILED(lastFailure)) Save(document.get(), filePath);
  return SUCCEEDED(lastFailure) ? 1 : 0;
}
