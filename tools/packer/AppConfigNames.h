// The names a finished installer is labelled with, read from the appConfig document: the same
// elements the installer reads (the first /appConfig/appInfo and, in it, the first companyName
// and projectName), the same way (the text of the element and everything in it, entities and
// CDATA sections resolved, blanks trimmed at both ends). Only what the label needs is read. A
// document whose elements do not close in order (cut off, a stray end tag, a second root) gives
// no names, as the installer, which cannot load it, has none either: its defaults apply.
#pragma once

#include <string>

namespace packer {

struct AppConfigNames {
  std::u16string companyName;  // empty: not configured
  std::u16string projectName;  // empty: not configured
};

// |configText| is the document's bytes, read in code page 1252 whatever its declaration says, as
// the installer converts them with its ANSI code page before its DOM parses them.
AppConfigNames ReadAppConfigNames(const std::string& configText);

}  // namespace packer
