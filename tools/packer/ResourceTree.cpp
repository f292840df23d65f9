#include "ResourceTree.h"

#include <algorithm>
#include <tuple>

#include "ByteAccess.h"

namespace packer {
namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr size_t kLevels = 3;  // type, name, language
constexpr size_t kMostEntriesVisited = 1 << 20;

// Reads the tree below the resource directory's start |base| (a file offset), which may reach
// |size| bytes further.
class TreeReader {
 public:
  TreeReader(const std::vector<uint8_t>& image, const PeLayout& layout, size_t base,
             uint32_t size)
      : image_(image), layout_(layout), base_(base), size_(size) {}

  std::string Read(std::vector<ResourceEntry>* entries) {
    std::vector<ResourceKey> path;
    const std::string reason = ReadDirectory(0, &path);
    if (reason.empty()) *entries = std::move(entries_);
    return reason;
  }

 private:
  bool Get(uint32_t offset, size_t size, uint32_t* value) const {
    return offset <= size_ && size_ - offset >= size &&
           ReadLittleEndian(image_, base_ + offset, size, value);
  }

  std::string ReadDirectory(uint32_t offset, std::vector<ResourceKey>* path) {
    uint32_t named = 0, numbered = 0;
    if (!Get(offset + 12, 2, &named) || !Get(offset + 14, 2, &numbered)) {
      return "a resource directory lies outside the resource section";
    }
    for (uint32_t i = 0; i < named + numbered; ++i) {
      // Directories that share their children could make a small tree take ages to walk.
      if (++visited_ > kMostEntriesVisited) return "the resource tree has too many entries";
      const uint32_t entry = offset + kDirectoryHeaderSize + i * kDirectoryEntrySize;
      uint32_t nameField = 0, target = 0;
      if (!Get(entry, 4, &nameField) || !Get(entry + 4, 4, &target)) {
        return "a resource directory entry lies outside the resource section";
      }
      ResourceKey key;
      std::string reason = ReadKey(nameField, &key);
      if (!reason.empty()) return reason;
      path->push_back(key);
      const bool isDirectory = (target & kHighBit) != 0;
      const bool deepest = path->size() == kLevels;
      if (isDirectory == deepest) return "the resource tree is not three levels deep";
      reason = isDirectory ? ReadDirectory(target & ~kHighBit, path) : ReadData(target, *path);
      if (!reason.empty()) return reason;
      path->pop_back();
    }
    return "";
  }

  std::string ReadKey(uint32_t nameField, ResourceKey* key) const {
    if ((nameField & kHighBit) == 0) {
      *key = ResourceKey::Number(static_cast<uint16_t>(nameField));
      return "";
    }
    const uint32_t at = nameField & ~kHighBit;
    uint32_t length = 0;
    if (!Get(at, 2, &length) || length == 0) return "a resource name lies outside the section";
    std::u16string text;
    for (uint32_t c = 0; c < length; ++c) {
      uint32_t unit = 0;
      if (!Get(at + 2 + 2 * c, 2, &unit)) return "a resource name runs past the section";
      text.push_back(static_cast<char16_t>(unit));
    }
    *key = ResourceKey::Text(text);
    return "";
  }

  std::string ReadData(uint32_t offset, const std::vector<ResourceKey>& path) {
    uint32_t rva = 0, size = 0, codePage = 0;
    if (!Get(offset, 4, &rva) || !Get(offset + 4, 4, &size) || !Get(offset + 8, 4, &codePage)) {
      return "a resource data entry lies outside the resource section";
    }
    size_t at = 0;
    if (!RvaToFileOffset(layout_, rva, size, &at)) {
      return "the data of a resource lies outside the file";
    }
    ResourceEntry entry;
    entry.type = path[0];
    entry.name = path[1];
    entry.language = path[2].id;
    entry.codePage = codePage;
    entry.data.assign(image_.begin() + at, image_.begin() + at + size);
    entries_.push_back(std::move(entry));
    return "";
  }

  const std::vector<uint8_t>& image_;
  const PeLayout& layout_;
  size_t base_;
  size_t visited_ = 0;
  uint32_t size_;
  std::vector<ResourceEntry> entries_;
};

// One directory of the tree being written: its keys in order, and for each the index of the
// child directory or (at the deepest level) of the entry.
struct DirectoryPlan {
  std::vector<std::pair<ResourceKey, size_t>> children;
  uint32_t offset = 0;
};

uint32_t DirectorySize(const DirectoryPlan& plan) {
  return kDirectoryHeaderSize + static_cast<uint32_t>(plan.children.size()) * kDirectoryEntrySize;
}

}  // namespace

bool ResourceKey::operator<(const ResourceKey& other) const {
  if (IsText() != other.IsText()) return IsText();
  return IsText() ? text < other.text : id < other.id;
}

std::string ReadResources(const std::vector<uint8_t>& image, const PeLayout& layout,
                          std::vector<ResourceEntry>* entries) {
  const PeDirectory directory = ReadDirectory(image, layout, kResourceDirectory);
  if (directory.address == 0 || directory.size == 0) {
    entries->clear();
    return "";
  }
  // The tree's offsets count from the directory's start, and may reach as far as its section.
  for (const PeSection& section : layout.sections) {
    if (directory.address < section.virtualAddress ||
        directory.address - section.virtualAddress >= section.rawSize) {
      continue;
    }
    const uint32_t within = directory.address - section.virtualAddress;
    TreeReader reader(image, layout, section.rawOffset + within, section.rawSize - within);
    return reader.Read(entries);
  }
  return "the resource directory lies outside every section's data";
}

std::vector<uint8_t> BuildResourceSection(std::vector<ResourceEntry> entries,
                                          uint32_t sectionRva) {
  std::sort(entries.begin(), entries.end(), [](const ResourceEntry& a, const ResourceEntry& b) {
    const ResourceKey aLanguage = ResourceKey::Number(a.language);
    const ResourceKey bLanguage = ResourceKey::Number(b.language);
    return std::tie(a.type, a.name, aLanguage) < std::tie(b.type, b.name, bLanguage);
  });
  // The directories in the order they are written: the root, the type directories, the name
  // directories; the language directories' children are the entries.
  std::vector<DirectoryPlan> directories(1);
  std::vector<size_t> nameDirectoryOfEntry;
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool newType = i == 0 || !(entries[i].type == entries[i - 1].type);
    const bool newName = newType || !(entries[i].name == entries[i - 1].name);
    if (newType) {
      directories[0].children.push_back({entries[i].type, directories.size()});
      directories.emplace_back();
    }
    if (newName) {
      const size_t typeDirectory = directories[0].children.back().second;
      directories[typeDirectory].children.push_back({entries[i].name, 0});
    }
    nameDirectoryOfEntry.push_back(directories[0].children.back().second);
  }
  // The language directories follow the type ones: one per (type, name).
  std::vector<size_t> languageDirectoryOfEntry;
  const size_t typeDirectories = directories.size();
  for (size_t t = 1; t < typeDirectories; ++t) {
    for (auto& name : directories[t].children) {
      name.second = directories.size();
      directories.emplace_back();
    }
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const DirectoryPlan& types = directories[nameDirectoryOfEntry[i]];
    const auto name = std::find_if(types.children.begin(), types.children.end(),
                                   [&](const auto& child) { return child.first == entries[i].name; });
    directories[name->second].children.push_back({ResourceKey::Number(entries[i].language), i});
  }

  uint32_t at = 0;
  for (DirectoryPlan& plan : directories) {
    plan.offset = at;
    at += DirectorySize(plan);
  }
  const uint32_t dataEntries = at;
  at += static_cast<uint32_t>(entries.size()) * kDataEntrySize;
  // The names, each once.
  std::vector<std::pair<std::u16string, uint32_t>> names;
  for (const DirectoryPlan& plan : directories) {
    for (const auto& child : plan.children) {
      if (!child.first.IsText()) continue;
      const auto known = std::find_if(names.begin(), names.end(),
                                      [&](const auto& n) { return n.first == child.first.text; });
      if (known != names.end()) continue;
      names.push_back({child.first.text, at});
      at += 2 + 2 * static_cast<uint32_t>(child.first.text.size());
    }
  }
  std::vector<uint32_t> dataOffsets;
  for (const ResourceEntry& entry : entries) {
    at = AlignUp(at, 8);
    dataOffsets.push_back(at);
    at += static_cast<uint32_t>(entry.data.size());
  }

  std::vector<uint8_t> section(AlignUp(at, 8), 0);
  auto nameOffset = [&](const std::u16string& text) {
    for (const auto& n : names) {
      if (n.first == text) return n.second;
    }
    return 0u;
  };
  for (size_t d = 0; d < directories.size(); ++d) {
    const DirectoryPlan& plan = directories[d];
    const bool deepest = d >= typeDirectories;  // a language directory
    uint32_t named = 0;
    for (const auto& child : plan.children) named += child.first.IsText() ? 1 : 0;
    WriteLittleEndian(&section, plan.offset + 12, 2, named);
    WriteLittleEndian(&section, plan.offset + 14, 2,
                      static_cast<uint32_t>(plan.children.size()) - named);
    for (size_t c = 0; c < plan.children.size(); ++c) {
      const auto& [key, index] = plan.children[c];
      const uint32_t entry = plan.offset + kDirectoryHeaderSize +
                             static_cast<uint32_t>(c) * kDirectoryEntrySize;
      WriteLittleEndian(&section, entry, 4,
                        key.IsText() ? (kHighBit | nameOffset(key.text)) : key.id);
      const uint32_t target = deepest ? dataEntries + static_cast<uint32_t>(index) * kDataEntrySize
                                      : (kHighBit | directories[index].offset);
      WriteLittleEndian(&section, entry + 4, 4, target);
    }
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint32_t entry = dataEntries + static_cast<uint32_t>(i) * kDataEntrySize;
    WriteLittleEndian(&section, entry, 4, sectionRva + dataOffsets[i]);
    WriteLittleEndian(&section, entry + 4, 4, static_cast<uint32_t>(entries[i].data.size()));
    WriteLittleEndian(&section, entry + 8, 4, entries[i].codePage);
    std::copy(entries[i].data.begin(), entries[i].data.end(), section.begin() + dataOffsets[i]);
  }
  for (const auto& [text, offset] : names) {
    WriteLittleEndian(&section, offset, 2, static_cast<uint32_t>(text.size()));
    for (size_t c = 0; c < text.size(); ++c) {
      WriteLittleEndian(&section, offset + 2 + 2 * c, 2, text[c]);
    }
  }
  return section;
}

}  // namespace packer
