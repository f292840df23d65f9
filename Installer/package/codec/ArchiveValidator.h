// The one check that a decompressed payload archive is sound before anything is installed from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace payload {

// What the archive holds ahead of its files, and where the file table starts.
struct ArchiveSummary {
  std::string productName;
  std::string version;
  std::string configText;
  size_t fileTableOffset = 0;  // offset of the u32 file count
  uint32_t fileCount = 0;
  uint64_t contentBytes = 0;   // sum of the entries' sizes
};

// Walks the whole archive once, never reading past |size|. Answers "" when the archive is sound,
// and then fills |summary| (may be null). Otherwise answers one English sentence naming the fault
// and, where there is one, the entry index (counted from 0) and its path, fit for the log and the
// user; |summary| is then unchanged. Refused: an empty archive; a leading string without its NUL;
// a version that cannot be part of a folder name (CheckVersionText); a file count, path, size
// field or content that runs past the end; bytes after the last entry; an entry path refused by
// CheckEntryPath; two entries that Windows would write to the same place (FindEntryClash: the
// same file without regard to case, or one path used both as a file and as a folder), named with
// both indices and paths; an archive with more entries than memory to compare them.
std::string ValidateArchive(const uint8_t* archive, size_t size, ArchiveSummary* summary);

}  // namespace payload
