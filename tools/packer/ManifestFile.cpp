#include "ManifestFile.h"

#include <cstdio>

#include "FileSystem.h"

namespace packer {

std::string QuotedWithEscapes(const std::string& text, const char* controlFormat) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), controlFormat, byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string WriteManifestFiles(const std::string& dir, const std::vector<ManifestFile>& files) {
  std::string reason = MakeFolder(dir);
  if (!reason.empty()) return "--manifests: " + reason;
  for (const ManifestFile& file : files) {
    reason = WriteWholeFile(ChildPath(dir, file.name),
                            std::vector<uint8_t>(file.text.begin(), file.text.end()));
    if (!reason.empty()) return "--manifests: " + reason;
  }
  return "";
}

}  // namespace packer
