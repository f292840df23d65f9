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

// The file name of |path|: what follows its last separator of either kind.
std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string WithoutExtension(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

}  // namespace

InstallerLabel MakeInstallerLabel(const std::vector<ConfigValue>& values,
                                  const std::string& productName, const std::string& version,
                                  const InstallerFile& file) {
  const std::u16string companyName = TextOf(values, ConfigElement::kCompanyName);
  const std::u16string projectName = TextOf(values, ConfigElement::kProjectName);
  InstallerLabel label;
  label.companyName = companyName.empty() ? kDefaultCompanyName : companyName;
  label.productName = projectName.empty() ? DecodeCodePage1252(productName) : projectName;
  label.fileDescription = label.productName + u" Setup";
  label.versionText = DecodeCodePage1252(version);
  label.numbers = ReadVersionNumbers(version);
  const std::string fileName = FileNameOf(file.path);
  label.originalFilename = DecodeCodePage1252(fileName);
  label.internalName = DecodeCodePage1252(WithoutExtension(fileName));
  label.legalCopyright = file.copyright.empty() ? u"Copyright (C) " + label.companyName
                                                : DecodeCodePage1252(file.copyright);
  return label;
}

std::string BuildInstallerVersionResource(const PackRequest& request, const InstallerFile& file,
                                          std::vector<uint8_t>* resource) {
  std::vector<uint8_t> config;
  std::string reason = ReadWholeFile(request.configPath, UINT32_MAX, &config);
  if (!reason.empty()) return "configuration: " + reason;
  std::vector<ConfigValue> values;
  reason = ReadConfigValues(std::string(config.begin(), config.end()), &values);
  if (!reason.empty()) return reason;
  const InstallerLabel label = MakeInstallerLabel(values, request.productName, request.version, file);
  std::vector<uint8_t> built = BuildVersionResource(label);
  if (built.empty()) {
    return "the company name, project name, version, file name and copyright are too long for "
           "the installer's version resource (64 KiB)";
  }
  *resource = std::move(built);
  return "";
}

}  // namespace packer
