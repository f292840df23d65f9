// Two entries of one archive that Windows would write to the same place.
//
// Each entry is written at its own path below the target folder, its folders made on the way. Two
// paths that are equal without regard to case (FoldNameCase) name one file, so the later entry
// would silently replace the earlier one; a path that one entry writes as a file and another
// needs as a folder ("Tools\Helpdesk.exe" and "Tools", in either order) makes the second write
// fail halfway through the installation. Both are found before anything is written.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace payload {

struct EntryClash {
  enum class Kind {
    kNone,
    kSameFile,       // the two paths name one file
    kFileAndFolder,  // one entry's path is a folder on the way to the other's file
  };
  Kind kind = Kind::kNone;
  uint32_t first = 0;   // the earlier of the two entries (its index in archive order)
  uint32_t second = 0;  // the later one
  // For kFileAndFolder: the entry whose path is used as a folder by the other (first or second).
  uint32_t fileEntry = 0;
};

// Looks for two entries of |paths| (entry i's relative path at index i, each accepted by
// CheckEntryPath) that clash. When several pairs clash, answers the one that comes first in the
// order of the folded paths. Sorts the entries once, so it takes time in proportion to the total
// length of the paths times the logarithm of their number, and memory for one index per entry;
// it may throw std::bad_alloc.
EntryClash FindEntryClash(const std::vector<std::string_view>& paths);

}  // namespace payload
