#include "CodePage1252.h"

#include <cstdint>

namespace packer {
namespace {

// Code page 1252 from 0x80 to 0x9F; every other byte is the code point of the same number.
const char16_t kHighCharacters[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kFirstHigh = 0x80;
constexpr char16_t kPastHigh = 0xA0;

char EncodeCharacter(char16_t c) {
  for (char16_t i = 0; i < kPastHigh - kFirstHigh; ++i) {
    if (kHighCharacters[i] == c) return static_cast<char>(kFirstHigh + i);
  }
  if (c < kFirstHigh || (c >= kPastHigh && c <= 0xFF)) return static_cast<char>(c);
  return '?';
}

}  // namespace

std::u16string DecodeCodePage1252(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    text.push_back(byte >= kFirstHigh && byte < kPastHigh ? kHighCharacters[byte - kFirstHigh]
                                                          : static_cast<char16_t>(byte));
  }
  return text;
}

std::string EncodeCodePage1252(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const char16_t c : text) bytes.push_back(EncodeCharacter(c));
  return bytes;
}

}  // namespace packer
