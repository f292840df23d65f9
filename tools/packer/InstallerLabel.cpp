#include "InstallerLabel.h"

#include "CodePage1252.h"
#include "FileSystem.h"
#include "ProductNames.h"

namespace packer {
namespace {

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
  const ProductNames names = ReadProductNames(values, productName);
  InstallerLabel label;
  label.companyName = names.companyName;
  label.productName = names.projectName;
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
