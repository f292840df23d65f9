// SHA-256 (FIPS 180-4) of a byte block: winget's manifests name the installer by its hash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packer {

// The SHA-256 of |bytes| as 64 upper-case hexadecimal digits.
std::string Sha256Hex(const std::vector<uint8_t>& bytes);

}  // namespace packer
