// libFuzzer target for everything the installer does with untrusted payload bytes: the header,
// the decompression, the archive check and the walk over the entries.
//
// Each input is tried twice: as a payload resource (header and zlib stream), which is what the
// installer receives, and as an archive directly, because mutations seldom survive the zlib
// checksum and the archive checks would otherwise see few inputs. Beyond the sanitizers, the target
// aborts when the codec contradicts itself: a sound archive must walk entry by entry to its exact
// end with safe paths, and writing it again must give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "package/codec/PayloadFormat.h"

namespace {

// A header may claim up to 4 GiB; the fuzzer only follows claims up to this, so that memory
// limits report real leaks and overruns rather than honest large allocations.
constexpr uint32_t kMaxArchiveBytes = 64u << 20;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Walks an archive that ValidateArchive refused as far as the reader allows: it must never read
// out of bounds, whatever the counts and sizes say.
void WalkUnsoundArchive(const uint8_t* data, size_t size) {
  payload::ArchiveReader reader(data, size);
  std::string_view text;
  for (int i = 0; i < 3; ++i) {
    if (!reader.ReadString(&text)) return;
  }
  uint32_t count = 0;
  if (!reader.ReadU32(&count)) return;
  payload::ArchiveEntry entry;
  for (uint32_t i = 0; i < count && payload::ReadEntry(reader, &entry); ++i) {
    payload::CheckEntryPath(entry.path);
  }
}

void CheckSoundArchive(const uint8_t* data, size_t size, const payload::ArchiveSummary& summary) {
  payload::ArchiveReader reader(data, size, summary.fileTableOffset);
  uint32_t count = 0;
  Require(reader.ReadU32(&count) && count == summary.fileCount);
  payload::ArchiveWriter writer(summary.productName, summary.version, summary.configText);
  Require(writer.Problem().empty());
  uint64_t contentBytes = 0;
  for (uint32_t i = 0; i < count; ++i) {
    payload::ArchiveEntry entry;
    Require(payload::ReadEntry(reader, &entry));
    Require(payload::CheckEntryPath(entry.path).empty());
    Require(writer.AddFile(std::string(entry.path), entry.content, entry.size).empty());
    contentBytes += entry.size;
  }
  Require(reader.remaining() == 0);
  Require(contentBytes == summary.contentBytes);
  const std::vector<uint8_t> rewritten = writer.Finish();
  Require(rewritten.size() == size && std::memcmp(rewritten.data(), data, size) == 0);
}

void CheckArchive(const uint8_t* data, size_t size) {
  payload::ArchiveSummary summary;
  const std::string fault = payload::ValidateArchive(data, size, &summary);
  if (fault.empty()) {
    CheckSoundArchive(data, size, summary);
  } else {
    Require(fault.back() == '.');  // one sentence for the log and the user
    WalkUnsoundArchive(data, size);
  }
}

void CheckPayload(const uint8_t* data, size_t size) {
  payload::PayloadHeader header;
  if (!payload::ReadPayloadHeader(data, size, &header)) return;
  if (header.uncompressedSize > kMaxArchiveBytes) return;
  payload::ArchiveBuffer buffer;
  const payload::DecompressStatus status = payload::DecompressPayload(data, size, &buffer);
  if (status != payload::DecompressStatus::kOk) {
    Require(buffer.bytes == nullptr && buffer.size == 0);
    return;
  }
  Require(buffer.size == header.uncompressedSize && buffer.bytes[buffer.size] == 0);
  // The archive is checked in a block of exactly its size, so that a read of the guard byte
  // would show as an overflow.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[buffer.size ? buffer.size : 1]);
  if (buffer.size != 0) std::memcpy(exact.get(), buffer.bytes.get(), buffer.size);
  buffer.bytes.reset();
  CheckArchive(exact.get(), buffer.size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckPayload(data, size);
  CheckArchive(data, size);
  return 0;
}
