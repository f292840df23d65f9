// The packing tool's command line.
#pragma once

#include <string>
#include <vector>

namespace packer {

struct PackerOptions {
  bool help = false;
  bool strict = false;  // a warning fails the packing
  std::string name;
  std::string version;
  std::string configPath;
  std::string productDir;
  std::string listPath;
  std::string payloadPath;    // where to write the payload file; may be empty with --output
  std::string installerPath;  // Setup.exe to copy
  std::string outputPath;     // the finished installer
  std::string copyright;      // LegalCopyright of the finished installer; may be empty
  std::string manifestsDir;   // where to write the deployment manifests; may be empty
  std::string installerUrl;   // the manifests' InstallerUrl; may be empty
  std::string license;        // the manifests' License; "Proprietary" when not given
};

// The License the manifests name when --license is not given.
extern const char kDefaultLicense[];

// Parses the arguments after the program name. Options take their value as the next argument or
// after '=' ("--name Norvane", "--name=Norvane"); --strict takes none. Answers "" or the reason; with --help the
// other options are not checked.
std::string ParsePackerOptions(const std::vector<std::string>& args, PackerOptions* options);

// The text printed by --help; |win32Build| adds what holds for the 32-bit build only.
std::string PackerHelpText(bool win32Build);

}  // namespace packer
