#include "InstallerLabel.h"

#include <algorithm>

#include "CodePage1252.h"
#include "FileSystem.h"

namespace packer {
namespace {

// The company the installer assumes when the configuration names none.
const char16_t kDefaultCompanyName[] = u"QVX";

// The text of |element|, or "" when the configuration has none.
std::u16string TextOf(const std::vector<ConfigValue>& values, ConfigElement element) {
  const auto found = std::find_if(values.begin(), values.end(),
                                  [element](const ConfigValue& v) { return v.element == element; });
  return found == values.end() ? std::u16string() : found->text;
}

}  // namespace

InstallerLabel MakeInstallerLabel(const std::vector<ConfigValue>& values,
                                  const std::string& productName, const std::string& version) {
  const std::u16string companyName = TextOf(values, ConfigElement::kCompanyName);
  const std::u16string projectName = TextOf(values, ConfigElement::kProjectName);
  InstallerLabel label;
  label.companyName = companyName.empty() ? kDefaultCompanyName : companyName;
  label.productName = projectName.empty() ? DecodeCodePage1252(productName) : projectName;
  label.fileDescription = label.productName + u" Setup";
  label.versionText = DecodeCodePage1252(version);
  label.numbers = ReadVersionNumbers(version);
  return label;
}

std::string BuildInstallerVersionResource(const PackRequest& request,
                                          std::vector<uint8_t>* resource) {
  std::vector<uint8_t> config;
  std::string reason = ReadWholeFile(request.configPath, UINT32_MAX, &config);
  if (!reason.empty()) return "configuration: " + reason;
  std::vector<ConfigValue> values;
  reason = ReadConfigValues(std::string(config.begin(), config.end()), &values);
  if (!reason.empty()) return reason;
  const InstallerLabel label = MakeInstallerLabel(values, request.productName, request.version);
  std::vector<uint8_t> built = BuildVersionResource(label);
  if (built.empty()) {
    return "the company name, project name and version are too long for the installer's "
           "version resource (64 KiB)";
  }
  *resource = std::move(built);
  return "";
}

}  // namespace packer
