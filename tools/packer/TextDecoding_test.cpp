#include "TextDecoding.h"

#include <gtest/gtest.h>

namespace packer {
namespace {

TEST(TextDecodingTest, Utf8Or1252) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string want;
  } kCases[] = {
      {"ASCII", "Brenmoor", u"Brenmoor"},
      {"UTF-8", "Sant\xC3\xA9", u"Sant\u00E9"},
      {"code page 1252", "Sant\xE9", u"Sant\u00E9"},
      {"1252's own letters between 0x80 and 0x9F", "\x80\x8A\x9F", u"\u20AC\u0160\u0178"},
      {"1252's unassigned bytes keep their value", "\x81\x8D", u"\u0081\u008D"},
      {"a lead byte without its continuation is 1252", "\xC3 x", u"\u00C3 x"},
      {"an overlong form is 1252", "\xC0\xAF", u"\u00C0\u00AF"},
      {"a UTF-8 surrogate is 1252", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},
      {"past the basic plane: a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, DecodeUtf8Or1252(c.bytes)) << c.name;
}

TEST(TextDecodingTest, XmlDocumentsByTheirDeclaration) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string want;
  } kCases[] = {
      {"declared UTF-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xC3\xA9</a>",
       u"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\u00E9</a>"},
      {"declared UTF-8, malformed bytes", "<?xml encoding='UTF8'?><a>\xE9</a>",
       u"<?xml encoding='UTF8'?><a>\uFFFD</a>"},
      {"declared 1252, bytes that would be UTF-8", "<?xml encoding=\"windows-1252\"?>\xC3\xA9",
       u"<?xml encoding=\"windows-1252\"?>\u00C3\u00A9"},
      {"no declaration, 1252 bytes", "<a>\xE9</a>", u"<a>\u00E9</a>"},
      {"a declaration without an encoding", "<?xml version=\"1.0\"?>\xC3\xA9",
       u"<?xml version=\"1.0\"?>\u00E9"},
      {"the UTF-8 byte-order mark is dropped", "\xEF\xBB\xBF<a/>", u"<a/>"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, DecodeXmlDocument(c.bytes)) << c.name;
}

}  // namespace
}  // namespace packer
