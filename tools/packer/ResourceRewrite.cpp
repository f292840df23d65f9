#include "ResourceRewrite.h"

#include <algorithm>

#include "ByteAccess.h"
#include "ImageChecksum.h"

namespace packer {
namespace {

constexpr uint32_t kResourceCharacteristics = 0x40000040;  // initialized data, readable
constexpr size_t kCharacteristicsField = 36;                // in a section header
// The new section's name, and the old one's when it stays: tools that look for the resources
// by the section's name then find the new ones.
constexpr char kResourceSectionName[9] = ".rsrc\0\0\0";
constexpr char kReplacedSectionName[9] = ".rsrcold";
constexpr size_t kSymbolTableField = 8;  // in the COFF file header
constexpr size_t kSymbolCountField = 12;
constexpr size_t kSectionCountField = 2;

std::vector<ResourceEntry> ChangedEntries(std::vector<ResourceEntry> entries,
                                          const ResourceChanges& changes) {
  const auto removed = [&](const ResourceEntry& entry) {
    if (entry.type.IsText()) return false;
    return std::find(changes.removedTypes.begin(), changes.removedTypes.end(), entry.type.id) !=
           changes.removedTypes.end();
  };
  entries.erase(std::remove_if(entries.begin(), entries.end(), removed), entries.end());
  for (const ResourceEntry& added : changes.added) {
    const auto same = std::find_if(entries.begin(), entries.end(), [&](const ResourceEntry& e) {
      return e.type == added.type && e.name == added.name && e.language == added.language;
    });
    if (same != entries.end()) {
      *same = added;
    } else {
      entries.push_back(added);
    }
  }
  return entries;
}

// The section that ends last in memory and in the file, if the resource directory starts it.
const PeSection* ReusableResourceSection(const PeLayout& layout, const PeDirectory& resources) {
  if (layout.sections.empty() || resources.address == 0) return nullptr;
  const PeSection& last = layout.sections.back();
  for (const PeSection& section : layout.sections) {
    if (section.virtualAddress > last.virtualAddress || section.rawOffset > last.rawOffset) {
      return nullptr;
    }
  }
  return last.virtualAddress == resources.address ? &last : nullptr;
}

// The end of every section in memory and in the file, |except| one.
void SectionEnds(const PeLayout& layout, const PeSection* except, uint32_t* memoryEnd,
                 uint32_t* fileEnd) {
  *memoryEnd = layout.sizeOfHeaders;
  *fileEnd = layout.sizeOfHeaders;
  for (const PeSection& section : layout.sections) {
    if (&section == except) continue;
    *memoryEnd = std::max(*memoryEnd, section.virtualAddress +
                                          std::max(section.virtualSize, section.rawSize));
    *fileEnd = std::max(*fileEnd, section.rawOffset + section.rawSize);
  }
}

void WriteSectionName(std::vector<uint8_t>* image, size_t header, const char (&name)[9]) {
  std::copy(name, name + 8, image->begin() + header);
}

void WriteSectionHeader(std::vector<uint8_t>* image, size_t at, uint32_t virtualSize,
                        uint32_t virtualAddress, uint32_t rawSize, uint32_t rawOffset,
                        uint32_t characteristics) {
  std::fill(image->begin() + at, image->begin() + at + kSectionHeaderSize, 0);
  WriteSectionName(image, at, kResourceSectionName);
  WriteLittleEndian(image, at + 8, 4, virtualSize);
  WriteLittleEndian(image, at + 12, 4, virtualAddress);
  WriteLittleEndian(image, at + 16, 4, rawSize);
  WriteLittleEndian(image, at + 20, 4, rawOffset);
  WriteLittleEndian(image, at + 36, 4, characteristics);
}

// The section that holds the resource directory, if any.
const PeSection* SectionAt(const PeLayout& layout, uint32_t rva) {
  for (const PeSection& section : layout.sections) {
    if (rva >= section.virtualAddress &&
        rva - section.virtualAddress < std::max(section.virtualSize, section.rawSize)) {
      return &section;
    }
  }
  return nullptr;
}

}  // namespace

std::string RewriteResources(const ResourceChanges& changes, std::vector<uint8_t>* image) {
  PeLayout layout;
  std::string reason = ReadPeLayout(*image, &layout);
  if (!reason.empty()) return reason;
  if (ReadDirectory(*image, layout, kCertificateDirectory).size != 0) {
    return "it carries a certificate table, which a change of its resources would break";
  }
  if (DirectoryEntryOffset(layout, kResourceDirectory) == 0) {
    return "its optional header has no resource directory";
  }
  std::vector<ResourceEntry> entries;
  reason = ReadResources(*image, layout, &entries);
  if (!reason.empty()) return reason;
  entries = ChangedEntries(std::move(entries), changes);

  const PeDirectory resources = ReadDirectory(*image, layout, kResourceDirectory);
  const PeSection* reused = ReusableResourceSection(layout, resources);
  uint32_t memoryEnd = 0, fileEnd = 0;
  SectionEnds(layout, reused, &memoryEnd, &fileEnd);
  size_t header = 0;
  uint32_t rva = 0, rawOffset = 0, oldRawSize = 0;
  uint32_t characteristics = kResourceCharacteristics;
  const PeSection* old = SectionAt(layout, resources.address);
  if (old != nullptr) {
    ReadLittleEndian(*image, old->headerOffset + kCharacteristicsField, 4, &characteristics);
  }
  if (reused != nullptr) {
    header = reused->headerOffset;
    rva = reused->virtualAddress;
    rawOffset = reused->rawOffset;
    oldRawSize = reused->rawSize;
  } else {
    header = layout.sectionTableOffset + layout.sections.size() * kSectionHeaderSize;
    uint32_t firstData = static_cast<uint32_t>(image->size());
    for (const PeSection& section : layout.sections) {
      if (section.rawSize != 0) firstData = std::min(firstData, section.rawOffset);
    }
    if (header + kSectionHeaderSize > std::min(layout.sizeOfHeaders, firstData)) {
      return "its section table has no room for a new resource section";
    }
    rva = AlignUp(memoryEnd, layout.sectionAlignment);
    rawOffset = AlignUp(fileEnd, layout.fileAlignment);
    if (old != nullptr) WriteSectionName(image, old->headerOffset, kReplacedSectionName);
    WriteLittleEndian(image, layout.fileHeaderOffset + kSectionCountField, 2,
                      static_cast<uint32_t>(layout.sections.size() + 1));
  }
  const std::vector<uint8_t> section = BuildResourceSection(std::move(entries), rva);
  const uint32_t size = static_cast<uint32_t>(section.size());
  const uint32_t rawSize = AlignUp(size, layout.fileAlignment);

  // Whatever followed the last section (a symbol table) goes; the new section ends the file.
  image->resize(rawOffset, 0);
  image->insert(image->end(), section.begin(), section.end());
  image->resize(rawOffset + rawSize, 0);
  WriteSectionHeader(image, header, size, rva, rawSize, rawOffset, characteristics);

  const size_t optional = layout.optionalHeaderOffset;
  const size_t directory = DirectoryEntryOffset(layout, kResourceDirectory);
  WriteLittleEndian(image, directory, 4, rva);
  WriteLittleEndian(image, directory + 4, 4, size);
  WriteLittleEndian(image, optional + kSizeOfImageField, 4,
                    AlignUp(std::max(memoryEnd, rva + size), layout.sectionAlignment));
  uint32_t initializedData = 0;
  ReadLittleEndian(*image, optional + kSizeOfInitializedDataField, 4, &initializedData);
  WriteLittleEndian(image, optional + kSizeOfInitializedDataField, 4,
                    initializedData - oldRawSize + rawSize);
  WriteLittleEndian(image, layout.fileHeaderOffset + kSymbolTableField, 4, 0);
  WriteLittleEndian(image, layout.fileHeaderOffset + kSymbolCountField, 4, 0);
  WriteLittleEndian(image, optional + kCheckSumField, 4,
                    ComputeImageChecksum(*image, optional + kCheckSumField));
  return "";
}

}  // namespace packer
