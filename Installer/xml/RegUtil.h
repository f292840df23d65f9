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
  // Loads |filePath|; every later SetValue saves back to it.
  explicit CRegUtil(const std::string& filePath);
  virtual ~CRegUtil();
  CRegUtil(const CRegUtil&) = delete;
  CRegUtil& operator=(const CRegUtil&) = delete;

  // Writes |value| at /appConfig/regInfo/<keyPath>/<valueName> ("\" in the key path read as
  // "/", blanks as "-"), creating the missing key and value elements, and saves the file
  // re-indented. 1 when written and saved; 0 when the file was not loaded or a save failed.
  // A failing DOM call raises _com_error.
  int SetValue(const std::string& keyPath, const std::string& valueName, const std::string& value);

  // Why SetValue last answered 0 without raising (CXmlDom::LastFailure): the file did not load,
  // or the re-indented save could not be made.
  HRESULT LastFailure() const { return lastFailure; }

 private:
  std::string filePath;
  CXmlDom dom;
  int loaded = 0;
  HRESULT lastFailure = S_OK;
};
