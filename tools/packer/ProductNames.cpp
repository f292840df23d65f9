#include "ProductNames.h"

#include <algorithm>

#include "CodePage1252.h"

namespace packer {
namespace {

// What the installer assumes when the configuration names no company or application.
const char16_t kDefaultCompanyName[] = u"QVX";
const char16_t kDefaultAppName[] = u"Norvane";

// The text of |element|, or "" when the configuration has none.
std::u16string TextOf(const std::vector<ConfigValue>& values, ConfigElement element) {
  const auto found = std::find_if(values.begin(), values.end(),
                                  [element](const ConfigValue& v) { return v.element == element; });
  return found == values.end() ? std::u16string() : found->text;
}

std::u16string OrDefault(const std::u16string& text, const std::u16string& fallback) {
  return text.empty() ? fallback : text;
}

}  // namespace

ProductNames ReadProductNames(const std::vector<ConfigValue>& values,
                              const std::string& productName) {
  ProductNames names;
  names.companyName = OrDefault(TextOf(values, ConfigElement::kCompanyName), kDefaultCompanyName);
  names.appName = OrDefault(TextOf(values, ConfigElement::kAppName), kDefaultAppName);
  names.projectName = OrDefault(TextOf(values, ConfigElement::kProjectName),
                                DecodeCodePage1252(productName));
  return names;
}

}  // namespace packer
