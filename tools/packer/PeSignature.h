// Whether a program file carries an Authenticode signature. Replacing a resource of a signed
// program breaks its signature without a word, so the packing tool takes only unsigned
// installers: pack first, sign the finished installer last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packer {

enum class SignatureState {
  kUnsigned,     // a program file whose security directory is empty
  kSigned,       // its security directory names a certificate table
  kNotAProgram,  // no PE image (too short, no MZ or PE signature, an unknown optional header)
};

// Reads the security directory (the fifth data directory of the optional header, PE32 or PE32+)
// of the program |image|.
SignatureState FindSignature(const std::vector<uint8_t>& image);

// "" when the installer at |installerPath| may be packed (unsigned, or no program at all, which
// the resource update then refuses with its own reason); otherwise the refusal, one sentence
// that says to sign after packing. A file that cannot be read answers the reading's reason.
std::string RefuseSignedInstaller(const std::string& installerPath);

}  // namespace packer
