// The regInfo subtree of an XML file (AppInfo.xml) used like a registry: a value is addressed by
// a key path and a value name, exactly as a registry value is.
#pragma once

#include <string>

#include "xml/XmlDom.h"

// Replaces every |from| in |text| by |to|, then drops one trailing |to|: the key path
// SOFTWARE\QVX\ becomes SOFTWARE/QVX.
void ReplaceChar(std::string& text, char from, char to);

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

 private:
  std::string filePath;
  CXmlDom dom;
  int loaded = 0;
};
