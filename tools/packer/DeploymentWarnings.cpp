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

// The lower-case text of |value|, as the installer keeps program names.
std::string LowerCaseText(const ConfigValue& value) {
  return payload::FoldNameCase(EncodeCodePage1252(value.text));
}

// The path of the first exeInfo of the program |name| (lower case), "" when it has none; nothing
// when no exeInfo names the program.
std::optional<std::string> ExeInfoPath(const std::vector<ConfigValue>& values,
                                       const std::string& name) {
  for (const ConfigValue& value : values) {
    if (value.element != ConfigElement::kExeName || LowerCaseText(value) != name) continue;
    for (const ConfigValue& path : values) {
      if (path.element == ConfigElement::kExePath && path.entryNumber == value.entryNumber) {
        return EncodeCodePage1252(path.text);
      }
    }
    return std::string();
  }
  return std::nullopt;
}

UninstallProgram::Folder FolderOfPathWord(const std::string& pathWord) {
  if (pathWord == "root") return UninstallProgram::Folder::kCompany;
  if (pathWord == "mainApp") return UninstallProgram::Folder::kApplication;
  return UninstallProgram::Folder::kVersion;
}

// |entryPath| up to and including its first backslash; "" for a file at the top.
std::string FirstFolderOf(const std::string& entryPath) {
  const size_t separator = entryPath.find('\\');
  return separator == std::string::npos ? "" : entryPath.substr(0, separator + 1);
}

bool SamePlace(const UninstallProgram& left, const UninstallProgram& right) {
  return left.folder == right.folder &&
         payload::FoldNameCase(left.path) == payload::FoldNameCase(right.path);
}

// Where the link of the shortCut program |name| (lower case) starts it; nothing when the package
// does not carry it, or when the link would start a file that extraction did not write there.
std::optional<UninstallProgram> LinkTarget(const std::string& name,
                                           const std::vector<ConfigValue>& values,
                                           const std::vector<std::string>& entryPaths) {
  std::vector<UninstallProgram> placed;  // every file of that name, where extraction writes it
  for (const std::string& path : entryPaths) {
    if (payload::FoldNameCase(FileNameOf(path)) == name) {
      placed.push_back({UninstallProgram::Folder::kVersion, path});
    }
  }
  if (placed.empty()) return std::nullopt;
  const std::optional<std::string> pathWord = ExeInfoPath(values, name);
  if (!pathWord) return placed.front();
  // Extraction replaces the path word by the folder it wrote the first file to; a further file of
  // that name finds a folder there, which is no path word, and goes to the version folder.
  placed.front().folder = FolderOfPathWord(*pathWord);
  const UninstallProgram& last = placed.back();
  const UninstallProgram target = {last.folder, FirstFolderOf(last.path) + name};
  const bool written = std::any_of(placed.begin(), placed.end(),
                                   [&](const UninstallProgram& p) { return SamePlace(p, target); });
  if (!written) return std::nullopt;
  return target;
}

}  // namespace

std::optional<UninstallProgram> FindUninstallProgram(const std::vector<ConfigValue>& values,
                                                     const std::vector<std::string>& entryPaths) {
  std::optional<UninstallProgram> found;
  for (const ConfigValue& value : values) {
    if (value.element != ConfigElement::kShortcutName) continue;
    const std::string name = LowerCaseText(value);
    if (name == kMainClient) continue;
    const std::optional<UninstallProgram> target = LinkTarget(name, values, entryPaths);
    if (target && target->path.find(kUninstallProgram) != std::string::npos) found = target;
  }
  return found;
}

bool WritesUninstallEntry(const std::vector<ConfigValue>& values,
                          const std::vector<std::string>& entryPaths) {
  return FindUninstallProgram(values, entryPaths).has_value();
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
