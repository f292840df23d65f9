#include "package/codec/PayloadFormat.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace payload {
namespace {

std::vector<uint8_t> MakeArchive(const std::string& content) {
  ArchiveWriter writer("Norvane", "1.6.0003.0000.0035", "<appConfig/>");
  EXPECT_EQ(writer.AddFile("BrenmoorEHR\\locales\\am.pak",
                           reinterpret_cast<const uint8_t*>(content.data()), content.size()),
            "");
  return writer.Finish();
}

std::vector<uint8_t> MakePayload(const std::vector<uint8_t>& archive) {
  std::vector<uint8_t> payload;
  EXPECT_EQ(CompressPayload(archive, &payload), "");
  return payload;
}

void PutU32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(PayloadFormatTest, HeaderIsTwoLittleEndianWords) {
  const uint8_t bytes[] = {0x78, 0x56, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 0xAA};
  PayloadHeader header;
  ASSERT_TRUE(ReadPayloadHeader(bytes, sizeof(bytes), &header));
  EXPECT_EQ(header.uncompressedSize, 0x12345678u);
  EXPECT_EQ(header.compressedSize, 0x01020304u);
  for (size_t size = 0; size < kHeaderSize; ++size) {
    PayloadHeader untouched{7, 9};
    EXPECT_FALSE(ReadPayloadHeader(bytes, size, &untouched)) << "size " << size;
    EXPECT_EQ(untouched.uncompressedSize, 7u) << "size " << size;
  }
}

TEST(PayloadFormatTest, PayloadIsHeaderAndOneDefaultLevelStreamAndNothingElse) {
  const std::vector<uint8_t> archive = MakeArchive(std::string(1000, 'x'));
  const std::vector<uint8_t> payload = MakePayload(archive);
  PayloadHeader header;
  ASSERT_TRUE(ReadPayloadHeader(payload.data(), payload.size(), &header));
  EXPECT_EQ(header.uncompressedSize, archive.size());
  EXPECT_EQ(header.compressedSize, payload.size() - kHeaderSize);
  ASSERT_GE(payload.size(), kHeaderSize + 2);
  EXPECT_EQ(payload[8], 0x78);
  EXPECT_EQ(payload[9], 0x9C);

  // zlib alone, with nothing of the codec, gets the archive back from the stream.
  std::vector<uint8_t> plain(archive.size());
  uLongf plainSize = plain.size();
  uLong streamSize = header.compressedSize;
  ASSERT_EQ(uncompress2(plain.data(), &plainSize, payload.data() + 8, &streamSize), Z_OK);
  EXPECT_EQ(streamSize, header.compressedSize);  // the stream fills the rest exactly
  EXPECT_EQ(plain, archive);
}

TEST(PayloadFormatTest, DecompressGivesTheArchiveWithANulGuard) {
  const std::vector<uint8_t> archive = MakeArchive(std::string(100000, 'y'));
  const std::vector<uint8_t> payload = MakePayload(archive);
  ArchiveBuffer buffer;
  ASSERT_EQ(DecompressPayload(payload.data(), payload.size(), &buffer), DecompressStatus::kOk);
  ASSERT_EQ(buffer.size, archive.size());
  EXPECT_TRUE(std::equal(archive.begin(), archive.end(), buffer.bytes.get()));
  EXPECT_EQ(buffer.bytes[buffer.size], 0);
}

TEST(PayloadFormatTest, EmptyProductRoundTrips) {
  const std::vector<uint8_t> archive = ArchiveWriter("Empty", "0.0", "").Finish();
  const std::vector<uint8_t> payload = MakePayload(archive);
  ArchiveBuffer buffer;
  ASSERT_EQ(DecompressPayload(payload.data(), payload.size(), &buffer), DecompressStatus::kOk);
  ArchiveSummary summary;
  ASSERT_EQ(ValidateArchive(buffer.bytes.get(), buffer.size, &summary), "");
  EXPECT_EQ(summary.productName, "Empty");
  EXPECT_EQ(summary.fileCount, 0u);
}

TEST(PayloadFormatTest, ExtraBytesAfterTheResourcesStreamAreIgnored) {
  std::vector<uint8_t> payload = MakePayload(MakeArchive("abc"));
  payload.push_back(0xEE);
  ArchiveBuffer buffer;
  EXPECT_EQ(DecompressPayload(payload.data(), payload.size(), &buffer), DecompressStatus::kOk);
}

TEST(PayloadFormatTest, BrokenPayloadsGiveTheirStatusAndAnEmptyBuffer) {
  const std::vector<uint8_t> archive = MakeArchive(std::string(5000, 'z'));
  const std::vector<uint8_t> good = MakePayload(archive);
  const uint32_t realSize = static_cast<uint32_t>(archive.size());
  const uint32_t streamSize = static_cast<uint32_t>(good.size() - kHeaderSize);
  struct Case {
    const char* name;
    std::vector<uint8_t> payload;
    DecompressStatus want;
  };
  std::vector<Case> cases;
  auto edited = [&](const char* name, DecompressStatus want, auto edit) {
    std::vector<uint8_t> copy = good;
    edit(&copy);
    cases.push_back({name, copy, want});
  };
  for (size_t cut : {size_t{0}, size_t{4}, size_t{7}}) {
    cases.push_back({"shorter than the header",
                     std::vector<uint8_t>(good.begin(), good.begin() + cut),
                     DecompressStatus::kTruncatedResource});
  }
  edited("stream cut by one byte", DecompressStatus::kTruncatedResource,
         [](std::vector<uint8_t>* p) { p->pop_back(); });
  edited("compressedSize far beyond the resource", DecompressStatus::kTruncatedResource,
         [](std::vector<uint8_t>* p) { PutU32(p, 4, 0xFFFFFFFFu); });
  edited("first u32 one smaller", DecompressStatus::kCorruptStream,
         [&](std::vector<uint8_t>* p) { PutU32(p, 0, realSize - 1); });
  edited("first u32 zero", DecompressStatus::kCorruptStream,
         [&](std::vector<uint8_t>* p) { PutU32(p, 0, 0); });
  edited("first u32 0x7fffffff: more than any installable product", DecompressStatus::kOversized,
         [](std::vector<uint8_t>* p) { PutU32(p, 0, 0x7FFFFFFFu); });
  edited("first u32 one byte over the largest product", DecompressStatus::kOversized,
         [](std::vector<uint8_t>* p) {
           PutU32(p, 0, static_cast<uint32_t>(kLargestInstallableBytes + 1));
         });
  edited("first u32 one larger", DecompressStatus::kSizeMismatch,
         [&](std::vector<uint8_t>* p) { PutU32(p, 0, realSize + 1); });
  edited("compressedSize one short of the stream", DecompressStatus::kCorruptStream,
         [&](std::vector<uint8_t>* p) { PutU32(p, 4, streamSize - 1); });
  edited("checksum wrong", DecompressStatus::kCorruptStream,
         [](std::vector<uint8_t>* p) { p->back() ^= 0x01; });
  edited("zlib header wrong", DecompressStatus::kCorruptStream,
         [](std::vector<uint8_t>* p) { (*p)[9] = 0x00; });
  edited("not zlib at all", DecompressStatus::kCorruptStream, [](std::vector<uint8_t>* p) {
    std::fill(p->begin() + kHeaderSize, p->end(), 0xA5);
  });

  for (const auto& c : cases) {
    ArchiveBuffer buffer;
    buffer.bytes.reset(new uint8_t[4]);
    buffer.size = 4;
    EXPECT_EQ(DecompressPayload(c.payload.data(), c.payload.size(), &buffer), c.want) << c.name;
    EXPECT_EQ(buffer.bytes, nullptr) << c.name;
    EXPECT_EQ(buffer.size, 0u) << c.name;
  }
}

TEST(PayloadFormatTest, CompressRefusesAnUnsoundArchive) {
  std::vector<uint8_t> archive = MakeArchive("abc");
  archive.push_back('!');
  std::vector<uint8_t> payload = {1, 2, 3};
  const std::string answer = CompressPayload(archive, &payload);
  EXPECT_NE(answer.find("1 bytes after its last entry"), std::string::npos) << answer;
  EXPECT_EQ(payload, (std::vector<uint8_t>{1, 2, 3}));

  // The unchecked step packs it all the same, for tests that need such payloads.
  ASSERT_EQ(CompressArchiveBytes(archive.data(), archive.size(), &payload), "");
  ArchiveBuffer buffer;
  ASSERT_EQ(DecompressPayload(payload.data(), payload.size(), &buffer), DecompressStatus::kOk);
  EXPECT_NE(ValidateArchive(buffer.bytes.get(), buffer.size, nullptr), "");
}

}  // namespace
}  // namespace payload
