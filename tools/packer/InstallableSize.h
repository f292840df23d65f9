// The largest product the installer can unpack, and the packing tool's check against it.
#pragma once

#include <cstdint>
#include <string>

namespace packer {

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
// system that places its DLLs less favourably.
constexpr uint64_t kLargestInstallableBytes = 1740ull * 1024 * 1024;

// "" when a part of |bytes| fits the installer, else one sentence that names |part| ("archive",
// "compressed stream"), its size and the limit.
std::string CheckInstallableSize(const char* part, uint64_t bytes);

}  // namespace packer
