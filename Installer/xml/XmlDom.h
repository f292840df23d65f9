// One XML document through the platform's MSXML 3.0 DOM (COM). Paths are the DOM's default
// query language, XSL Patterns: "/" steps, zero-based "[n]" indices, "//" for any descendant,
// and unprefixed names match elements under a default namespace.
//
// Every failing DOM call raises _com_error (with the HRESULT, and the DOM's error information
// when it keeps some); a call on a missing interface (no document yet, a null context) raises
// E_POINTER. Only Load catches it. Callers of GetNode, GetNodeText, SetNodeText and PutNodeText
// catch it and treat it as a failed read or write of that one value; a creating GetNode and
// PutNodeText change nothing when they raise, so the other values of a document still stand.
//
// One thread only: the one that loads. Node handles that GetNode hands out carry their own
// reference and must be released before the CXmlDom goes, since its destructor may end COM on
// the thread.
#pragma once

#include <msxml.h>

#include <comdef.h>
#include <string>

#include "support/ComPtr.h"

class CXmlDom {
 public:
  CXmlDom();
  // Releases the document, then calls CoUninitialize once (every Load calls CoInitialize).
  ~CXmlDom();
  CXmlDom(const CXmlDom&) = delete;
  CXmlDom& operator=(const CXmlDom&) = delete;

  // Loads |source|: a file path when |fromFile| is 1 (every later save writes there), else the
  // XML text itself. Initialises COM on the calling thread. 1 on success; 0 for an empty source
  // (no document object is created for it), a document that cannot be created, or text or a
  // file that does not parse. A document object, once created, is reused by later loads.
  int Load(const std::string& source, int fromFile);

  // The first node that matches |path|, from the document. With |findOnly| 0 the missing
  // elements along the path are created (a step per "/", the empty step of "//" skipped, steps
  // used verbatim as names). 1 when |node| is set and the path is not empty; |node| is emptied
  // first. Raises for a step that is no element name ("QUORVIN[0]") or a first step that would
  // make a second root element; nothing is created then.
  int GetNode(const std::string& path, ComPtr<IXMLDOMNode>* node, int findOnly);

  // The text of the node at |path| below |context| (borrowed), as the DOM gives it (for an
  // element, its text without the blanks at its ends; nothing is trimmed here). 1 when the node
  // exists; |text| is empty otherwise. A null context raises _com_error(E_POINTER).
  int GetNodeText(std::string* text, IXMLDOMNode* context, const std::string& path);

  // Writes |value| into the node at |path| below |context|, creating an element named after the
  // last "/" under |context| when there is none, then saves the document to its file twice: as
  // it is, then re-indented by the identity stylesheet (no XML declaration). 1 when the value
  // was written and both saves succeeded; 0 when the re-indenting documents cannot be made or
  // loaded (the first save then stands). A failing save raises: a document loaded from text
  // has no file, so its save to the empty path raises, with the value already set in memory.
  int SetNodeText(const std::string& value, IXMLDOMNode* context, const std::string& path);

  // SetNodeText's write without its saves: |value| goes into the node at |path| below |context|
  // (an element named after the last "/" is created under |context| when there is none) in the
  // loaded document only. A failing call raises and leaves the document as it was. Many values
  // are written this way and then saved once with SaveToFile.
  void PutNodeText(const std::string& value, IXMLDOMNode* context, const std::string& path);

  // Saves the document to the file it was loaded from, once, re-indented by the identity
  // stylesheet (no XML declaration): the same bytes as SetNodeText's second save. 1 when saved
  // re-indented; 0 when the re-indenting documents cannot be made or loaded, and the document
  // is then saved as it is. A failing save raises.
  int SaveToFile();

  // Why the last Load, SetNodeText or SaveToFile answered 0, for the log: the parser's error code for text
  // or a file that does not parse (E_FAIL when the parser names none), the HRESULT of the call
  // that failed, E_INVALIDARG for an empty source. S_OK after a call that answered 1.
  HRESULT LastFailure() const { return lastFailure; }

  // The identity stylesheet of the second save (323 characters, nine CR LF lines).
  static const char indentStylesheet[];

 private:
  ComPtr<IXMLDOMDocument> document;
  std::string filePath;
  HRESULT lastFailure = S_OK;
};
