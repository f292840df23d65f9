#include "package/codec/EntryPath.h"

#include <cstdio>

namespace payload {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

// Quotes a byte for a message: printable ASCII as itself, anything else as 0xNN.
std::string DescribeByte(unsigned char byte) {
  char text[16];
  if (byte >= 0x20 && byte < 0x7F) {
    std::snprintf(text, sizeof(text), "'%c'", static_cast<char>(byte));
  } else {
    std::snprintf(text, sizeof(text), "0x%02X", byte);
  }
  return text;
}

// The bytes that no file or folder name may contain; '\\' is the separator and handled apart.
std::string CheckNameBytes(std::string_view text, const char* what) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool refused = byte < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' ||
                         c == '?' || c == '*' || c == ':' || c == '/';
    if (refused) return std::string(what) + " contains the character " + DescribeByte(byte);
  }
  return "";
}

// Windows opens a device for these names whatever extension follows and whatever case they are
// in; "COM1 .log" counts too, because blanks before the extension are dropped.
bool IsReservedDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (EqualsIgnoringAsciiCase(base, name)) return true;
  }
  if (base.size() != 4) return false;
  const std::string_view prefix = base.substr(0, 3);
  if (!EqualsIgnoringAsciiCase(prefix, "COM") && !EqualsIgnoringAsciiCase(prefix, "LPT")) {
    return false;
  }
  // 0xB9, 0xB2 and 0xB3 are the superscript digits one, two and three of code page 1252.
  const auto digit = static_cast<unsigned char>(base[3]);
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

std::string CheckComponent(std::string_view component) {
  const std::string quoted = "\"" + std::string(component) + "\"";
  if (component.empty()) return "the path has an empty component";
  if (component == "." || component == "..") {
    return "the component " + quoted + " refers to the current or the parent folder";
  }
  if (IsReservedDeviceName(component)) {
    return "the component " + quoted + " is a reserved device name";
  }
  if (component.back() == '.' || component.back() == ' ') {
    return "the component " + quoted +
           " ends in a dot or a blank, which Windows drops from file names";
  }
  return "";
}

}  // namespace

std::string CheckEntryPath(std::string_view path) {
  if (path.empty()) return "the path is empty";
  // Both UNC ("\\server\share") and device forms ("\\?\C:\") start with a backslash.
  if (path.front() == '\\') return "the path is rooted (it starts with a backslash)";
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    return "the path starts with a drive letter";
  }
  std::string reason = CheckNameBytes(path, "the path");
  if (!reason.empty()) return reason;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    reason = CheckComponent(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (!reason.empty()) return reason;
    if (end == std::string_view::npos) return "";
    start = end + 1;
  }
}

std::string CheckVersionText(std::string_view version) {
  if (version.find('\\') != std::string_view::npos) {
    return "the version contains the character '\\'";
  }
  std::string reason = CheckNameBytes(version, "the version");
  if (!reason.empty()) return reason;
  if (!version.empty() && (version.back() == '.' || version.back() == ' ')) {
    return "the version ends in a dot or a blank, which Windows drops from folder names";
  }
  return "";
}

std::string QuoteName(std::string_view name) {
  constexpr size_t kShown = 200;
  std::string text = "\"";
  for (size_t i = 0; i < name.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
      text += escaped;
    } else {
      text += name[i];
    }
  }
  if (name.size() > kShown) text += "...";
  return text + "\"";
}

}  // namespace payload
