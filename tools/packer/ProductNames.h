// The names the installer gives a package's product: who makes it, the name of its folder and of
// its Uninstall entry, and the name it shows.
#pragma once

#include <string>
#include <vector>

#include "ConfigReader.h"

namespace packer {

struct ProductNames {
  std::u16string companyName;  // the configured companyName, by default "QVX"
  std::u16string appName;      // the configured appName, by default "Norvane"
  std::u16string projectName;  // the configured projectName, by default the package's name
};

// The names of a package whose appConfig holds |values| (ReadConfigValues), packed with --name
// |productName| (read in code page 1252), with the installer's defaults for the missing ones.
ProductNames ReadProductNames(const std::vector<ConfigValue>& values,
                              const std::string& productName);

}  // namespace packer
