#include "WingetManifests.h"

#include "support/CommandLineQuoting.h"

namespace packer {
namespace {

const char kManifestVersion[] = "1.6.0";
const char kDefaultLocale[] = "en-US";

// The installer's exit codes that winget has a response for. 1603 (failed, the log names the
// cause) and 1 (no log folder) have none: any exit code other than 0 fails the installation.
const struct {
  int code;
  const char* response;
} kReturnResponses[] = {
    {1602, "cancelledByUser"},    // cancelled, or the elevation prompt declined
    {1618, "installInProgress"},  // another installation of the product runs
    {1639, "invalidParameter"},   // the wizard asked for where nobody can answer it
};

std::string Line(const std::string& key, const std::string& value) {
  return key + ": " + YamlQuoted(value) + "\n";
}

// The lines every manifest starts with.
std::string Head(const DeploymentFacts& facts) {
  return "# Written by the packing tool with the installer it describes.\n" + Line("PackageIdentifier", facts.packageIdentifier) +
         Line("PackageVersion", facts.version);
}

std::string Tail(const char* manifestType) {
  return std::string("ManifestType: ") + manifestType + "\nManifestVersion: " + kManifestVersion +
         "\n";
}

std::string VersionManifest(const DeploymentFacts& facts) {
  return Head(facts) + Line("DefaultLocale", kDefaultLocale) + Tail("version");
}

std::string Switches() {
  // -d alone makes the run unattended, so both silent modes install into the default folder;
  // winget appends the install location after them. Its log path names a file ending in .log,
  // which the installer writes its log to.
  const std::string silent = QuoteForCommandLine(std::string("-d") + kDefaultInstallFolder);
  return "InstallerSwitches:\n  " + Line("Silent", silent) + "  " +
         Line("SilentWithProgress", silent) + "  " +
         Line("InstallLocation", QuoteForCommandLine("-d<INSTALLPATH>")) + "  " +
         Line("Log", QuoteForCommandLine("-l<LOGPATH>"));
}

std::string ReturnCodes() {
  std::string text = "ExpectedReturnCodes:\n";
  for (const auto& code : kReturnResponses) {
    text += "- InstallerReturnCode: " + std::to_string(code.code) +
            "\n  ReturnResponse: " + code.response + "\n";
  }
  return text;
}

std::string InstallerManifest(const DeploymentFacts& facts) {
  return Head(facts) +
         "InstallerType: exe\n"
         "Scope: machine\n"
         "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n"
         // Started without administrator rights, it relaunches itself elevated.
         "ElevationRequirement: elevatesSelf\n"
         // A newer package installs over the older one and rewrites the Uninstall entry.
         "UpgradeBehavior: install\n" +
         Switches() + ReturnCodes() +
         "Installers:\n"
         "- Architecture: x86\n"
         "  " + Line("InstallerUrl", facts.installerUrl) +
         "  " + Line("InstallerSha256", facts.installerSha256) +
         "  AppsAndFeaturesEntries:\n"
         "  - " + Line("DisplayName", facts.appName) +
         "    " + Line("Publisher", facts.publisher) +
         "    " + Line("DisplayVersion", facts.version) +
         "    " + Line("ProductCode", facts.uninstallEntryName) + Tail("installer");
}

std::string LocaleManifest(const DeploymentFacts& facts) {
  return Head(facts) + Line("PackageLocale", kDefaultLocale) + Line("Publisher", facts.publisher) +
         Line("PackageName", facts.appName) + Line("License", facts.license) +
         Line("ShortDescription", facts.projectName) + Tail("defaultLocale");
}

}  // namespace

std::string YamlQuoted(const std::string& text) { return QuotedWithEscapes(text, "\\x%02X"); }

std::vector<ManifestFile> WingetManifestFiles(const DeploymentFacts& facts) {
  const std::string& id = facts.packageIdentifier;
  return {{id + ".yaml", VersionManifest(facts)},
          {id + ".installer.yaml", InstallerManifest(facts)},
          {id + ".locale." + kDefaultLocale + ".yaml", LocaleManifest(facts)}};
}

}  // namespace packer
