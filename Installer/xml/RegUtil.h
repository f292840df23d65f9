// The regInfo subtree of an XML file (AppInfo.xml) used like a registry: a value is addressed by
// a key path and a value name, exactly as a registry value is.
#pragma once

#include <string>

#include "xml/XmlDom.h"

// Replaces every |from| in |text| by |to|, then drops one trailing |to|: the key path
// SOFTWARE\QVX\ becomes SOFTWARE/QVX.
void ReplaceChar(std::string& text, char from, char to);

// The element that holds the key |keyPath|: "/appConfig/regInfo/" + keyPath, "\" read as "/"
// and blanks as "-". The configuration's key paths start with "/", so the result has "//" after
// regInfo: the key is found anywhere below regInfo, and otherwise created right under it.
std::string KeyElementPath(const std::string& keyPath);

// The element that holds the value |valueName| of the key |keyPath| (a blank in the name read as
// "-"): /appConfig/regInfo//SOFTWARE/QVX/QUORVIN[0]/HostList.
std::string ValueElementPath(const std::string& keyPath, const std::string& valueName);

class CRegUtil {
 public:
  // Loads |filePath|; every later save writes back to it.
  explicit CRegUtil(const std::string& filePath);
  virtual ~CRegUtil();
  CRegUtil(const CRegUtil&) = delete;
  CRegUtil& operator=(const CRegUtil&) = delete;

  // Writes |value| at /appConfig/regInfo/<keyPath>/<valueName> ("\" in the key path read as
  // "/", blanks as "-"), creating the missing key and value elements, and saves the whole file
  // for this one value (as it is, then re-indented). 1 when written and saved; 0 when the file
  // was not loaded or a save failed. A failing DOM call raises _com_error.
  int SetValue(const std::string& keyPath, const std::string& valueName, const std::string& value);

  // SetValue's write without the saves: the value goes into the loaded document only, so that
  // many values cost one load and one Save. 1 when written; 0 when the file was not loaded. A
  // failing DOM call raises _com_error. A key path that cannot be made (a file without the
  // product key, where QUORVIN[0] would have to be created) leaves nothing behind, so the
  // values written before and after it reach the file as SetValue would have left them. (The
  // installer's value names are fixed element names, HostList, ExitCareLocation and the like,
  // so the value element itself can always be made.)
  int PutValue(const std::string& keyPath, const std::string& valueName, const std::string& value);

  // Saves the document once, re-indented, with every value PutValue wrote. 1 when saved
  // re-indented; 0 when the file was not loaded (nothing is written then) or the re-indenting
  // failed (the document is saved as it is). A failing save raises _com_error.
  int Save();

  // Why SetValue, PutValue or Save last answered 0 without raising (CXmlDom::LastFailure): the
  // file did not load, or the re-indented save could not be made.
  HRESULT LastFailure() const { return lastFailure; }

 private:
  // The element of the key |keyPath|, created when missing; empty (lastFailure set) when the
  // file was not loaded or the DOM answers no node.
  ComPtr<IXMLDOMNode> KeyNode(const std::string& keyPath);

  std::string filePath;
  CXmlDom dom;
  int loaded = 0;
  HRESULT lastFailure = S_OK;
};
