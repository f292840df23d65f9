#include "IntuneApp.h"

#include <iterator>
#include <string_view>

#include "package/codec/UninstallEntry.h"

namespace packer {
namespace {

const char kVersionValue[] = "DisplayVersion";
const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::string_view kSoftware = "Software\\";  // how kUninstallEntriesKey starts

// How Intune classifies the installer's exit codes.
const struct {
  int code;
  const char* type;
} kReturnCodes[] = {
    {0, "success"},
    {1, "failed"},     // no folder could take the log; nothing was done
    {1602, "failed"},  // cancelled, or the elevation prompt declined: SYSTEM never sees one
    {1603, "failed"},  // the log names the cause; the run was taken back
    {1618, "retry"},   // another installation of the product runs
    {1639, "failed"},  // a wizard without an interactive desktop
};

std::string Member(const std::string& indent, const std::string& key, const std::string& value) {
  return indent + JsonQuoted(key) + ": " + value;
}

std::string ReturnCodesJson() {
  std::string text = "[\n";
  for (size_t i = 0; i < std::size(kReturnCodes); ++i) {
    text += "    {\"returnCode\": " + std::to_string(kReturnCodes[i].code) +
            ", \"type\": " + JsonQuoted(kReturnCodes[i].type) + "}" +
            (i + 1 < std::size(kReturnCodes) ? ",\n" : "\n");
  }
  return text + "  ]";
}

std::string DetectionRuleJson(const DeploymentFacts& facts) {
  const std::string indent = "      ";
  return "[\n    {\n" +
         Member(indent, "@odata.type", "\"#microsoft.graph.win32LobAppRegistryRule\"") + ",\n" +
         Member(indent, "ruleType", "\"detection\"") + ",\n" +
         Member(indent, "check32BitOn64System", "true") + ",\n" +
         Member(indent, "keyPath", JsonQuoted(DetectionKeyPath(facts))) + ",\n" +
         Member(indent, "valueName", JsonQuoted(kVersionValue)) + ",\n" +
         Member(indent, "operationType", "\"string\"") + ",\n" +
         Member(indent, "operator", "\"equal\"") + ",\n" +
         Member(indent, "comparisonValue", JsonQuoted(facts.version)) + "\n    }\n  ]";
}

// |text| as a PowerShell single-quoted string: its quotes doubled.
std::string PowerShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace

std::string JsonQuoted(const std::string& text) { return QuotedWithEscapes(text, "\\u%04X"); }

std::string DetectionKeyPath(const DeploymentFacts& facts) {
  return std::string("HKEY_LOCAL_MACHINE\\") + payload::kUninstallEntriesKey + "\\" +
         facts.uninstallEntryName;
}

ManifestFile IntuneAppFile(const DeploymentFacts& facts) {
  const std::string indent = "  ";
  const std::string text =
      "{\n" + Member(indent, "@odata.type", "\"#microsoft.graph.win32LobApp\"") + ",\n" +
      Member(indent, "displayName", JsonQuoted(facts.appName)) + ",\n" +
      Member(indent, "description", JsonQuoted(facts.projectName)) + ",\n" +
      Member(indent, "publisher", JsonQuoted(facts.publisher)) + ",\n" +
      Member(indent, "displayVersion", JsonQuoted(facts.version)) + ",\n" +
      Member(indent, "fileName", JsonQuoted(facts.installerFileName)) + ",\n" +
      Member(indent, "setupFilePath", JsonQuoted(facts.installerFileName)) + ",\n" +
      Member(indent, "installCommandLine",
             JsonQuoted(SilentInstallCommand(facts, kDefaultInstallFolder))) + ",\n" +
      Member(indent, "uninstallCommandLine",
             JsonQuoted(QuietUninstallCommand(facts, kDefaultInstallFolder))) + ",\n" +
      Member(indent, "applicableArchitectures", "\"x86,x64\"") + ",\n" +
      Member(indent, "installExperience",
             "{\"runAsAccount\": \"system\", \"deviceRestartBehavior\": \"suppress\"}") + ",\n" +
      Member(indent, "returnCodes", ReturnCodesJson()) + ",\n" +
      Member(indent, "rules", DetectionRuleJson(facts)) + "\n}\n";
  return {facts.packageIdentifier + ".intune.json", text};
}

ManifestFile DetectionScriptFile(const DeploymentFacts& facts) {
  // Below HKLM\SOFTWARE in either view: Microsoft\Windows\CurrentVersion\Uninstall\<entry>.
  const std::string below = std::string(payload::kUninstallEntriesKey).substr(kSoftware.size()) +
                            "\\" + facts.uninstallEntryName;
  const std::string text =
      std::string(kUtf8ByteOrderMark) +
      "# Intune detection of " + facts.appName + " " + facts.version + ": output and exit code 0\n"
      "# when the Uninstall entry's DisplayVersion equals the version. The 32-bit installer\n"
      "# writes the entry into the 32-bit view (WOW6432Node on 64-bit Windows); the other view\n"
      "# is read as well, for 32-bit Windows and a 32-bit PowerShell.\n"
      "$version = " + PowerShellQuoted(facts.version) + "\n"
      "$keys = @(" + PowerShellQuoted("HKLM:\\SOFTWARE\\WOW6432Node\\" + below) + ",\n"
      "          " + PowerShellQuoted("HKLM:\\SOFTWARE\\" + below) + ")\n"
      "foreach ($key in $keys) {\n"
      "  $found = Get-ItemProperty -LiteralPath $key -Name " + kVersionValue +
      " -ErrorAction SilentlyContinue\n"
      "  if ($found -and $found." + kVersionValue + " -eq $version) {\n"
      "    Write-Output \"Detected $version in $key\"\n"
      "    exit 0\n"
      "  }\n"
      "}\n"
      "exit 1\n";
  return {facts.packageIdentifier + ".detect.ps1", text};
}

}  // namespace packer
