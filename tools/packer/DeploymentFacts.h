// What the deployment manifests of a finished installer say: the product as its Uninstall entry
// names it, the installer file, and the command lines that install and remove it unattended.
#pragma once

#include <optional>
#include <string>

#include "DeploymentWarnings.h"
#include "ProductNames.h"

namespace packer {

// The folder the manifests install into (-d) when the deployment names none: the README's
// deployment example, the 32-bit program folder of 64-bit Windows.
extern const char kDefaultInstallFolder[];  // "C:\Program Files (x86)"

// The InstallerUrl written when --installer-url is not given: valid for the schema, and plainly
// a value to be replaced (the .invalid domain never resolves).
extern const char kPlaceholderInstallerUrl[];

// Every text in UTF-8.
struct DeploymentFacts {
  std::string packageIdentifier;   // MakePackageIdentifier of companyName and appName
  std::string publisher;           // companyName: the entry's Publisher
  std::string appName;             // the entry's DisplayName
  std::string projectName;         // the name the installer shows
  std::string version;             // the entry's DisplayVersion
  std::string uninstallEntryName;  // the entry's key name, "<appName>_new"
  std::string installerFileName;   // the finished installer's file name
  std::string installerSha256;     // of the finished installer, upper-case hex
  std::string installerUrl;        // --installer-url, or kPlaceholderInstallerUrl
  std::string license;             // --license
  UninstallProgram uninstallProgram;
};

struct DeploymentInputs {
  ProductNames names;
  std::string version;  // code page 1252, as packed
  std::optional<UninstallProgram> uninstallProgram;
  std::string outputPath;    // the finished installer
  std::string installerUrl;  // may be empty
  std::string license;
};

// The facts of |inputs| (the hash left empty: the installer is hashed once written). Answers ""
// or why no manifests can be written: the package writes no Uninstall entry (no deployment tool
// could detect it), the names leave no package identifier, or a name is shorter or longer than
// the manifest schema allows.
std::string GatherDeploymentFacts(const DeploymentInputs& inputs, DeploymentFacts* facts);

// The command line that installs the product unattended into |folder| (no trailing backslash)
// with its log in <Windows temporary folder>\<companyName>, as the README's deployment example:
// NorvaneSetup.exe "-dC:\Program Files (x86)" "-lC:\Windows\Temp\QVX"
std::string SilentInstallCommand(const DeploymentFacts& facts, const std::string& folder);

// The QuietUninstallString the installer writes for an installation into |folder| (no trailing
// backslash): the uninstall program in quotes, then its five quoted arguments, the last "TRUE":
// "C:\Program Files (x86)\QVX\unwindle.exe" "C:\Program Files (x86)" "AppInfo.xml" "QVX" "Norvane" "TRUE"
std::string QuietUninstallCommand(const DeploymentFacts& facts, const std::string& folder);

}  // namespace packer
