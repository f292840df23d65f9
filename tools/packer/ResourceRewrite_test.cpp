#include "ResourceRewrite.h"

#include <gtest/gtest.h>

#include "DemoRequest.h"

#include "ByteAccess.h"
#include "FileSystem.h"
#include "FinishedInstaller.h"
#include "InstallerLabel.h"
#include "PackStep.h"
#include "TestFolder.h"
#include "ImageChecksum.h"
#include "PeImage.h"
#include "PeSignature.h"

namespace packer {
namespace {

std::vector<uint8_t> ReadFixture(const std::string& name) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(std::string(FIXTURE_DIR) + "/" + name, UINT32_MAX, &bytes), "") << name;
  return bytes;
}

std::vector<ResourceEntry> ResourcesOf(const std::vector<uint8_t>& image) {
  PeLayout layout;
  std::vector<ResourceEntry> entries;
  EXPECT_EQ(ReadPeLayout(image, &layout), "");
  EXPECT_EQ(ReadResources(image, layout, &entries), "");
  return entries;
}

std::string Describe(const ResourceEntry& entry) {
  auto key = [](const ResourceKey& k) {
    return k.IsText() ? std::string(k.text.begin(), k.text.end()) : std::to_string(k.id);
  };
  return key(entry.type) + "/" + key(entry.name) + "/" + std::to_string(entry.language) + " (" +
         std::to_string(entry.data.size()) + " bytes)";
}

const ResourceEntry* Find(const std::vector<ResourceEntry>& entries, const ResourceKey& type,
                          const ResourceKey& name) {
  for (const ResourceEntry& entry : entries) {
    if (entry.type == type && entry.name == name) return &entry;
  }
  return nullptr;
}

// The loader's way to a resource (FindResource): a binary search of each directory, texts
// compared by their UTF-16 units before the numbers, then the first language. Answers the data
// or nothing.
const std::vector<uint8_t>* LoaderFinds(const std::vector<uint8_t>& image,
                                        const ResourceKey& type, const ResourceKey& name,
                                        std::vector<uint8_t>* found) {
  PeLayout layout;
  if (!ReadPeLayout(image, &layout).empty()) return nullptr;
  const PeDirectory resources = ReadDirectory(image, layout, kResourceDirectory);
  size_t base = 0;
  if (!RvaToFileOffset(layout, resources.address, 16, &base)) return nullptr;
  auto keyAt = [&](size_t entry) {
    uint32_t field = 0;
    ReadLittleEndian(image, entry, 4, &field);
    if ((field & 0x80000000u) == 0) return ResourceKey::Number(static_cast<uint16_t>(field));
    uint32_t length = 0, unit = 0;
    const size_t at = base + (field & 0x7FFFFFFFu);
    ReadLittleEndian(image, at, 2, &length);
    std::u16string text;
    for (uint32_t c = 0; c < length; ++c) {
      ReadLittleEndian(image, at + 2 + 2 * c, 2, &unit);
      text.push_back(static_cast<char16_t>(unit));
    }
    return ResourceKey::Text(text);
  };
  auto search = [&](size_t directory, const ResourceKey* wanted, uint32_t* target) {
    uint32_t named = 0, numbered = 0;
    ReadLittleEndian(image, directory + 12, 2, &named);
    ReadLittleEndian(image, directory + 14, 2, &numbered);
    int low = wanted == nullptr ? 0 : (wanted->IsText() ? 0 : static_cast<int>(named));
    int high = wanted == nullptr ? 0
                                 : (wanted->IsText() ? static_cast<int>(named)
                                                     : static_cast<int>(named + numbered)) - 1;
    while (low <= high) {
      const int middle = (low + high) / 2;
      const size_t entry = directory + 16 + 8 * static_cast<size_t>(middle);
      const ResourceKey key = keyAt(entry);
      if (wanted == nullptr || key == *wanted) return ReadLittleEndian(image, entry + 4, 4, target);
      if (key < *wanted) {
        low = middle + 1;
      } else {
        high = middle - 1;
      }
    }
    return false;
  };
  uint32_t names = 0, languages = 0, data = 0, rva = 0, size = 0;
  if (!search(base, &type, &names) ||
      !search(base + (names & 0x7FFFFFFFu), &name, &languages) ||
      !search(base + (languages & 0x7FFFFFFFu), nullptr, &data) ||
      !ReadLittleEndian(image, base + data, 4, &rva) ||
      !ReadLittleEndian(image, base + data + 4, 4, &size)) {
    return nullptr;
  }
  size_t at = 0;
  if (!RvaToFileOffset(layout, rva, size, &at)) return nullptr;
  found->assign(image.begin() + at, image.begin() + at + size);
  return found;
}

TEST(ResourceRewriteTest, ReplacesThePayloadAddsTheVersionAndKeepsTheRest) {
  std::vector<uint8_t> image = ReadFixture("TinySetup.exe");
  const std::vector<ResourceEntry> before = ResourcesOf(image);
  const std::vector<uint8_t> payload(3000, 0x5A);
  const std::vector<uint8_t> version = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RewriteResources(FinishedInstallerChanges(payload, version), &image), "");

  const std::vector<ResourceEntry> after = ResourcesOf(image);
  ASSERT_EQ(after.size(), before.size() + 1);
  for (const ResourceEntry& old : before) {
    const ResourceEntry* now = Find(after, old.type, old.name);
    ASSERT_NE(now, nullptr) << Describe(old);
    EXPECT_EQ(now->language, old.language) << Describe(old);
    if (old.type.text != kPayloadType) EXPECT_EQ(now->data, old.data) << Describe(old);
  }
  std::vector<uint8_t> found;
  ASSERT_NE(LoaderFinds(image, ResourceKey::Text(kPayloadType),
                        ResourceKey::Number(kPayloadName), &found),
            nullptr);
  EXPECT_EQ(found, payload);
  ASSERT_NE(LoaderFinds(image, ResourceKey::Number(kVersionType), ResourceKey::Number(1), &found),
            nullptr);
  EXPECT_EQ(found, version);
}

TEST(ResourceRewriteTest, HeadersDescribeTheNewSection) {
  std::vector<uint8_t> image = ReadFixture("TinySetup.exe");
  ASSERT_EQ(RewriteResources(FinishedInstallerChanges(std::vector<uint8_t>(70000, 1), {}),
                             &image),
            "");
  PeLayout layout;
  ASSERT_EQ(ReadPeLayout(image, &layout), "");
  const PeSection& last = layout.sections.back();
  const PeDirectory resources = ReadDirectory(image, layout, kResourceDirectory);
  EXPECT_EQ(last.name, ".rsrc");
  EXPECT_EQ(resources.address, last.virtualAddress);
  EXPECT_EQ(resources.size, last.virtualSize);
  EXPECT_EQ(image.size(), size_t{last.rawOffset} + last.rawSize);
  EXPECT_EQ(last.rawSize % layout.fileAlignment, 0u);
  uint32_t sizeOfImage = 0, checkSum = 0, symbols = 0;
  ReadLittleEndian(image, layout.optionalHeaderOffset + kSizeOfImageField, 4, &sizeOfImage);
  ReadLittleEndian(image, layout.optionalHeaderOffset + kCheckSumField, 4, &checkSum);
  ReadLittleEndian(image, layout.fileHeaderOffset + 8, 4, &symbols);
  EXPECT_EQ(sizeOfImage, AlignUp(last.virtualAddress + last.virtualSize, layout.sectionAlignment));
  EXPECT_EQ(checkSum, ComputeImageChecksum(image, layout.optionalHeaderOffset + kCheckSumField));
  EXPECT_NE(checkSum, 0u);
  EXPECT_EQ(symbols, 0u);

  // A finished installer can be finished again: its resource section is now the last one and is
  // rebuilt in place.
  const size_t sections = layout.sections.size();
  ASSERT_EQ(RewriteResources(FinishedInstallerChanges({9, 9}, {}), &image), "");
  ASSERT_EQ(ReadPeLayout(image, &layout), "");
  EXPECT_EQ(layout.sections.size(), sections);
  std::vector<uint8_t> found;
  ASSERT_NE(LoaderFinds(image, ResourceKey::Text(kPayloadType),
                        ResourceKey::Number(kPayloadName), &found),
            nullptr);
  EXPECT_EQ(found, (std::vector<uint8_t>{9, 9}));
}

TEST(ResourceRewriteTest, ChecksumAgreesWithTheSystemsOnTheWindowsBuildsInstaller) {
  // TinySetup-win32.exe was finished by the Windows build, whose checksum is
  // MapFileAndCheckSum's.
  const std::vector<uint8_t> image = ReadFixture("TinySetup-win32.exe");
  PeLayout layout;
  ASSERT_EQ(ReadPeLayout(image, &layout), "");
  uint32_t stored = 0;
  ReadLittleEndian(image, layout.optionalHeaderOffset + kCheckSumField, 4, &stored);
  EXPECT_NE(stored, 0u);
  EXPECT_EQ(ComputeImageChecksum(image, layout.optionalHeaderOffset + kCheckSumField), stored);
}

TEST(ResourceRewriteTest, TreeRoundTripSortsNamesBeforeNumbers) {
  std::vector<ResourceEntry> entries(4);
  entries[0] = {ResourceKey::Number(3), ResourceKey::Number(2), 0x409, {1}, 0};
  entries[1] = {ResourceKey::Text(u"ZED"), ResourceKey::Text(u"B"), 0, {2, 2}, 0};
  entries[2] = {ResourceKey::Text(u"ALPHA"), ResourceKey::Number(7), 7, {3, 3, 3}, 1252};
  entries[3] = {ResourceKey::Number(3), ResourceKey::Number(1), 0x409, {4}, 0};
  std::vector<uint8_t> image = ReadFixture("TinySetup.exe");
  ResourceChanges changes;
  changes.removedTypes = {24};  // the manifest
  changes.added = entries;
  changes.added.push_back(entries[1]);  // the same key again: the later one wins
  changes.added.back().data = {5};
  ASSERT_EQ(RewriteResources(changes, &image), "");
  const std::vector<ResourceEntry> read = ResourcesOf(image);
  const char* const kOrder[] = {"ALPHA/7/7 (3 bytes)", "IDR_EXE/130/0 (27 bytes)",
                                "ZED/B/0 (1 bytes)", "3/1/1033 (1 bytes)", "3/2/1033 (1 bytes)"};
  ASSERT_EQ(read.size(), std::size(kOrder));
  for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(Describe(read[i]), kOrder[i]) << i;
  EXPECT_EQ(read[0].codePage, 1252u);
}

TEST(ResourceRewriteTest, RefusesWhatItCannotRewrite) {
  const std::vector<uint8_t> fixture = ReadFixture("TinySetup.exe");
  PeLayout layout;
  ASSERT_EQ(ReadPeLayout(fixture, &layout), "");
  std::vector<uint8_t> signedImage = fixture;
  const size_t certificates = DirectoryEntryOffset(layout, kCertificateDirectory);
  WriteLittleEndian(&signedImage, certificates, 4, static_cast<uint32_t>(fixture.size()));
  WriteLittleEndian(&signedImage, certificates + 4, 4, 8);
  std::vector<uint8_t> crowded = fixture;
  // A section table that reaches the first section's data leaves no room for another entry.
  WriteLittleEndian(&crowded, layout.optionalHeaderOffset + 60, 4,
                    static_cast<uint32_t>(layout.sectionTableOffset +
                                          layout.sections.size() * kSectionHeaderSize));
  std::vector<uint8_t> brokenTree = fixture;
  const size_t resources = DirectoryEntryOffset(layout, kResourceDirectory);
  WriteLittleEndian(&brokenTree, resources, 4, 0x7FFFF000);
  const struct {
    const char* name;
    std::vector<uint8_t> image;
    std::string want;
  } kCases[] = {
      {"not a program", std::vector<uint8_t>(600, 0x4D),
       "it is no Windows program (no MZ or PE signature)"},
      {"signed", signedImage,
       "it carries a certificate table, which a change of its resources would break"},
      {"no room for a section", crowded,
       "its section table has no room for a new resource section"},
      {"resources outside every section", brokenTree,
       "the resource directory lies outside every section's data"},
  };
  for (const auto& c : kCases) {
    std::vector<uint8_t> image = c.image;
    EXPECT_EQ(RewriteResources(FinishedInstallerChanges({1}, {}), &image), c.want) << c.name;
    EXPECT_EQ(image, c.image) << c.name;
  }
}

// TinySetup-win32.exe is the demo product packed into TinySetup.exe by the Windows build under
// Wine (fixtures/make_fixtures.sh); packing the same into the same program here gives the same
// resources, byte for byte.
TEST(ResourceRewriteTest, SameResourcesAsTheWindowsBuild) {
  TestFolder folder;
  PackRequest request = DemoRequest();
  const std::string output = folder.path() + "/TinySetup-win32.exe";
  PackResult packed;
  std::vector<uint8_t> version;
  ASSERT_EQ(BuildPayload(request, &packed), "");
  ASSERT_EQ(BuildInstallerVersionResource(request, {output, "(C) 2026 QVX"}, &version), "");
  ASSERT_EQ(WriteFinishedInstallerImage(std::string(FIXTURE_DIR) + "/TinySetup.exe", output,
                                        FinishedInstallerChanges(packed.payload, version)),
            "");
  std::vector<uint8_t> native;
  ASSERT_EQ(ReadWholeFile(output, UINT32_MAX, &native), "");

  const std::vector<ResourceEntry> ours = ResourcesOf(native);
  const std::vector<ResourceEntry> theirs = ResourcesOf(ReadFixture("TinySetup-win32.exe"));
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    EXPECT_EQ(Describe(ours[i]), Describe(theirs[i])) << i;
    EXPECT_EQ(ours[i].data, theirs[i].data) << Describe(theirs[i]);
  }
}

}  // namespace
}  // namespace packer
