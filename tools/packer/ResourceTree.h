// The resources of a PE program as a flat list (type, name, language, bytes), read from and
// written to the three-level tree of its resource section.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PeImage.h"

namespace packer {

// A resource type or name: a number, or a text when |text| is not empty. The resource compilers
// store text names in upper case, and the loader's search expects them so.
struct ResourceKey {
  uint16_t id = 0;
  std::u16string text;

  static ResourceKey Number(uint16_t id) { return {id, {}}; }
  static ResourceKey Text(const std::u16string& text) { return {0, text}; }
  bool IsText() const { return !text.empty(); }
  bool operator==(const ResourceKey& other) const {
    return id == other.id && text == other.text;
  }
  // The order of the tree's entries: texts (by their UTF-16 units) before numbers.
  bool operator<(const ResourceKey& other) const;
};

struct ResourceEntry {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
  uint32_t codePage = 0;
};

// The resource types the packing tool writes.
constexpr uint16_t kIconType = 3;        // RT_ICON
constexpr uint16_t kIconGroupType = 14;  // RT_GROUP_ICON
constexpr uint16_t kVersionType = 16;    // RT_VERSION

// The resources of |image|, whose layout is |layout|, in the tree's order. An image without a
// resource directory has none. Answers "" and fills |entries|, or why the tree cannot be read
// (an entry, a name or a data block outside the resource section or the file, a tree deeper or
// shallower than type, name and language).
std::string ReadResources(const std::vector<uint8_t>& image, const PeLayout& layout,
                          std::vector<ResourceEntry>* entries);

// The bytes of a resource section holding |entries| (any order; no two with the same type,
// name and language), to be loaded at |sectionRva|: the directories, sorted as the loader's
// search expects, then the data entries, the names and the data, each block on an 8-byte
// boundary.
std::vector<uint8_t> BuildResourceSection(std::vector<ResourceEntry> entries,
                                          uint32_t sectionRva);

}  // namespace packer
