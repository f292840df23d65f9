// What a finished installer says about itself in its version resource: who makes the product,
// its display name and its version, taken from the package being packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ConfigReader.h"
#include "PackStep.h"
#include "VersionResource.h"

namespace packer {

// What the label says about the installer file itself.
struct InstallerFile {
  std::string path;       // the finished installer; only its file name counts
  std::string copyright;  // --copyright; empty: "Copyright (C) <companyName>"
};

// The label of a package whose appConfig holds |values| (ReadConfigValues), packed with --name
// |productName| and --version |version| into |file|: CompanyName the configured companyName (the
// installer's default "QVX" when there is none), ProductName the configured projectName (by
// default |productName|, as the installer has it), FileDescription "<projectName> Setup", both
// version strings |version| and the numbers ReadVersionNumbers finds in it, OriginalFilename the
// file's name (after the last '/' or '\'), InternalName that name without its extension,
// LegalCopyright the given copyright or "Copyright (C) <companyName>", Comments empty. The names,
// the version and the copyright are read in code page 1252, as the configuration is.
InstallerLabel MakeInstallerLabel(const std::vector<ConfigValue>& values,
                                  const std::string& productName, const std::string& version,
                                  const InstallerFile& file);

// The version resource for |request| packed into |file|: its configuration file is read and
// labelled as above. Answers "" and fills |resource|, or the reason (a configuration file that
// cannot be read, or whose text ReadConfigValues cannot judge, names too long for a version
// resource).
std::string BuildInstallerVersionResource(const PackRequest& request, const InstallerFile& file,
                                          std::vector<uint8_t>* resource);

}  // namespace packer
