#include "PeImage.h"

#include "ByteAccess.h"

namespace packer {
namespace {

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// The optional header's fields that differ between PE32 and PE32+ come after the first 24 bytes;
// the directories follow the count field.
size_t DirectoryCountField(bool pe32Plus) { return pe32Plus ? 108 : 92; }

std::string ReadSections(const std::vector<uint8_t>& image, uint32_t count, PeLayout* layout) {
  for (uint32_t i = 0; i < count; ++i) {
    PeSection section;
    section.headerOffset = layout->sectionTableOffset + i * kSectionHeaderSize;
    if (section.headerOffset + kSectionHeaderSize > image.size()) {
      return "the section table runs past the end of the file";
    }
    for (size_t c = 0; c < 8 && image[section.headerOffset + c] != 0; ++c) {
      section.name.push_back(static_cast<char>(image[section.headerOffset + c]));
    }
    ReadLittleEndian(image, section.headerOffset + 8, 4, &section.virtualSize);
    ReadLittleEndian(image, section.headerOffset + 12, 4, &section.virtualAddress);
    ReadLittleEndian(image, section.headerOffset + 16, 4, &section.rawSize);
    ReadLittleEndian(image, section.headerOffset + 20, 4, &section.rawOffset);
    if (uint64_t{section.rawOffset} + section.rawSize > image.size()) {
      return "the data of section \"" + section.name + "\" runs past the end of the file";
    }
    layout->sections.push_back(section);
  }
  return "";
}

}  // namespace

std::string ReadPeLayout(const std::vector<uint8_t>& image, PeLayout* layout) {
  PeLayout read;
  uint32_t mz = 0, peOffset = 0, pe = 0, sectionCount = 0, optionalSize = 0, magic = 0;
  if (!ReadLittleEndian(image, 0, 2, &mz) || mz != 0x5A4D ||
      !ReadLittleEndian(image, 0x3C, 4, &peOffset) || !ReadLittleEndian(image, peOffset, 4, &pe) ||
      pe != kPeSignature) {
    return "it is no Windows program (no MZ or PE signature)";
  }
  read.fileHeaderOffset = size_t{peOffset} + 4;
  read.optionalHeaderOffset = read.fileHeaderOffset + kFileHeaderSize;
  if (!ReadLittleEndian(image, read.fileHeaderOffset + 2, 2, &sectionCount) ||
      !ReadLittleEndian(image, read.fileHeaderOffset + 16, 2, &optionalSize) ||
      !ReadLittleEndian(image, read.optionalHeaderOffset, 2, &magic) ||
      (magic != kPe32 && magic != kPe32Plus)) {
    return "its optional header is missing or of an unknown kind";
  }
  read.pe32Plus = magic == kPe32Plus;
  const size_t countField = DirectoryCountField(read.pe32Plus);
  if (optionalSize < countField + 4 ||
      !ReadLittleEndian(image, read.optionalHeaderOffset + 32, 4, &read.sectionAlignment) ||
      !ReadLittleEndian(image, read.optionalHeaderOffset + 36, 4, &read.fileAlignment) ||
      !ReadLittleEndian(image, read.optionalHeaderOffset + 60, 4, &read.sizeOfHeaders) ||
      !ReadLittleEndian(image, read.optionalHeaderOffset + countField, 4, &read.directoryCount)) {
    return "its optional header is cut short";
  }
  if (!IsPowerOfTwo(read.sectionAlignment) || !IsPowerOfTwo(read.fileAlignment)) {
    return "its section or file alignment is no power of two";
  }
  // Only the directories the optional header has room for count.
  const uint32_t room = static_cast<uint32_t>((optionalSize - countField - 4) / 8);
  if (read.directoryCount > room) read.directoryCount = room;
  read.sectionTableOffset = read.optionalHeaderOffset + optionalSize;
  const std::string reason = ReadSections(image, sectionCount, &read);
  if (!reason.empty()) return reason;
  *layout = std::move(read);
  return "";
}

size_t DirectoryEntryOffset(const PeLayout& layout, uint32_t index) {
  if (index >= layout.directoryCount) return 0;
  return layout.optionalHeaderOffset + DirectoryCountField(layout.pe32Plus) + 4 + index * 8;
}

PeDirectory ReadDirectory(const std::vector<uint8_t>& image, const PeLayout& layout,
                          uint32_t index) {
  PeDirectory directory;
  const size_t entry = DirectoryEntryOffset(layout, index);
  if (entry == 0) return directory;
  ReadLittleEndian(image, entry, 4, &directory.address);
  ReadLittleEndian(image, entry + 4, 4, &directory.size);
  return directory;
}

bool RvaToFileOffset(const PeLayout& layout, uint32_t rva, uint32_t size, size_t* offset) {
  for (const PeSection& section : layout.sections) {
    if (rva < section.virtualAddress) continue;
    const uint64_t within = rva - section.virtualAddress;
    if (within + size > section.rawSize) continue;
    *offset = section.rawOffset + within;
    return true;
  }
  return false;
}

}  // namespace packer
