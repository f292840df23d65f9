#include "PackageIdentifier.h"

#include "Utf8Text.h"

namespace packer {
namespace {

constexpr size_t kLongestPart = 32;

// The white space the schema's "\s" matches among the characters a configuration can hold (code
// page 1252 text): the ASCII blanks, the next line and the no-break space.
bool IsWhiteSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0xA0;
}

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool RefusedInPart(char16_t c) {
  return IsWhiteSpace(c) || IsControl(c) || std::u16string_view(u".\\/:*?\"<>|").find(c) !=
                                                std::u16string_view::npos;
}

}  // namespace

std::u16string IdentifierPart(const std::u16string& name) {
  std::u16string part;
  for (const char16_t c : name) {
    if (part.size() == kLongestPart) break;
    if (!RefusedInPart(c)) part.push_back(c);
  }
  return part;
}

std::string MakePackageIdentifier(const std::u16string& companyName,
                                  const std::u16string& appName) {
  const std::u16string company = IdentifierPart(companyName);
  const std::u16string app = IdentifierPart(appName);
  if (company.empty() || app.empty()) return "";
  return EncodeUtf8(company + u"." + app);
}

}  // namespace packer
