// What the packing tool warns about without refusing the package: a package that installs but
// that deployment tools (Intune, Configuration Manager, winget) cannot detect or compare.
#pragma once

#include <string>
#include <vector>

#include "ConfigReader.h"

namespace packer {

// Whether the installer writes the Uninstall entry <appName>_new for a configuration holding
// |values| and a package of the archive entries |entryPaths| (backslash separators). It does
// when a shortCut's link leads to the uninstall program: its name, in lower case (code page 1252
// letters), is not the main client Quorvin.exe, and its installed path holds "unwindle.exe" as
// written. That path is the program's folder followed by the lower-case name for a program that
// an exeInfo names (when the package carries a file of that name), else the version folder
// followed by the archive path of the package's first file of that name, in its own case.
bool WritesUninstallEntry(const std::vector<ConfigValue>& values,
                          const std::vector<std::string>& entryPaths);

// Whether |version| is decimal numbers separated by single dots ("1.6.0003.0000.0035"), which
// winget and the detection rules of Intune and Configuration Manager compare as numbers.
bool IsNumericVersion(const std::string& version);

// The warnings for a package: "no Uninstall entry will be written: deployment tools cannot
// detect the product" without WritesUninstallEntry, and one for a version IsNumericVersion
// refuses. Empty when there is nothing to say.
std::vector<std::string> FindDeploymentWarnings(const std::vector<ConfigValue>& values,
                                                const std::string& version,
                                                const std::vector<std::string>& entryPaths);

}  // namespace packer
