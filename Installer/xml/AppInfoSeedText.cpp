#include "xml/AppInfoSeedText.h"

namespace {

bool IsAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A UTF-8 or UTF-16 byte order mark at the start names the encoding.
bool HasByteOrderMark(const std::string& text) {
  return StartsWith(text, "\xEF\xBB\xBF") || StartsWith(text, "\xFF\xFE") ||
         StartsWith(text, "\xFE\xFF");
}

// An XML declaration stands at the very start of a document and may name the encoding.
bool DeclaresEncoding(const std::string& text) {
  if (!StartsWith(text, "<?xml")) return false;
  const std::string declaration = text.substr(0, text.find("?>"));
  return declaration.find("encoding") != std::string::npos;
}

std::wstring Widen(const std::string& text, UINT codePage, DWORD flags) {
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return {};
  std::wstring wide(wideLength, L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), length, &wide[0], wideLength);
  return wide;
}

bool IsUtf8(const std::string& text) { return !Widen(text, CP_UTF8, MB_ERR_INVALID_CHARS).empty(); }

// |text| converted from |codePage| to UTF-8, the way the installer reads the configuration
// itself; empty when it cannot be converted.
std::string Utf8FromCodePage(const std::string& text, UINT codePage) {
  const std::wstring wide = Widen(text, codePage, 0);
  if (wide.empty()) return {};
  const int wideLength = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string AppInfoSeedText(const std::string& configText, UINT codePage) {
  if (IsAscii(configText) || HasByteOrderMark(configText) || DeclaresEncoding(configText) ||
      IsUtf8(configText)) {
    return configText;
  }
  const std::string converted = Utf8FromCodePage(configText, codePage);
  return converted.empty() ? configText : converted;
}
