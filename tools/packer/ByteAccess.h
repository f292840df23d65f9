// Little-endian reads and writes inside a byte buffer, for the program file formats the packing
// tool takes apart and puts together (PE images, resource trees, icon files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {

// The little-endian number of |size| bytes (at most 4) at |offset|; false, and |value| left as
// it was, when the bytes lie beyond |bytes|.
inline bool ReadLittleEndian(const std::vector<uint8_t>& bytes, size_t offset, size_t size,
                             uint32_t* value) {
  if (offset > bytes.size() || bytes.size() - offset < size) return false;
  uint32_t read = 0;
  for (size_t i = size; i-- > 0;) read = (read << 8) | bytes[offset + i];
  *value = read;
  return true;
}

// Writes the |size| low bytes of |value| at |offset|, growing |bytes| when they lie beyond it.
inline void WriteLittleEndian(std::vector<uint8_t>* bytes, size_t offset, size_t size,
                              uint32_t value) {
  if (bytes->size() < offset + size) bytes->resize(offset + size);
  for (size_t i = 0; i < size; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// |value| rounded up to a multiple of |alignment| (a power of two).
inline uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) & ~(alignment - 1);
}

}  // namespace packer
