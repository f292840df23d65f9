#include "VersionResource.h"

#include <gtest/gtest.h>

#include <utility>

namespace packer {
namespace {

TEST(VersionResourceTest, NumbersAsFarAsTheyFitFour) {
  const struct {
    const char* version;
    VersionNumbers want;
  } kCases[] = {
      {"1.6.0003.0000.0035", {1, 6, 3, 0}},
      {"1.7.0000.0000.0001", {1, 7, 0, 0}},
      {"10", {10, 0, 0, 0}},
      {"2.1", {2, 1, 0, 0}},
      {"2.1-beta.3", {2, 1, 0, 0}},
      {"1.6.", {1, 6, 0, 0}},
      {"1..2", {1, 0, 0, 0}},
      {"65535.65535.65535.65535", {65535, 65535, 65535, 65535}},
      {"1.65536.2", {1, 0, 0, 0}},
      {"99999999999999999999", {0, 0, 0, 0}},
      {"v2", {0, 0, 0, 0}},
      {"", {0, 0, 0, 0}},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, ReadVersionNumbers(c.version)) << c.version;
}

// The resource read back node by node, as Windows reads it: every node's key, its value and
// its children, with the lengths and the 32-bit alignment checked on the way.
struct ParsedNode {
  std::u16string key;
  uint16_t type = 0;
  uint16_t valueLength = 0;
  std::vector<uint8_t> value;
  std::vector<ParsedNode> children;
};

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

size_t Aligned(size_t at) { return (at + 3) & ~size_t{3}; }

// Parses the node at |at|: a text node (type 1) counts its value in characters, a binary one
// (the root, Translation) in bytes.
ParsedNode Parse(const std::vector<uint8_t>& bytes, size_t at) {
  ParsedNode node;
  EXPECT_EQ(0u, at % 4) << "a node starts on a 32-bit boundary";
  const size_t length = Word(bytes, at);
  const size_t end = at + length;
  EXPECT_LE(end, bytes.size());
  node.valueLength = Word(bytes, at + 2);
  node.type = Word(bytes, at + 4);
  size_t cursor = at + 6;
  while (cursor + 1 < end && Word(bytes, cursor) != 0) {
    node.key.push_back(static_cast<char16_t>(Word(bytes, cursor)));
    cursor += 2;
  }
  cursor = Aligned(cursor + 2);
  const size_t valueSize = node.type == 1 ? node.valueLength * 2u : node.valueLength;
  node.value.assign(bytes.begin() + cursor, bytes.begin() + cursor + valueSize);
  size_t contentEnd = cursor + valueSize;
  cursor = Aligned(contentEnd);
  while (cursor < end) {
    const size_t childLength = Word(bytes, cursor);
    if (childLength == 0) break;  // a broken child: stop rather than loop
    node.children.push_back(Parse(bytes, cursor));
    contentEnd = cursor + childLength;
    cursor = Aligned(contentEnd);
  }
  EXPECT_EQ(end, contentEnd) << "the length ends with the value or the last child";
  return node;
}

std::u16string TextOf(const ParsedNode& node) {
  std::u16string text;
  for (size_t i = 0; i + 1 < node.value.size(); i += 2) {
    text.push_back(static_cast<char16_t>(node.value[i] | (node.value[i + 1] << 8)));
  }
  EXPECT_EQ(u'\0', text.empty() ? u'?' : text.back()) << "strings end in a NUL";
  if (!text.empty()) text.pop_back();
  return text;
}

uint32_t DwordAt(const std::vector<uint8_t>& bytes, size_t at) {
  return Word(bytes, at) | (static_cast<uint32_t>(Word(bytes, at + 2)) << 16);
}

TEST(VersionResourceTest, LayoutAsWindowsReadsIt) {
  InstallerLabel label;
  label.companyName = u"QVX";
  label.productName = u"Sant\u00E9";  // an odd length keeps the padding honest
  label.fileDescription = u"Sant\u00E9 Setup";
  label.versionText = u"1.6.0003.0000.0035";
  label.numbers = {1, 6, 3, 0};
  label.originalFilename = u"NorvaneSetup.exe";
  label.internalName = u"NorvaneSetup";
  label.legalCopyright = u"Copyright (C) QVX";
  const std::vector<uint8_t> bytes = BuildVersionResource(label);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.size(), Word(bytes, 0)) << "the root's length is the whole resource";

  const ParsedNode root = Parse(bytes, 0);
  EXPECT_EQ(u"VS_VERSION_INFO", root.key);
  ASSERT_EQ(52u, root.value.size());
  EXPECT_EQ(0xFEEF04BDu, DwordAt(root.value, 0));
  EXPECT_EQ(0x00010006u, DwordAt(root.value, 8)) << "file version 1.6";
  EXPECT_EQ(0x00030000u, DwordAt(root.value, 12)) << "file version .3.0";
  EXPECT_EQ(0x00010006u, DwordAt(root.value, 16)) << "product version 1.6";
  EXPECT_EQ(0x00030000u, DwordAt(root.value, 20)) << "product version .3.0";
  EXPECT_EQ(0x00040004u, DwordAt(root.value, 32)) << "VOS_NT_WINDOWS32";
  EXPECT_EQ(1u, DwordAt(root.value, 36)) << "VFT_APP";

  ASSERT_EQ(2u, root.children.size());
  const ParsedNode& strings = root.children[0];
  EXPECT_EQ(u"StringFileInfo", strings.key);
  ASSERT_EQ(1u, strings.children.size());
  EXPECT_EQ(u"040904B0", strings.children[0].key);
  std::vector<std::pair<std::u16string, std::u16string>> values;
  for (const ParsedNode& string : strings.children[0].children) {
    EXPECT_EQ(1, string.type) << "text";
    values.push_back({string.key, TextOf(string)});
  }
  EXPECT_EQ((std::vector<std::pair<std::u16string, std::u16string>>{
                {u"Comments", u""},
                {u"CompanyName", u"QVX"},
                {u"FileDescription", u"Sant\u00E9 Setup"},
                {u"FileVersion", u"1.6.0003.0000.0035"},
                {u"InternalName", u"NorvaneSetup"},
                {u"LegalCopyright", u"Copyright (C) QVX"},
                {u"OriginalFilename", u"NorvaneSetup.exe"},
                {u"ProductName", u"Sant\u00E9"},
                {u"ProductVersion", u"1.6.0003.0000.0035"},
            }),
            values);

  const ParsedNode& variables = root.children[1];
  EXPECT_EQ(u"VarFileInfo", variables.key);
  ASSERT_EQ(1u, variables.children.size());
  EXPECT_EQ(u"Translation", variables.children[0].key);
  EXPECT_EQ(0x04B00409u, DwordAt(variables.children[0].value, 0)) << "US English, Unicode";
}

TEST(VersionResourceTest, StringsTooLongForTheLengthsAreRefused) {
  InstallerLabel label;
  label.companyName = std::u16string(20000, u'Q');
  label.productName = u"P";
  EXPECT_FALSE(BuildVersionResource(label).empty()) << "40,000 bytes of strings still fit";
  label.productName = std::u16string(20000, u'P');
  EXPECT_TRUE(BuildVersionResource(label).empty()) << "together past 64 KiB";
  label.companyName = std::u16string(40000, u'Q');
  label.productName = u"P";
  EXPECT_TRUE(BuildVersionResource(label).empty()) << "one string past 64 KiB";
}

}  // namespace
}  // namespace packer
