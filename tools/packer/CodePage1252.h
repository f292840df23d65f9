// The 8-bit text a package carries (the appConfig document, the product name, the version) is
// text in the ANSI code page of the computer the installer runs on: the installer converts the
// configuration with that code page before its XML DOM parses it, so the document's encoding
// declaration never changes a character. The packing tool cannot know that computer; where it
// needs characters (a version resource holds UTF-16, a value must be judged as the installer
// gets it back) it takes the code page to be 1252, the one the installer's names are compared in.
// Portable: the Linux build reads the same bytes the same way.
#pragma once

#include <string>
#include <string_view>

namespace packer {

// |bytes| as UTF-16, one character a byte. The five bytes that code page 1252 leaves unassigned
// keep their value, as Windows' own conversion does, so every byte has a character of its own.
std::u16string DecodeCodePage1252(std::string_view bytes);

// |text| back in code page 1252, the exact inverse of DecodeCodePage1252; a character the code
// page lacks becomes '?', its default character.
std::string EncodeCodePage1252(std::u16string_view text);

}  // namespace packer
