// How the installer's file system compares names: without regard to case.
//
// Windows finds a file whatever the case of its name, so two archive entries "Tools\App.exe" and
// "TOOLS\app.exe" are one file on disk, and so are "Caf\xE9" and "CAF\xC9" on a computer whose
// ANSI code page is 1252. Windows folds case with the volume's Unicode table; the archive holds
// ANSI bytes, whose code page only the target computer knows, and the packing tool runs on any
// system. One fixed table therefore stands in for it everywhere, so that the installer and the
// packing tool always agree: the letters of ASCII and of code page 1252, the code page our
// configurations and product names are written in (Western European). Letters of other code
// pages outside ASCII are compared byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace payload {

// |byte| with an upper-case letter of code page 1252 replaced by its lower-case letter: A-Z,
// 0xC0-0xDE except the multiplication sign 0xD7, and the pairs 0x8A/0x9A (S caron), 0x8C/0x9C
// (OE), 0x8E/0x9E (Z caron) and 0x9F/0xFF (Y diaeresis). Every other byte is answered unchanged.
unsigned char FoldNameByte(unsigned char byte);

// |text| with every byte folded by FoldNameByte: equal results name the same file.
std::string FoldNameCase(std::string_view text);

}  // namespace payload
