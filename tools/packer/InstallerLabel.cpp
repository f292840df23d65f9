#include "InstallerLabel.h"

#include "AppConfigNames.h"
#include "CodePage1252.h"
#include "FileSystem.h"

namespace packer {
namespace {

// The company the installer assumes when the configuration names none.
const char16_t kDefaultCompanyName[] = u"QVX";

}  // namespace

InstallerLabel MakeInstallerLabel(const std::string& configText, const std::string& productName,
                                  const std::string& version) {
  const AppConfigNames names = ReadAppConfigNames(configText);
  InstallerLabel label;
  label.companyName = names.companyName.empty() ? kDefaultCompanyName : names.companyName;
  label.productName =
      names.projectName.empty() ? DecodeCodePage1252(productName) : names.projectName;
  label.fileDescription = label.productName + u" Setup";
  label.versionText = DecodeCodePage1252(version);
  label.numbers = ReadVersionNumbers(version);
  return label;
}

std::string BuildInstallerVersionResource(const PackRequest& request,
                                          std::vector<uint8_t>* resource) {
  std::vector<uint8_t> config;
  const std::string reason = ReadWholeFile(request.configPath, UINT32_MAX, &config);
  if (!reason.empty()) return "configuration: " + reason;
  const InstallerLabel label = MakeInstallerLabel(std::string(config.begin(), config.end()),
                                                  request.productName, request.version);
  std::vector<uint8_t> built = BuildVersionResource(label);
  if (built.empty()) {
    return "the company name, project name and version are too long for the installer's "
           "version resource (64 KiB)";
  }
  *resource = std::move(built);
  return "";
}

}  // namespace packer
