#include "package/codec/NameCase.h"

namespace payload {

unsigned char FoldNameByte(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte - 'A' + 'a');
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 0x20);
  switch (byte) {
    case 0x8A:  // S caron
    case 0x8C:  // OE ligature
    case 0x8E:  // Z caron
      return static_cast<unsigned char>(byte + 0x10);
    case 0x9F:  // Y diaeresis; its lower-case letter is 0xFF
      return 0xFF;
    default:
      return byte;
  }
}

std::string FoldNameCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldNameByte(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace payload
