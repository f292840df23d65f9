// The bytes of the AppInfo.xml seed files, made from the configuration text of the payload.
#pragma once

#include <windows.h>

#include <string>

// |configText| as a document that every XML reader reads with the configuration's own text.
//
// A configuration is text in the ANSI code page |codePage|, and usually has no XML declaration.
// An XML reader takes a document that names no encoding for UTF-8, so a byte copy of such a
// configuration with a letter outside ASCII ("Brenmoor Sant\xE9" in code page 1252) is refused
// by every reader, the installer's own included. That text is converted to UTF-8 (an XML
// declaration without an encoding stays as it is: it is true of the converted text).
//
// Every other configuration keeps its bytes: text of ASCII only (the same in both encodings),
// text that names its encoding itself (an XML declaration with an encoding, or a byte order
// mark), and text that already reads as UTF-8. So does text that |codePage| cannot convert.
std::string AppInfoSeedText(const std::string& configText, UINT codePage);
