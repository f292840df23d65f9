#include "package/codec/ArchiveReader.h"

#include <cstring>

namespace payload {

ArchiveReader::ArchiveReader(const uint8_t* data, size_t size, size_t offset)
    : data_(data), size_(size), offset_(offset < size ? offset : size) {}

bool ArchiveReader::ReadString(std::string_view* out) {
  if (remaining() == 0) return false;
  const uint8_t* start = data_ + offset_;
  const void* nul = std::memchr(start, 0, remaining());
  if (nul == nullptr) return false;
  const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - start);
  *out = std::string_view(reinterpret_cast<const char*>(start), length);
  offset_ += length + 1;
  return true;
}

bool ArchiveReader::ReadU32(uint32_t* out) {
  if (remaining() < 4) return false;
  const uint8_t* p = data_ + offset_;
  *out = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  offset_ += 4;
  return true;
}

bool ArchiveReader::ReadBytes(size_t count, const uint8_t** out) {
  if (count > remaining()) return false;
  *out = data_ + offset_;
  offset_ += count;
  return true;
}

bool ReadEntry(ArchiveReader& reader, ArchiveEntry* entry) {
  // Work on a copy so that a failure leaves the caller's reader where it was.
  ArchiveReader probe = reader;
  ArchiveEntry read;
  if (!probe.ReadString(&read.path)) return false;
  if (!probe.ReadU32(&read.size)) return false;
  if (!probe.ReadBytes(read.size, &read.content)) return false;
  reader = probe;
  *entry = read;
  return true;
}

std::vector<std::string> ListEntryPaths(const uint8_t* archive, size_t size) {
  std::vector<std::string> paths;
  ArchiveReader reader(archive, size);
  std::string_view leading;
  for (int field = 0; field < 3; ++field) {
    if (!reader.ReadString(&leading)) return paths;
  }
  uint32_t count = 0;
  if (!reader.ReadU32(&count)) return paths;
  ArchiveEntry entry;
  for (uint32_t index = 0; index < count && ReadEntry(reader, &entry); ++index) {
    paths.emplace_back(entry.path);
  }
  return paths;
}

}  // namespace payload
