// The values of an appConfig document that the installer joins into its paths, read without an
// XML library: the packing tool builds on Linux and for Win32 alike and needs only these few
// elements. The verdict on each value is the codec's (package/codec/ConfigNames.h), the same
// function the installer applies to the values its XML DOM reads.
//
// The reader errs on the side of refusing: it takes every element at the installer's query paths
// (not only the first, which is the one the installer uses), matches element names without their
// namespace prefix, and keeps tabs and line breaks in a value (the installer trims blanks only, and
// whether the DOM trims other white space is left to the DOM).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "package/codec/ConfigNames.h"

namespace packer {

struct ConfigValue {
  payload::ConfigName which;
  std::string value;  // the element's text, entities resolved, blanks at its ends removed
};

// Reads the path values of the appConfig document |text|, in document order: every
// appConfig/appInfo/companyName and appName, appConfig/exeInfo/path and appConfig/shortCut/name,
// alias and icon (the text of an element is all text inside it, CDATA included, comments left
// out). The empty text has no values. Answers "" and fills |values|, or the reason the document
// cannot be judged, with its line: it is not well-formed as far as this reader checks (one root
// element, tags that close in order, quoted attribute values, terminated comments, CDATA sections
// and references), or one of those values uses an entity other than the five XML predefines, or
// a character reference beyond ASCII (the installer would convert it with the code page of the
// computer it runs on, which the packing tool cannot know).
std::string ReadConfigValues(std::string_view text, std::vector<ConfigValue>* values);

// "" when every path value of the configuration |text| is sound (payload::CheckConfigName), and
// every appName followed by |version| can name the version folder; else the reason, naming the
// element, or the reader's reason.
std::string CheckConfigNames(std::string_view text, std::string_view version);

}  // namespace packer
