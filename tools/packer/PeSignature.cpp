#include "PeSignature.h"

#include "ByteAccess.h"
#include "FileSystem.h"
#include "PeImage.h"

namespace packer {
namespace {

constexpr uint32_t kSecurityDirectory = kCertificateDirectory;

bool Read(const std::vector<uint8_t>& image, size_t offset, size_t size, uint32_t* value) {
  return ReadLittleEndian(image, offset, size, value);
}

}  // namespace

SignatureState FindSignature(const std::vector<uint8_t>& image) {
  uint32_t mz = 0, peOffset = 0, pe = 0, optionalSize = 0, magic = 0;
  if (!Read(image, 0, 2, &mz) || mz != 0x5A4D || !Read(image, 0x3C, 4, &peOffset) ||
      !Read(image, peOffset, 4, &pe) || pe != kPeSignature) {
    return SignatureState::kNotAProgram;
  }
  const size_t optional = size_t{peOffset} + 4 + kFileHeaderSize;
  if (!Read(image, optional - 4, 2, &optionalSize) || !Read(image, optional, 2, &magic)) {
    return SignatureState::kNotAProgram;
  }
  // The data directories follow the fixed fields, whose size differs between PE32 and PE32+.
  size_t countField = 0;
  if (magic == kPe32) {
    countField = 92;
  } else if (magic == kPe32Plus) {
    countField = 108;
  } else {
    return SignatureState::kNotAProgram;
  }
  uint32_t directories = 0;
  if (!Read(image, optional + countField, 4, &directories)) return SignatureState::kNotAProgram;
  const size_t entry = countField + 4 + kSecurityDirectory * 8;
  // A header too short to hold the security directory has none.
  if (directories <= kSecurityDirectory || entry + 8 > optionalSize) {
    return SignatureState::kUnsigned;
  }
  uint32_t tableOffset = 0, tableSize = 0;
  if (!Read(image, optional + entry, 4, &tableOffset) ||
      !Read(image, optional + entry + 4, 4, &tableSize)) {
    return SignatureState::kNotAProgram;
  }
  return tableOffset == 0 && tableSize == 0 ? SignatureState::kUnsigned : SignatureState::kSigned;
}

std::string RefuseSignedInstaller(const std::string& installerPath) {
  std::vector<uint8_t> image;
  const std::string reason = ReadWholeFile(installerPath, UINT32_MAX, &image);
  if (!reason.empty()) return "installer: " + reason;
  if (FindSignature(image) != SignatureState::kSigned) return "";
  return "the installer \"" + installerPath +
         "\" carries an Authenticode signature, which packing would break: pack the unsigned "
         "Setup.exe and sign the finished installer after packing";
}

}  // namespace packer
