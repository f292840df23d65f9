#include "InstallableSize.h"

namespace packer {
namespace {

// 1824522240 as "1,824,522,240": sizes this large are read more easily in groups.
std::string GroupedDigits(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

std::string CheckInstallableSize(const char* part, uint64_t bytes) {
  if (bytes <= kLargestInstallableBytes) return "";
  return std::string("the product is too large to install: its ") + part + " has " +
         GroupedDigits(bytes) + " bytes, more than the " +
         GroupedDigits(kLargestInstallableBytes) + " (" +
         GroupedDigits(kLargestInstallableBytes >> 20) +
         " MiB) that the 32-bit installer can unpack beside its own image";
}

}  // namespace packer
