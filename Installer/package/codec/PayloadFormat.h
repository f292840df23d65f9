// The payload resource of the installer: an 8-byte header and one zlib stream that decompresses to
// the payload archive. Including this header brings in the whole codec (reader, validator, entry
// path rules, writer).
//
// | offset | size           | field                                              |
// | 0      | 4              | uncompressedSize, u32 little-endian: archive length |
// | 4      | 4              | compressedSize, u32 little-endian: stream length    |
// | 8      | compressedSize | one zlib stream (RFC 1950)                          |
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/codec/ArchiveReader.h"
#include "package/codec/ArchiveValidator.h"
#include "package/codec/ArchiveWriter.h"
#include "package/codec/EntryPath.h"

namespace payload {

constexpr size_t kHeaderSize = 8;

// The most bytes the archive, and also its compressed stream, may have: 1,740 MiB.
//
// Setup.exe is a 32-bit, large-address-aware program. The payload is mapped with its image and
// the whole archive is decompressed into one block beside it, so both need a free stretch of the
// process's 4 GiB of address space, which the system's DLLs split into a few. Measured with
// bench/scale.sh under Wine 8 in a 64-bit prefix: incompressible products installed with an
// archive of 1.768 GiB (the image as large) and failed at 1.807 GiB; compressible ones (4:1)
// installed at 1.807 GiB and failed at 1.904 GiB. What failed was always the archive's block
// ("Not enough memory to unpack the installation package"), never the image load. 1,740 MiB
// (1.70 GiB) stays 4 % below the smallest of those successes, for a larger Setup.exe and a
// system that places its DLLs less favourably. The packing tool refuses a larger product; the
// installer refuses a header that declares a larger archive as damaged.
constexpr uint64_t kLargestInstallableBytes = 1740ull * 1024 * 1024;

struct PayloadHeader {
  uint32_t uncompressedSize = 0;
  uint32_t compressedSize = 0;
};

// Reads the 8-byte header at |resource|. False (|header| unchanged) when |size| < 8.
bool ReadPayloadHeader(const uint8_t* resource, size_t size, PayloadHeader* header);

// The decompressed archive: one heap block of |size| + 1 bytes. The extra byte is a NUL guard and
// never part of the archive.
struct ArchiveBuffer {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
};

enum class DecompressStatus {
  kOk,
  kTruncatedResource,  // shorter than the header, or than 8 + compressedSize
  kOversized,          // uncompressedSize above kLargestInstallableBytes: no packed product
  kOutOfMemory,        // the archive's block (or zlib's own memory) could not be had
  kCorruptStream,      // zlib error, including output longer than uncompressedSize
  kSizeMismatch,       // zlib succeeded but handed back fewer than uncompressedSize bytes
};

// Decompresses the payload at |resource| with one call of zlib's uncompress into a block of
// exactly uncompressedSize bytes (plus the guard byte). The block is allocated with
// new (std::nothrow), so a header that claims more memory than there is fails with kOutOfMemory
// instead of ending the process. A header that claims more than kLargestInstallableBytes is
// answered kOversized before any memory is asked for: the packing tool makes no such package. Bytes of the resource after 8 + compressedSize are ignored. On
// kOk |out| owns the archive; on any other status |out| is empty (no bytes, size 0).
DecompressStatus DecompressPayload(const uint8_t* resource, size_t resourceSize,
                                   ArchiveBuffer* out);

// A short English description of |status| for the log ("the zlib stream is corrupt").
const char* DescribeDecompressStatus(DecompressStatus status);

// Validates |archive| (ValidateArchive) and then compresses it as CompressArchiveBytes does.
// Answers "" and sets |payload|, or the reason (an unsound archive, which includes a NUL inside
// one of the three leading strings, or an archive or stream over the 32-bit limits); |payload| is
// unchanged on failure.
std::string CompressPayload(const std::vector<uint8_t>& archive, std::vector<uint8_t>* payload);

// Header plus one zlib stream at zlib's default level (Z_DEFAULT_COMPRESSION, so the stream starts
// 78 9C), nothing after it, for whatever bytes it is given: tools and tests use it to make
// deliberately unsound payloads. Answers "" or the reason (|size| or the stream over 0xFFFFFFFF,
// zlib out of memory); |payload| is unchanged on failure.
std::string CompressArchiveBytes(const uint8_t* bytes, size_t size, std::vector<uint8_t>* payload);

}  // namespace payload
