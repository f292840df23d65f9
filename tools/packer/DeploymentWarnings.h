// What the packing tool warns about without refusing the package: a package that installs but
// that deployment tools (Intune, Configuration Manager, winget) cannot detect or compare.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ConfigReader.h"

namespace packer {

// Where the installer places the uninstall program that the Uninstall entry <appName>_new starts.
struct UninstallProgram {
  // The company folder, the application folder <appName> in it, or the version folder
  // <appName><version> in that.
  enum class Folder { kCompany, kApplication, kVersion };
  Folder folder = Folder::kVersion;
  std::string path;  // below |folder| (backslash separators): "unwindle.exe", "tools\unwindle.exe"
};

// The uninstall program of a configuration holding |values| and a package of the archive
// entries |entryPaths| (backslash separators), as the installer's shortcut step finds it; none
// when the installer writes no Uninstall entry. The last shortCut whose link leads to the
// uninstall program counts: its name, in lower case (code page 1252 letters), is not the main
// client Quorvin.exe, and its installed path holds "unwindle.exe" as written. A program that no
// exeInfo names lies in the version folder, below it as the package's first file of that name
// (in its own case). One that an exeInfo names (the first exeInfo of that name, in lower case)
// lies in the folder of that exeInfo's path ("root" the company folder, "mainApp" the
// application folder, else the version folder) for the package's first file of that name, and
// in the version folder for every further file of that name, the last one counting; below that
// folder it lies in the file's first folder, under the lower-case name.
std::optional<UninstallProgram> FindUninstallProgram(const std::vector<ConfigValue>& values,
                                                     const std::vector<std::string>& entryPaths);

// Whether the installer writes the Uninstall entry: whether FindUninstallProgram finds a program.
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
