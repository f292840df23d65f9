// Builds a payload archive: product name, version, configuration text, then the files in the
// order they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace payload {

class ArchiveWriter {
 public:
  ArchiveWriter(std::string productName, std::string version, std::string configText);

  // Adds one file; the content is copied. Answers "" or the reason the entry is refused: a path
  // that CheckEntryPath refuses, a size over 0xFFFFFFFF, or an archive that would grow past
  // 0xFFFFFFFF bytes (the header's sizes are 32-bit). A refused entry leaves the writer unchanged.
  std::string AddFile(const std::string& relativePath, const uint8_t* content, size_t size);

  // "" when Finish() yields a sound archive, else the reason: a NUL inside the product name,
  // version or configuration text (the installer finds their ends by NUL search), or a version
  // that CheckVersionText refuses.
  std::string Problem() const;

  // The archive bytes. Sound only when Problem() is "".
  std::vector<uint8_t> Finish() const;

  uint32_t fileCount() const { return fileCount_; }
  // Length of the archive that Finish() would answer.
  uint64_t archiveSize() const;

 private:
  std::string productName_;
  std::string version_;
  std::string configText_;
  uint32_t fileCount_ = 0;
  std::vector<uint8_t> entries_;  // the encoded entries, in order
};

}  // namespace payload
