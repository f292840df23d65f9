// The values of an appConfig document that the packing tool needs, read as the installer reads
// them but without an XML library (the packing tool builds on Linux and for Win32 alike): the
// names the installer joins into its paths, which the codec judges (package/codec/ConfigNames.h,
// the same function the installer applies to the values its XML DOM reads), and the names the
// version resource of a finished installer shows.
//
// How the installer reads the document, and so this reader:
// - Characters. The installer converts the text with the ANSI code page of its computer and
//   hands the result to MSXML's loadXML, so the declaration's encoding never changes a
//   character. This reader takes the bytes as code page 1252 (CodePage1252.h) whatever the
//   declaration says: UTF-8 bytes are two characters, as the installer has them.
// - Elements. Names are matched as written, a prefix being part of the name (the installer's
//   unprefixed query paths find no prefixed element). Of companyName, appName and projectName
//   the first /appConfig/appInfo/<name> of the whole document is read (the installer's query
//   paths are absolute, so a later appInfo can supply a name the first one lacks); of every
//   /appConfig/exeInfo its first name and path, of every /appConfig/shortCut its first name,
//   alias and icon. Further elements of those names are not read, as the installer does not use them.
//   (The installer keeps only the first exeInfo of a program name, compared in lower case; a
//   later one's path is judged here all the same.)
// - Text. All text inside the element, CDATA sections and the text of elements inside it
//   included, comments left out; the five predefined entities and character references
//   resolved; white space at both ends (blanks, tabs, line breaks) removed, as the DOM drops it
//   from the text of an element, so a pretty-printed configuration reads as the installer
//   reads it. Inside a value a tab or line break stays, and a path value holding one is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "package/codec/ConfigNames.h"

namespace packer {

enum class ConfigElement {
  kCompanyName,    // appInfo/companyName
  kAppName,        // appInfo/appName
  kProjectName,    // appInfo/projectName (the display name; no part of a path)
  kExeName,        // exeInfo/name (no part of a path: the program's file name)
  kExePath,        // exeInfo/path
  kShortcutName,   // shortCut/name
  kShortcutAlias,  // shortCut/alias
  kShortcutIcon,   // shortCut/icon
};

struct ConfigValue {
  ConfigElement element;
  std::u16string text;  // the element's text as the DOM has it, white space at its ends removed
  // "" or, with its line, why the text depends on the code page of the installer's computer: it
  // names a character beyond ASCII by reference, which the installer converts with that code
  // page (where a best-fit conversion may even turn a full-width "．" into ".").
  std::string codePageNote;
  // Which child of appConfig holds the value, counted from 1 in document order: an exeInfo's name
  // and path share it, which pairs them as the installer reads them.
  unsigned entryNumber = 0;
};

// Reads the values above from the appConfig document |text|, in document order. The empty text
// has none. Answers "" and fills |values|, or the reason the document cannot be judged, with its
// line: it is not well-formed as far as this reader checks (one root element, tags that close in
// order, quoted attribute values, terminated comments, CDATA sections and references, an XML
// declaration only at the very start), it starts with a UTF-8 byte-order mark (the installer
// reads it as text before the root and cannot load the document), or a value it reads uses a
// reference other than the five predefined entities and character references of characters XML
// allows (entities the document declares are the DOM's to resolve, not this reader's).
std::string ReadConfigValues(std::string_view text, std::vector<ConfigValue>* values);

// "" when every path value of the configuration |text| is sound (payload::CheckConfigName on its
// code page 1252 bytes, none with a code page note) and the appName followed by |version| can
// name the version folder; else the reason, naming the element, or the reader's reason.
std::string CheckConfigNames(std::string_view text, std::string_view version);

}  // namespace packer
