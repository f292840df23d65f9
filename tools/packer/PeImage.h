// The layout of a PE program file as far as the packing tool rewrites it: where its headers
// lie, its sections, and its data directories (resources and the certificate table).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packer {

struct PeSection {
  size_t headerOffset = 0;  // where its 40-byte entry of the section table lies in the file
  std::string name;         // up to 8 characters
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

struct PeDirectory {
  uint32_t address = 0;  // an RVA, except for the certificate table (a file offset)
  uint32_t size = 0;
};

struct PeLayout {
  size_t fileHeaderOffset = 0;      // the COFF file header, after "PE\0\0"
  size_t optionalHeaderOffset = 0;
  bool pe32Plus = false;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t directoryCount = 0;
  size_t sectionTableOffset = 0;
  std::vector<PeSection> sections;  // in the order of the section table
};

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr size_t kFileHeaderSize = 20;

// The optional header's fields the rewriter changes, as offsets from its start; the same in
// PE32 and PE32+.
constexpr size_t kSizeOfInitializedDataField = 8;
constexpr size_t kSizeOfImageField = 56;
constexpr size_t kCheckSumField = 64;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;

// Reads the headers and the section table of |image|. Answers "" and fills |layout|, or why it
// is no PE program the packing tool can rewrite (too short, no MZ or PE signature, an unknown
// optional header, alignments that are no powers of two, a section table or a section's data
// beyond the file).
std::string ReadPeLayout(const std::vector<uint8_t>& image, PeLayout* layout);

// The offset of data directory |index|'s entry in |image| (8 bytes: address and size), or 0
// when the optional header has no such directory.
size_t DirectoryEntryOffset(const PeLayout& layout, uint32_t index);

// Data directory |index|; zeros when the optional header has none.
PeDirectory ReadDirectory(const std::vector<uint8_t>& image, const PeLayout& layout,
                          uint32_t index);

// The file offset of |size| bytes at |rva|, when they lie within the raw data of one section;
// false otherwise.
bool RvaToFileOffset(const PeLayout& layout, uint32_t rva, uint32_t size, size_t* offset);

}  // namespace packer
