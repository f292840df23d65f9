#include "ImageChecksum.h"

namespace packer {

uint32_t ComputeImageChecksum(const std::vector<uint8_t>& image, size_t checkSumOffset) {
  uint64_t sum = 0;
  for (size_t at = 0; at < image.size(); at += 2) {
    uint32_t word = image[at];
    if (at + 1 < image.size()) word |= static_cast<uint32_t>(image[at + 1]) << 8;
    // The field's own four bytes count as zero.
    if (at >= checkSumOffset && at < checkSumOffset + 4) word = 0;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

}  // namespace packer
