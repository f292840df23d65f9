#include "CodePage1252.h"

#include <gtest/gtest.h>

namespace packer {
namespace {

TEST(CodePage1252Test, Decodes) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string want;
  } kCases[] = {
      {"ASCII", "Brenmoor", u"Brenmoor"},
      {"a Latin-1 letter", "Sant\xE9", u"Sant\u00E9"},
      {"1252's own letters between 0x80 and 0x9F", "\x80\x8A\x9F", u"\u20AC\u0160\u0178"},
      {"1252's unassigned bytes keep their value", "\x81\x8D", u"\u0081\u008D"},
      // The installer reads no encoding declaration: UTF-8 bytes are two characters.
      {"UTF-8 bytes are two 1252 characters", "Sant\xC3\xA9", u"Sant\u00C3\u00A9"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, DecodeCodePage1252(c.bytes)) << c.name;
}

TEST(CodePage1252Test, EncodingIsTheExactInverse) {
  std::string every;
  for (int byte = 0; byte < 256; ++byte) every.push_back(static_cast<char>(byte));
  EXPECT_EQ(every, EncodeCodePage1252(DecodeCodePage1252(every)));
}

TEST(CodePage1252Test, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ("?.?", EncodeCodePage1252(u"\u0080.\uFF0E"));
}

}  // namespace
}  // namespace packer
