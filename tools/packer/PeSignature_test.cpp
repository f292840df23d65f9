#include "PeSignature.h"

#include <gtest/gtest.h>

#include "TestFolder.h"

namespace packer {
namespace {

constexpr size_t kPeOffset = 0x80;

void Put(std::vector<uint8_t>* image, size_t at, uint32_t value, size_t size) {
  if (image->size() < at + size) image->resize(at + size);
  for (size_t i = 0; i < size; ++i) (*image)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The headers of a program: MZ, the PE signature, a file header and an optional header of
// |magic| (PE32 or PE32+) with |directories| data directories, the security one (the fifth)
// holding |offset| and |size| when there is one.
std::vector<uint8_t> Image(uint16_t magic, uint32_t directories, uint32_t offset, uint32_t size) {
  std::vector<uint8_t> image;
  Put(&image, 0, 0x5A4D, 2);
  Put(&image, 0x3C, kPeOffset, 4);
  Put(&image, kPeOffset, 0x00004550, 4);
  const size_t optional = kPeOffset + 24;
  const size_t count = magic == 0x20B ? 108 : 92;
  Put(&image, kPeOffset + 20, static_cast<uint32_t>(count + 4 + directories * 8), 2);
  Put(&image, optional, magic, 2);
  Put(&image, optional + count, directories, 4);
  for (uint32_t i = 0; i < directories; ++i) {
    Put(&image, optional + count + 4 + i * 8, i == 4 ? offset : 0x1000, 4);
    Put(&image, optional + count + 8 + i * 8, i == 4 ? size : 0x200, 4);
  }
  image.resize(image.size() + 64);  // a section table would follow
  return image;
}

TEST(PeSignatureTest, SecurityDirectoryTells) {
  std::vector<uint8_t> cut = Image(0x10B, 16, 0x4000, 0x900);
  cut.resize(kPeOffset + 24 + 92 + 4 + 4 * 8 + 2);
  const struct {
    const char* name;
    std::vector<uint8_t> image;
    SignatureState want;
  } kCases[] = {
      {"PE32, no certificate table", Image(0x10B, 16, 0, 0), SignatureState::kUnsigned},
      {"PE32, signed", Image(0x10B, 16, 0x4000, 0x900), SignatureState::kSigned},
      {"PE32+, signed", Image(0x20B, 16, 0x4000, 0x900), SignatureState::kSigned},
      {"PE32+, no certificate table", Image(0x20B, 16, 0, 0), SignatureState::kUnsigned},
      {"only four directories: none for security", Image(0x10B, 4, 0, 0),
       SignatureState::kUnsigned},
      {"headers cut inside the security entry", cut, SignatureState::kNotAProgram},
      {"no MZ", std::vector<uint8_t>(512, 0), SignatureState::kNotAProgram},
      {"an unknown optional header", Image(0x107, 16, 0x4000, 0x900),
       SignatureState::kNotAProgram},
      {"empty", {}, SignatureState::kNotAProgram},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, FindSignature(c.image)) << c.name;

  std::vector<uint8_t> farAway = Image(0x10B, 16, 0, 0);
  Put(&farAway, 0x3C, 0xFFFFFFF0u, 4);
  EXPECT_EQ(SignatureState::kNotAProgram, FindSignature(farAway)) << "a PE offset past the end";
}

TEST(PeSignatureTest, SignedInstallerIsRefusedWithTheWayOut) {
  TestFolder folder;
  const std::vector<uint8_t> signedImage = Image(0x10B, 16, 0x4000, 0x900);
  const std::vector<uint8_t> unsignedImage = Image(0x10B, 16, 0, 0);
  const std::string signedPath =
      folder.Write("Signed.exe", std::string(signedImage.begin(), signedImage.end()));
  const std::string unsignedPath =
      folder.Write("Setup.exe", std::string(unsignedImage.begin(), unsignedImage.end()));
  const std::string textPath = folder.Write("notes.txt", "not a program");

  EXPECT_EQ("the installer \"" + signedPath +
                "\" carries an Authenticode signature, which packing would break: pack the "
                "unsigned Setup.exe and sign the finished installer after packing",
            RefuseSignedInstaller(signedPath));
  EXPECT_EQ("", RefuseSignedInstaller(unsignedPath));
  EXPECT_EQ("", RefuseSignedInstaller(textPath)) << "the resource update tells what is wrong";
  EXPECT_NE("", RefuseSignedInstaller(folder.path() + "/missing.exe"));
}

}  // namespace
}  // namespace packer
