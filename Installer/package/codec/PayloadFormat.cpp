#include "package/codec/PayloadFormat.h"

#include <zlib.h>

#include <new>

namespace payload {
namespace {

constexpr uint64_t kMaxU32 = 0xFFFFFFFFu;

uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreU32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool ReadPayloadHeader(const uint8_t* resource, size_t size, PayloadHeader* header) {
  if (size < kHeaderSize) return false;
  header->uncompressedSize = LoadU32(resource);
  header->compressedSize = LoadU32(resource + 4);
  return true;
}

DecompressStatus DecompressPayload(const uint8_t* resource, size_t resourceSize,
                                   ArchiveBuffer* out) {
  out->bytes.reset();
  out->size = 0;
  PayloadHeader header;
  if (!ReadPayloadHeader(resource, resourceSize, &header)) {
    return DecompressStatus::kTruncatedResource;
  }
  if (resourceSize - kHeaderSize < header.compressedSize) {
    return DecompressStatus::kTruncatedResource;
  }
  if (header.uncompressedSize > kLargestInstallableBytes) return DecompressStatus::kOversized;
  // On a 32-bit process uncompressedSize + 1 can exceed what size_t holds.
  const uint64_t blockSize = uint64_t{header.uncompressedSize} + 1;
  if (blockSize > SIZE_MAX) return DecompressStatus::kOutOfMemory;
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(blockSize)]);
  if (!block) return DecompressStatus::kOutOfMemory;

  uLongf produced = header.uncompressedSize;
  const int result =
      uncompress(block.get(), &produced, resource + kHeaderSize, header.compressedSize);
  if (result == Z_MEM_ERROR) return DecompressStatus::kOutOfMemory;
  if (result != Z_OK) return DecompressStatus::kCorruptStream;
  if (produced != header.uncompressedSize) return DecompressStatus::kSizeMismatch;

  // The guard lets a NUL search that a bug sends past the last string stop inside the block.
  block[header.uncompressedSize] = 0;
  out->bytes = std::move(block);
  out->size = header.uncompressedSize;
  return DecompressStatus::kOk;
}

const char* DescribeDecompressStatus(DecompressStatus status) {
  switch (status) {
    case DecompressStatus::kOk:
      return "the payload was decompressed";
    case DecompressStatus::kTruncatedResource:
      return "the payload resource is shorter than its header says";
    case DecompressStatus::kOversized:
      return "the payload's header declares an archive larger than any installable product";
    case DecompressStatus::kOutOfMemory:
      return "there is not enough memory for the decompressed payload";
    case DecompressStatus::kCorruptStream:
      return "the payload's zlib stream is corrupt or longer than its header says";
    case DecompressStatus::kSizeMismatch:
      return "the payload's zlib stream is shorter than its header says";
  }
  return "unknown decompression status";
}

std::string CompressArchiveBytes(const uint8_t* bytes, size_t size, std::vector<uint8_t>* payload) {
  if (uint64_t{size} > kMaxU32) {
    return "the archive has " + std::to_string(size) +
           " bytes, more than the header's 32 bits hold";
  }
  const uLong bound = compressBound(static_cast<uLong>(size));
  // In a 32-bit build zlib's lengths are 32-bit too, and the bound of a near-4 GiB archive wraps.
  if (bound < size) return "the archive is too large for zlib's 32-bit lengths in this build";
  std::vector<uint8_t> out;
  out.resize(kHeaderSize + bound);
  uLongf streamSize = bound;
  // zlib reads nothing when the length is 0, but wants a valid pointer all the same.
  const uint8_t empty = 0;
  const int result = compress2(out.data() + kHeaderSize, &streamSize, size ? bytes : &empty,
                               static_cast<uLong>(size), Z_DEFAULT_COMPRESSION);
  if (result == Z_MEM_ERROR) return "zlib ran out of memory while compressing the archive";
  if (result != Z_OK) return "zlib failed to compress the archive (error " +
                             std::to_string(result) + ")";
  if (uint64_t{streamSize} > kMaxU32) {
    return "the compressed stream has " + std::to_string(streamSize) +
           " bytes, more than the header's 32 bits hold";
  }
  out.resize(kHeaderSize + streamSize);
  StoreU32(out.data(), static_cast<uint32_t>(size));
  StoreU32(out.data() + 4, static_cast<uint32_t>(streamSize));
  *payload = std::move(out);
  return "";
}

std::string CompressPayload(const std::vector<uint8_t>& archive, std::vector<uint8_t>* payload) {
  const std::string fault = ValidateArchive(archive.data(), archive.size(), nullptr);
  if (!fault.empty()) return "the archive is refused: " + fault;
  return CompressArchiveBytes(archive.data(), archive.size(), payload);
}

}  // namespace payload
