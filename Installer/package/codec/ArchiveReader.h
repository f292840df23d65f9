// Bounds-checked forward reading of the decompressed payload archive.
//
// The archive is: product name, version and configuration text (each 8-bit text ending in a NUL),
// a u32 file count, then per file: relative path (NUL-terminated), u32 size, that many content
// bytes. Integers are little-endian and unaligned; nothing is padded. The reader never looks at a
// byte outside [data, data + size), however the archive lies about its counts and sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace payload {

class ArchiveReader {
 public:
  // Reads the |size| bytes at |data| starting at |offset| (clamped to |size|). The bytes are not
  // copied: they must outlive the reader and everything it hands out.
  ArchiveReader(const uint8_t* data, size_t size, size_t offset = 0);

  // The text up to the next NUL, without it; the reader moves past the NUL. False (reader
  // unchanged) when no NUL comes before the end.
  bool ReadString(std::string_view* out);
  // A little-endian u32; false (reader unchanged) when fewer than 4 bytes remain.
  bool ReadU32(uint32_t* out);
  // The next |count| bytes, in place; false (reader unchanged) when fewer remain.
  bool ReadBytes(size_t count, const uint8_t** out);

  size_t offset() const { return offset_; }
  size_t remaining() const { return size_ - offset_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_;
};

// One file of the archive. |path| and |content| point into the archive bytes.
struct ArchiveEntry {
  std::string_view path;
  const uint8_t* content = nullptr;
  uint32_t size = 0;
};

// Reads the entry at the reader's position and moves past it. False, with the reader and |entry|
// unchanged, when the path's NUL, the size field or the content runs past the end. The path is not
// checked here (CheckEntryPath does that).
bool ReadEntry(ArchiveReader& reader, ArchiveEntry* entry);

// The relative path of every entry of the whole archive at |archive|, in archive order (the
// product name, version and configuration text are skipped). An archive that ends early gives
// the paths of the entries before the break.
std::vector<std::string> ListEntryPaths(const uint8_t* archive, size_t size);

}  // namespace payload
