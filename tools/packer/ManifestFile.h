// One file of a finished installer's deployment manifests, and how they are written.
#pragma once

#include <string>
#include <vector>

namespace packer {

struct ManifestFile {
  std::string name;  // the file name inside the manifests folder
  std::string text;  // its whole content
};

// |text| between double quotes with quotes and backslashes escaped by a backslash and every
// control character (below 0x20, and 0x7F) written with |controlFormat|, a printf format for
// its code ("\\x%02X" for YAML, "\\u%04X" for JSON); everything else, UTF-8 included, as it is.
std::string QuotedWithEscapes(const std::string& text, const char* controlFormat);

// Writes every file of |files| into the folder |dir|, which is created when missing. Answers ""
// or the reason, naming the file.
std::string WriteManifestFiles(const std::string& dir, const std::vector<ManifestFile>& files);

}  // namespace packer
