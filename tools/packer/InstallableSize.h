// The largest product the installer can unpack, and the packing tool's check against it.
#pragma once

#include <cstdint>
#include <string>

#include "package/codec/PayloadFormat.h"

namespace packer {

// The most bytes the archive, and also its compressed stream, may have (the codec's limit).
using payload::kLargestInstallableBytes;

// "" when a part of |bytes| fits the installer, else one sentence that names |part| ("archive",
// "compressed stream"), its size and the limit.
std::string CheckInstallableSize(const char* part, uint64_t bytes);

}  // namespace packer
