// The winget multi-file manifest (format 1.6.0) of a finished installer: the version manifest
// "<id>.yaml", the installer manifest "<id>.installer.yaml" and the default locale manifest
// "<id>.locale.en-US.yaml", as winget names them. The installer manifest describes an exe that
// installs for the machine (-d makes the run unattended; the last -d counts, so the install
// location winget appends overrides the default folder), names it by its SHA-256, and finds the
// installed product by its Uninstall entry.
#pragma once

#include <string>
#include <vector>

#include "DeploymentFacts.h"
#include "ManifestFile.h"

namespace packer {

// |text| as a YAML double-quoted scalar: quotes and backslashes escaped, control characters
// written as \xNN (QuotedWithEscapes).
std::string YamlQuoted(const std::string& text);

// The three manifests, in the order above.
std::vector<ManifestFile> WingetManifestFiles(const DeploymentFacts& facts);

}  // namespace packer
