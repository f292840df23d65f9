// The name of the product's Uninstall entry, shared by the installer, which writes the entry, and
// the packing tool, whose deployment manifests detect the product by it.
#pragma once

#include <string>
#include <string_view>

namespace payload {

// HKLM's key below which Windows keeps one sub-key for every installed program.
extern const char kUninstallEntriesKey[];  // "Software\Microsoft\Windows\CurrentVersion\Uninstall"

// The sub-key of the product |appName|: "<appName>_new" ("Norvane" gives "Norvane_new").
std::string UninstallEntryName(std::string_view appName);

}  // namespace payload
