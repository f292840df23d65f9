#include "package/codec/EntryClash.h"

#include <algorithm>
#include <numeric>

#include "package/codec/NameCase.h"

namespace payload {
namespace {

// The bytes as the sort sees them: folded, and the separator below every byte a name may hold
// (names hold no NUL). A file "a" then sorts directly before "a\..." and before any "a<more>", so
// a path that is also a folder of another entry is always next to that entry in the sorted order.
// A table, because the sort looks at each byte many times.
class SortKeys {
 public:
  SortKeys() {
    for (int byte = 0; byte < 256; ++byte) {
      keys_[byte] = FoldNameByte(static_cast<unsigned char>(byte));
    }
    keys_[static_cast<unsigned char>('\\')] = 0;
  }
  unsigned char operator()(char c) const { return keys_[static_cast<unsigned char>(c)]; }

 private:
  unsigned char keys_[256];
};

// Made at its first use, so that no other static object can find it unmade.
const SortKeys& Keys() {
  static const SortKeys keys;
  return keys;
}

// <0, 0 or >0 as |a| sorts before, with or after |b|; |common| is set to the length of the
// prefix the two share in folded form.
int CompareFolded(std::string_view a, std::string_view b, size_t* common) {
  const SortKeys& key = Keys();
  const size_t shorter = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < shorter && key(a[i]) == key(b[i])) ++i;
  *common = i;
  if (i < shorter) return key(a[i]) < key(b[i]) ? -1 : 1;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

EntryClash MakeClash(EntryClash::Kind kind, uint32_t a, uint32_t b, uint32_t fileEntry) {
  EntryClash clash;
  clash.kind = kind;
  clash.first = std::min(a, b);
  clash.second = std::max(a, b);
  clash.fileEntry = fileEntry;
  return clash;
}

}  // namespace

EntryClash FindEntryClash(const std::vector<std::string_view>& paths) {
  std::vector<uint32_t> order(paths.size());
  std::iota(order.begin(), order.end(), 0u);
  // Equal paths keep archive order, so the earlier of two equal entries is always reported.
  std::sort(order.begin(), order.end(), [&paths](uint32_t a, uint32_t b) {
    size_t common = 0;
    const int sign = CompareFolded(paths[a], paths[b], &common);
    return sign != 0 ? sign < 0 : a < b;
  });
  for (size_t i = 1; i < order.size(); ++i) {
    const uint32_t before = order[i - 1];
    const uint32_t after = order[i];
    const std::string_view shorter = paths[before];
    const std::string_view longer = paths[after];
    size_t common = 0;
    if (CompareFolded(shorter, longer, &common) == 0) {
      return MakeClash(EntryClash::Kind::kSameFile, before, after, before);
    }
    if (common == shorter.size() && longer[common] == '\\') {
      return MakeClash(EntryClash::Kind::kFileAndFolder, before, after, before);
    }
  }
  return EntryClash();
}

}  // namespace payload
