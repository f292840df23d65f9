// The Intune Win32 app of a finished installer: "<id>.intune.json", shaped as Microsoft Graph's
// win32LobApp (install and uninstall command lines, return codes and a registry detection rule),
// and "<id>.detect.ps1", a detection script that finds the same Uninstall entry.
//
// The installer is a 32-bit program and opens HKLM without asking for another view, so on
// 64-bit Windows its Uninstall entry lies in the 32-bit view (SOFTWARE\WOW6432Node\...): the
// rule checks the 32-bit view on 64-bit systems, and the script looks in both views.
#pragma once

#include <string>

#include "DeploymentFacts.h"
#include "ManifestFile.h"

namespace packer {

// |text| as a JSON string: quotes and backslashes escaped, control characters as \uNNNN
// (QuotedWithEscapes).
std::string JsonQuoted(const std::string& text);

// The registry key of the product's Uninstall entry as Intune names it:
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<appName>_new
std::string DetectionKeyPath(const DeploymentFacts& facts);

// "<id>.intune.json": installs into kDefaultInstallFolder as SYSTEM, uninstalls with the
// QuietUninstallString of that installation, classifies the exit codes as Intune does (0 success,
// 1618 retry, 1, 1602, 1603 and 1639 failed), and detects the product when the entry's
// DisplayVersion equals the version.
ManifestFile IntuneAppFile(const DeploymentFacts& facts);

// "<id>.detect.ps1": Intune's script detection reads any output with exit code 0 as installed.
// The script writes one line and exits 0 when the entry's DisplayVersion equals the version in
// either registry view, else exits 1 without output. UTF-8 with a byte-order mark, so that
// Windows PowerShell reads names beyond ASCII as they are.
ManifestFile DetectionScriptFile(const DeploymentFacts& facts);

}  // namespace packer
