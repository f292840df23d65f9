#include "VersionResource.h"

namespace packer {
namespace {

constexpr uint16_t kBinaryNode = 0;
constexpr uint16_t kTextNode = 1;
constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedStructVersion = 0x00010000;
constexpr uint32_t kFileFlagsMask = 0x3F;     // VS_FFI_FILEFLAGSMASK
constexpr uint32_t kOsNtWindows32 = 0x00040004;  // VOS_NT_WINDOWS32
constexpr uint32_t kTypeApplication = 1;         // VFT_APP
constexpr size_t kFixedInfoSize = 13 * 4;

using Bytes = std::vector<uint8_t>;

void Put16(Bytes* out, uint16_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes* out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// UTF-16 little-endian with its terminating NUL.
void PutText(Bytes* out, const std::u16string& text) {
  for (const char16_t c : text) Put16(out, static_cast<uint16_t>(c));
  Put16(out, 0);
}

// Every node and every child starts on a 32-bit boundary of the resource.
void Align(Bytes* out) {
  while (out->size() % 4 != 0) out->push_back(0);
}

// One node: length, value length, type, key, padding, value, then each child after padding.
// The length counts everything but the padding after the node's own end. |valueLength| is in
// bytes for binary values and in characters (the NUL included) for text. Empty when the node
// is longer than its 16-bit length can say, or a child is.
Bytes Node(const std::u16string& key, uint16_t type, const Bytes& value, uint16_t valueLength,
           const std::vector<Bytes>& children) {
  Bytes node;
  Put16(&node, 0);  // the length, set below
  Put16(&node, valueLength);
  Put16(&node, type);
  PutText(&node, key);
  Align(&node);
  node.insert(node.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    if (child.empty()) return {};  // a child that was too long: so is this node
    Align(&node);
    node.insert(node.end(), child.begin(), child.end());
  }
  // A length past 16 bits cannot be written; the whole resource is then refused (below).
  if (node.size() > 0xFFFF) return {};
  node[0] = static_cast<uint8_t>(node.size());
  node[1] = static_cast<uint8_t>(node.size() >> 8);
  return node;
}

Bytes StringNode(const std::u16string& name, const std::u16string& text) {
  Bytes value;
  PutText(&value, text);
  return Node(name, kTextNode, value, static_cast<uint16_t>(text.size() + 1), {});
}

Bytes FixedInfo(const VersionNumbers& numbers) {
  const uint32_t high = (static_cast<uint32_t>(numbers[0]) << 16) | numbers[1];
  const uint32_t low = (static_cast<uint32_t>(numbers[2]) << 16) | numbers[3];
  Bytes fixed;
  for (const uint32_t field : {kFixedSignature, kFixedStructVersion, high, low, high, low,
                               kFileFlagsMask, 0u, kOsNtWindows32, kTypeApplication, 0u, 0u, 0u}) {
    Put32(&fixed, field);
  }
  return fixed;
}

std::u16string TableName() {
  static const char kHex[] = "0123456789ABCDEF";
  const uint32_t id = (static_cast<uint32_t>(kVersionLanguage) << 16) | kVersionCodePage;
  std::u16string name;
  for (int shift = 28; shift >= 0; shift -= 4) name.push_back(kHex[(id >> shift) & 0xF]);
  return name;
}

}  // namespace

VersionNumbers ReadVersionNumbers(const std::string& version) {
  VersionNumbers numbers = {};
  size_t at = 0;
  for (size_t index = 0; index < numbers.size(); ++index) {
    if (at >= version.size() || version[at] < '0' || version[at] > '9') break;
    uint32_t value = 0;
    while (at < version.size() && version[at] >= '0' && version[at] <= '9' && value <= 65535) {
      value = value * 10 + static_cast<uint32_t>(version[at++] - '0');
    }
    if (value > 65535) break;
    numbers[index] = static_cast<uint16_t>(value);
    if (at >= version.size() || version[at] != '.') break;
    ++at;
  }
  return numbers;
}

std::vector<uint8_t> BuildVersionResource(const InstallerLabel& label) {
  const Bytes table = Node(TableName(), kTextNode, {}, 0,
                           {StringNode(u"Comments", label.comments),
                            StringNode(u"CompanyName", label.companyName),
                            StringNode(u"FileDescription", label.fileDescription),
                            StringNode(u"FileVersion", label.versionText),
                            StringNode(u"InternalName", label.internalName),
                            StringNode(u"LegalCopyright", label.legalCopyright),
                            StringNode(u"OriginalFilename", label.originalFilename),
                            StringNode(u"ProductName", label.productName),
                            StringNode(u"ProductVersion", label.versionText)});
  Bytes translation;
  Put16(&translation, kVersionLanguage);
  Put16(&translation, kVersionCodePage);
  const Bytes variables =
      Node(u"VarFileInfo", kTextNode, {}, 0,
           {Node(u"Translation", kBinaryNode, translation, 4, {})});
  return Node(u"VS_VERSION_INFO", kBinaryNode, FixedInfo(label.numbers), kFixedInfoSize,
              {Node(u"StringFileInfo", kTextNode, {}, 0, {table}), variables});
}

}  // namespace packer
