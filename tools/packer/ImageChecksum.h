// The image checksum of a PE program, as the system's MapFileAndCheckSum computes it (signing
// tools and drivers check it): the 16-bit one's-complement sum of the file with the checksum
// field taken as zero, plus the file's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {

// The checksum of |image|, whose checksum field lies at |checkSumOffset|.
uint32_t ComputeImageChecksum(const std::vector<uint8_t>& image, size_t checkSumOffset);

}  // namespace packer
