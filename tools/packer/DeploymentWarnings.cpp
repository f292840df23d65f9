#include "DeploymentWarnings.h"

#include <algorithm>

#include "CodePage1252.h"
#include "package/codec/NameCase.h"

namespace packer {
namespace {

const char kMainClient[] = "quorvin.exe";
const char kUninstallProgram[] = "unwindle.exe";

std::string FileNameOf(const std::string& entryPath) {
  const size_t separator = entryPath.rfind('\\');
  return separator == std::string::npos ? entryPath : entryPath.substr(separator + 1);
}

// The lower-case names of |element| in |values|, as the installer keeps them.
std::vector<std::string> LowerCaseNames(const std::vector<ConfigValue>& values,
                                        ConfigElement element) {
  std::vector<std::string> names;
  for (const ConfigValue& value : values) {
    if (value.element == element) {
      names.push_back(payload::FoldNameCase(EncodeCodePage1252(value.text)));
    }
  }
  return names;
}

// The installed path of the shortCut program |name| (lower case) below its folder, as far as it
// can hold the uninstall program's name; empty when the package does not carry the program.
std::string InstalledTail(const std::string& name, const std::vector<std::string>& exeNames,
                          const std::vector<std::string>& entryPaths) {
  const auto carried = std::find_if(entryPaths.begin(), entryPaths.end(), [&](const std::string& p) {
    return payload::FoldNameCase(FileNameOf(p)) == name;
  });
  if (carried == entryPaths.end()) return "";
  const bool listed = std::find(exeNames.begin(), exeNames.end(), name) != exeNames.end();
  return listed ? name : *carried;
}

}  // namespace

bool WritesUninstallEntry(const std::vector<ConfigValue>& values,
                          const std::vector<std::string>& entryPaths) {
  const std::vector<std::string> exeNames = LowerCaseNames(values, ConfigElement::kExeName);
  for (const std::string& name : LowerCaseNames(values, ConfigElement::kShortcutName)) {
    if (name == kMainClient) continue;
    if (InstalledTail(name, exeNames, entryPaths).find(kUninstallProgram) != std::string::npos) {
      return true;
    }
  }
  return false;
}

bool IsNumericVersion(const std::string& version) {
  bool digitBefore = false;
  for (const char c : version) {
    if (c >= '0' && c <= '9') {
      digitBefore = true;
    } else if (c == '.' && digitBefore) {
      digitBefore = false;
    } else {
      return false;
    }
  }
  return digitBefore;
}

std::vector<std::string> FindDeploymentWarnings(const std::vector<ConfigValue>& values,
                                                const std::string& version,
                                                const std::vector<std::string>& entryPaths) {
  std::vector<std::string> warnings;
  if (!WritesUninstallEntry(values, entryPaths)) {
    warnings.push_back(
        "no Uninstall entry will be written: deployment tools cannot detect the product");
  }
  if (!IsNumericVersion(version)) {
    warnings.push_back("the version \"" + version +
                       "\" is not numbers separated by dots: deployment tools cannot compare it "
                       "as numbers");
  }
  return warnings;
}

}  // namespace packer
