#include "package/codec/ArchiveValidator.h"

#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "package/codec/ArchiveReader.h"
#include "package/codec/EntryClash.h"
#include "package/codec/EntryPath.h"

namespace payload {
namespace {

std::string EntryName(uint32_t index) { return "Entry " + std::to_string(index); }

// "3 (\"Tools\\Helpdesk.exe\")": an entry's index and path, for messages.
std::string EntryLabel(uint32_t index, std::string_view path) {
  return std::to_string(index) + " (" + QuoteName(path) + ")";
}

std::string EntryName(uint32_t index, std::string_view path) {
  return "Entry " + EntryLabel(index, path);
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

// Checks entry |index| at the reader's position and moves past it, or answers the fault. The
// entry's path is added to |paths|.
std::string CheckNextEntry(ArchiveReader& reader, uint32_t index, uint32_t count,
                           uint64_t* contentBytes, std::vector<std::string_view>* paths) {
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
  paths->push_back(path);
  return "";
}

std::string DescribeClash(const EntryClash& clash, const std::vector<std::string_view>& paths) {
  const std::string pair = EntryName(clash.first, paths[clash.first]) + " and entry " +
                           EntryLabel(clash.second, paths[clash.second]);
  if (clash.kind == EntryClash::Kind::kSameFile) {
    return pair + " name the same file (names are compared without regard to case).";
  }
  return pair + " use " + QuoteName(paths[clash.fileEntry]) +
         " both as a file and as a folder.";
}

// Two entries that would be written to the same place, or "" when there are none.
std::string CheckEntriesApart(const std::vector<std::string_view>& paths) {
  const EntryClash clash = FindEntryClash(paths);
  return clash.kind == EntryClash::Kind::kNone ? "" : DescribeClash(clash, paths);
}

// Walks the entries from the file count on, to the archive's exact end, then compares their paths.
std::string CheckFileTable(ArchiveReader& reader, ArchiveSummary* read) {
  if (!reader.ReadU32(&read->fileCount)) {
    return "The archive ends inside the file count (" + std::to_string(reader.remaining()) +
           " of its 4 bytes are present).";
  }
  std::vector<std::string_view> paths;
  for (uint32_t index = 0; index < read->fileCount; ++index) {
    const std::string fault =
        CheckNextEntry(reader, index, read->fileCount, &read->contentBytes, &paths);
    if (!fault.empty()) return fault;
  }
  if (reader.remaining() != 0) {
    return "The archive has " + std::to_string(reader.remaining()) +
           " bytes after its last entry (the file count is " + std::to_string(read->fileCount) +
           ").";
  }
  return CheckEntriesApart(paths);
}

std::string CheckWholeArchive(const uint8_t* archive, size_t size, ArchiveSummary* summary) {
  if (size == 0) return "The archive is empty.";
  ArchiveReader reader(archive, size);
  ArchiveSummary read;
  std::string fault = ReadLeadingString(reader, "product name", &read.productName);
  if (fault.empty()) fault = ReadLeadingString(reader, "version", &read.version);
  if (fault.empty()) fault = ReadLeadingString(reader, "configuration text", &read.configText);
  if (!fault.empty()) return fault;

  const std::string versionFault = CheckVersionText(read.version);
  if (!versionFault.empty()) {
    return "The version " + QuoteName(read.version) + " cannot name a folder: " + versionFault +
           ".";
  }

  read.fileTableOffset = reader.offset();
  fault = CheckFileTable(reader, &read);
  if (!fault.empty()) return fault;
  if (summary != nullptr) *summary = std::move(read);
  return "";
}

}  // namespace

std::string ValidateArchive(const uint8_t* archive, size_t size, ArchiveSummary* summary) {
  // The check keeps one path view per entry: an archive of millions of tiny entries may need
  // more memory than a 32-bit process has, and must then be refused rather than end the process.
  try {
    return CheckWholeArchive(archive, size, summary);
  } catch (const std::bad_alloc&) {
    return "There is not enough memory to check the archive of " + std::to_string(size) +
           " bytes.";
  }
}

}  // namespace payload
