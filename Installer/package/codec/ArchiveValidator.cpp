#include "package/codec/ArchiveValidator.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "package/codec/ArchiveReader.h"
#include "package/codec/EntryPath.h"

namespace payload {
namespace {

// A path as it may appear in a message: quoted, control bytes as \xNN, cut after 200 bytes so
// that a hostile archive cannot flood the log.
std::string QuotePath(std::string_view path) {
  constexpr size_t kShown = 200;
  std::string text = "\"";
  for (size_t i = 0; i < path.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
      text += escaped;
    } else {
      text += path[i];
    }
  }
  if (path.size() > kShown) text += "...";
  return text + "\"";
}

std::string EntryName(uint32_t index) { return "Entry " + std::to_string(index); }

std::string EntryName(uint32_t index, std::string_view path) {
  return EntryName(index) + " (" + QuotePath(path) + ")";
}

// Reads one of the three leading strings, or answers why it cannot.
std::string ReadLeadingString(ArchiveReader& reader, const char* what, std::string* out) {
  std::string_view text;
  if (!reader.ReadString(&text)) {
    return std::string("The archive ends inside the ") + what + " (it has no terminating NUL).";
  }
  out->assign(text.data(), text.size());
  return "";
}

// Checks entry |index| at the reader's position and moves past it, or answers the fault.
std::string CheckNextEntry(ArchiveReader& reader, uint32_t index, uint32_t count,
                           uint64_t* contentBytes) {
  if (reader.remaining() == 0) {
    return "The file count is " + std::to_string(count) + ", but the archive ends after " +
           std::to_string(index) + (index == 1 ? " entry." : " entries.");
  }
  std::string_view path;
  if (!reader.ReadString(&path)) {
    return EntryName(index) + " runs past the end of the archive inside its path.";
  }
  uint32_t size = 0;
  if (!reader.ReadU32(&size)) {
    return EntryName(index, path) + " runs past the end of the archive inside its size field.";
  }
  const uint8_t* content = nullptr;
  if (!reader.ReadBytes(size, &content)) {
    return EntryName(index, path) + " claims " + std::to_string(size) +
           " content bytes, but only " + std::to_string(reader.remaining()) +
           " remain in the archive.";
  }
  const std::string reason = CheckEntryPath(path);
  if (!reason.empty()) return EntryName(index, path) + " has an unsafe path: " + reason + ".";
  *contentBytes += size;
  return "";
}

}  // namespace

std::string ValidateArchive(const uint8_t* archive, size_t size, ArchiveSummary* summary) {
  if (size == 0) return "The archive is empty.";
  ArchiveReader reader(archive, size);
  ArchiveSummary read;
  std::string fault = ReadLeadingString(reader, "product name", &read.productName);
  if (fault.empty()) fault = ReadLeadingString(reader, "version", &read.version);
  if (fault.empty()) fault = ReadLeadingString(reader, "configuration text", &read.configText);
  if (!fault.empty()) return fault;

  const std::string versionFault = CheckVersionText(read.version);
  if (!versionFault.empty()) {
    return "The version " + QuotePath(read.version) + " cannot name a folder: " + versionFault +
           ".";
  }

  read.fileTableOffset = reader.offset();
  if (!reader.ReadU32(&read.fileCount)) {
    return "The archive ends inside the file count (" + std::to_string(reader.remaining()) +
           " of its 4 bytes are present).";
  }
  for (uint32_t index = 0; index < read.fileCount; ++index) {
    fault = CheckNextEntry(reader, index, read.fileCount, &read.contentBytes);
    if (!fault.empty()) return fault;
  }
  if (reader.remaining() != 0) {
    return "The archive has " + std::to_string(reader.remaining()) +
           " bytes after its last entry (the file count is " + std::to_string(read.fileCount) +
           ").";
  }
  if (summary != nullptr) *summary = std::move(read);
  return "";
}

}  // namespace payload
