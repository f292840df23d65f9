#include "Sha256.h"

#include <gtest/gtest.h>

namespace packer {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> Counting(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

TEST(Sha256Test, StandardVectorsAndBlockEdges) {
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* want;
  } kCases[] = {
      {"empty", {}, "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", Bytes("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"two blocks of padding",
       Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {"55 bytes: the length still fits the block", Counting(55),
       "463EB28E72F82E0A96C0A4CC53690C571281131F672AA229E0D45AE59B598B59"},
      {"one whole block", Counting(64),
       "FDEAB9ACF3710362BD2658CDC9A29E8F9C757FCF9811603A8C447CD1D9151108"},
      {"a million a", std::vector<uint8_t>(1000000, 'a'),
       "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Sha256Hex(c.bytes), c.want) << c.name;
}

}  // namespace
}  // namespace packer
