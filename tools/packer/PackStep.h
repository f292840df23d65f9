// Builds a payload (header and zlib stream) from a product folder and its configuration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DeploymentWarnings.h"
#include "ProductNames.h"

namespace packer {

struct PackRequest {
  std::string productName;
  std::string version;
  std::string configPath;  // the appConfig file, stored byte for byte (it may be empty)
  std::string productDir;
  std::string listPath;    // empty: every file below productDir, sorted by path
};

struct PackResult {
  std::vector<uint8_t> payload;
  uint32_t fileCount = 0;
  uint64_t archiveSize = 0;
  std::vector<std::string> warnings;  // FindDeploymentWarnings: the package packs all the same
  ProductNames names;                 // what the installer calls the product
  std::optional<UninstallProgram> uninstallProgram;  // none: the installer writes no Uninstall entry
};

// Reads the configuration and every product file, writes the archive and compresses it. Answers
// "" and fills |result|, or one sentence naming what is refused and why: a NUL in the name,
// version or configuration, an unsafe version or file path, a configuration value that the
// installer would refuse to join into a path or that cannot be judged (CheckConfigNames), two
// files that would land in one place on Windows, a missing or non-regular file, a file or archive
// over the 32-bit limits. What deployment tools would miss is no refusal: it is in the warnings.
std::string BuildPayload(const PackRequest& request, PackResult* result);

}  // namespace packer
