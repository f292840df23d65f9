#include "DeploymentFacts.h"

#include "CodePage1252.h"
#include "PackageIdentifier.h"
#include "Utf8Text.h"
#include "package/codec/UninstallEntry.h"
#include "support/CommandLineQuoting.h"

namespace packer {

const char kDefaultInstallFolder[] = "C:\\Program Files (x86)";
const char kPlaceholderInstallerUrl[] = "https://fill-in-the-installer-url.invalid/";

namespace {

// A manifest field and the lengths the winget schema allows it.
struct FieldLimit {
  const char* field;
  const std::string* text;
  size_t shortest;
  size_t longest;
};

std::string CheckLengths(const DeploymentFacts& facts) {
  const FieldLimit limits[] = {
      {"Publisher (the companyName)", &facts.publisher, 2, 256},
      {"PackageName (the appName)", &facts.appName, 2, 256},
      {"ShortDescription (the projectName)", &facts.projectName, 3, 256},
      {"PackageVersion (the version)", &facts.version, 1, 128},
      {"ProductCode (the Uninstall entry's name)", &facts.uninstallEntryName, 1, 255},
      {"License (--license)", &facts.license, 3, 512},
  };
  for (const FieldLimit& limit : limits) {
    const size_t length = CountUtf8Characters(*limit.text);
    if (length < limit.shortest || length > limit.longest) {
      return "the winget manifest's " + std::string(limit.field) + " \"" + *limit.text +
             "\" must have " + std::to_string(limit.shortest) + " to " +
             std::to_string(limit.longest) + " characters";
    }
  }
  return "";
}

std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// The folder of |program| below the company folder, with its trailing backslash.
std::string FolderBelowCompany(const DeploymentFacts& facts) {
  switch (facts.uninstallProgram.folder) {
    case UninstallProgram::Folder::kCompany: return "";
    case UninstallProgram::Folder::kApplication: return facts.appName + "\\";
    case UninstallProgram::Folder::kVersion: break;
  }
  return facts.appName + "\\" + facts.appName + facts.version + "\\";
}

}  // namespace

std::string GatherDeploymentFacts(const DeploymentInputs& inputs, DeploymentFacts* facts) {
  if (!inputs.uninstallProgram) {
    return "--manifests: the package writes no Uninstall entry, so no deployment tool could "
           "detect the product; nothing was written";
  }
  DeploymentFacts gathered;
  gathered.packageIdentifier = MakePackageIdentifier(inputs.names.companyName, inputs.names.appName);
  gathered.publisher = EncodeUtf8(inputs.names.companyName);
  gathered.appName = EncodeUtf8(inputs.names.appName);
  gathered.projectName = EncodeUtf8(inputs.names.projectName);
  gathered.version = EncodeUtf8(DecodeCodePage1252(inputs.version));
  gathered.uninstallEntryName = payload::UninstallEntryName(gathered.appName);
  gathered.installerFileName = EncodeUtf8(DecodeCodePage1252(FileNameOf(inputs.outputPath)));
  gathered.installerUrl =
      inputs.installerUrl.empty() ? kPlaceholderInstallerUrl + gathered.installerFileName
                                  : inputs.installerUrl;
  gathered.license = inputs.license;
  gathered.uninstallProgram = *inputs.uninstallProgram;
  gathered.uninstallProgram.path =
      EncodeUtf8(DecodeCodePage1252(inputs.uninstallProgram->path));
  if (gathered.packageIdentifier.empty()) {
    return "--manifests: the companyName \"" + gathered.publisher + "\" and appName \"" +
           gathered.appName + "\" leave no winget package identifier";
  }
  const std::string reason = CheckLengths(gathered);
  if (!reason.empty()) return "--manifests: " + reason;
  *facts = std::move(gathered);
  return "";
}

std::string SilentInstallCommand(const DeploymentFacts& facts, const std::string& folder) {
  const std::string& file = facts.installerFileName;
  const std::string program = file.find(' ') == std::string::npos ? file : "\"" + file + "\"";
  return program + " " + QuoteForCommandLine("-d" + folder) + " " +
         QuoteForCommandLine("-lC:\\Windows\\Temp\\" + facts.publisher);
}

std::string QuietUninstallCommand(const DeploymentFacts& facts, const std::string& folder) {
  // The installer's shortcut step forms this command (UninstallArguments and
  // UninstallCommandLine in Installer/engine/ShortcutPlan.cpp) and its Uninstall entry makes
  // the last argument "TRUE" (QuietUninstallCommand in Installer/engine/UninstallValues.cpp).
  // Its first argument is the company folder up to the company's name, which for a -d folder
  // without a trailing backslash is that folder.
  const std::string companyFolder = folder + "\\" + facts.publisher + "\\";
  const std::string program =
      companyFolder + FolderBelowCompany(facts) + facts.uninstallProgram.path;
  return "\"" + program + "\" " + QuoteForCommandLine(folder) + " " +
         QuoteForCommandLine("AppInfo.xml") + " " + QuoteForCommandLine(facts.publisher) + " " +
         QuoteForCommandLine(facts.appName) + " " + QuoteForCommandLine("TRUE");
}

}  // namespace packer
