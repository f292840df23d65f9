// 8-bit text of a configuration or the command line as UTF-16, the form a version resource holds
// its strings in. Portable: the Linux build reads the same bytes the same way.
#pragma once

#include <string>

namespace packer {

// |bytes| as UTF-16: read as UTF-8 when they are well-formed UTF-8 (ASCII is), otherwise as
// Windows code page 1252, the ANSI code page configurations are written in.
std::u16string DecodeUtf8Or1252(const std::string& bytes);

// An XML document's bytes as UTF-16, read in the encoding its declaration names: "UTF-8" (any
// case, with or without the hyphen) as UTF-8, where a malformed sequence becomes U+FFFD; any
// other named encoding as code page 1252; without a declaration (or without an encoding in it)
// as DecodeUtf8Or1252 reads it. A UTF-8 byte-order mark is dropped.
std::u16string DecodeXmlDocument(const std::string& bytes);

}  // namespace packer
