// The packing tool's command line.
#pragma once

#include <string>
#include <vector>

namespace packer {

struct PackerOptions {
  bool help = false;
  std::string name;
  std::string version;
  std::string configPath;
  std::string productDir;
  std::string listPath;
  std::string payloadPath;    // where to write the payload file; may be empty with --output
  std::string installerPath;  // Setup.exe to copy (Windows build only)
  std::string outputPath;     // the finished installer (Windows build only)
};

// Parses the arguments after the program name. Options take their value as the next argument or
// after '=' ("--name Norvane", "--name=Norvane"). |canAttach| says whether this build can replace
// the payload of an installer (--installer, --output). Answers "" or the reason; with --help the
// other options are not checked.
std::string ParsePackerOptions(const std::vector<std::string>& args, bool canAttach,
                               PackerOptions* options);

// The text printed by --help.
std::string PackerHelpText(bool canAttach);

}  // namespace packer
