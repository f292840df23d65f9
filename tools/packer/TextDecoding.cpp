#include "TextDecoding.h"

#include <cstdint>

namespace packer {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code page 1252 from 0x80 to 0x9F; the five bytes it leaves unassigned keep their value, as
// Windows' own conversion does. Every other byte is the code point of the same number.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCodePoint(char32_t code, std::u16string* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
    return;
  }
  code -= 0x10000;
  out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
  out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

// The code point of the UTF-8 sequence at |bytes|[*at], moving *at past it; false (and *at past
// one byte) for a malformed sequence: a stray or missing continuation byte, an overlong form, a
// surrogate or a value past U+10FFFF.
bool NextUtf8(const std::string& bytes, size_t* at, char32_t* code) {
  const auto lead = static_cast<uint8_t>(bytes[*at]);
  size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    *code = lead;
    ++*at;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    ++*at;
    return false;
  }
  if (*at + length > bytes.size()) {
    ++*at;
    return false;
  }
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(bytes[*at + i]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++*at;
    return false;
  }
  *at += length;
  *code = value;
  return true;
}

// |bytes| as UTF-8; false when a sequence is malformed (|out| then holds U+FFFD in its place).
bool DecodeUtf8(const std::string& bytes, std::u16string* out) {
  bool wellFormed = true;
  for (size_t at = 0; at < bytes.size();) {
    char32_t code = 0;
    if (!NextUtf8(bytes, &at, &code)) {
      wellFormed = false;
      code = kReplacement;
    }
    AppendCodePoint(code, out);
  }
  return wellFormed;
}

std::u16string Decode1252(const std::string& bytes) {
  std::u16string out;
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    out.push_back(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80]
                                              : static_cast<char16_t>(byte));
  }
  return out;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The encoding named in the declaration at the start of |document|, lower-cased; "" when none.
std::string DeclaredEncoding(const std::string& document) {
  if (document.compare(0, 5, "<?xml") != 0) return "";
  const size_t end = document.find("?>");
  const std::string declaration = document.substr(0, end);
  const size_t name = declaration.find("encoding");
  if (name == std::string::npos) return "";
  const size_t quote = declaration.find_first_of("\"'", name);
  if (quote == std::string::npos) return "";
  const size_t close = declaration.find(declaration[quote], quote + 1);
  if (close == std::string::npos) return "";
  return LowerAscii(declaration.substr(quote + 1, close - quote - 1));
}

}  // namespace

std::u16string DecodeUtf8Or1252(const std::string& bytes) {
  std::u16string text;
  return DecodeUtf8(bytes, &text) ? text : Decode1252(bytes);
}

std::u16string DecodeXmlDocument(const std::string& bytes) {
  const std::string document =
      bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  const std::string encoding = DeclaredEncoding(document);
  if (encoding.empty()) return DecodeUtf8Or1252(document);
  if (encoding == "utf-8" || encoding == "utf8") {
    std::u16string text;
    DecodeUtf8(document, &text);
    return text;
  }
  return Decode1252(document);
}

}  // namespace packer
