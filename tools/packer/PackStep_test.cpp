#include "PackStep.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "DemoRequest.h"
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "InstallableSize.h"
#include "TestFolder.h"
#include "package/codec/PayloadFormat.h"

namespace packer {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // entry path, content

struct Unpacked {
  payload::ArchiveSummary summary;
  Files files;
};

// Unpacks a payload with the installer's own codec; the test fails on any fault.
Unpacked Unpack(const std::vector<uint8_t>& bytes) {
  Unpacked result;
  payload::ArchiveBuffer archive;
  EXPECT_EQ(payload::DecompressPayload(bytes.data(), bytes.size(), &archive),
            payload::DecompressStatus::kOk);
  EXPECT_EQ(payload::ValidateArchive(archive.bytes.get(), archive.size, &result.summary), "");
  payload::ArchiveReader reader(archive.bytes.get(), archive.size,
                                result.summary.fileTableOffset + 4);
  payload::ArchiveEntry entry;
  while (payload::ReadEntry(reader, &entry)) {
    result.files.emplace_back(
        std::string(entry.path),
        std::string(reinterpret_cast<const char*>(entry.content), entry.size));
  }
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A small product with a configuration and a list that fixes a non-alphabetical order.
struct Product {
  TestFolder folder;
  PackRequest request;
  Product() {
    folder.Write("product/Quorvin.exe", "client");
    folder.Write("product/unwindle.exe", "uninstaller");
    folder.Write("product/BrenmoorEHR/locales/am.pak", std::string("\0\x01\x02", 3));
    folder.Write("product/BrenmoorEHR/empty.dat", "");
    request.productName = "Norvane";
    request.version = "1.6.0003.0000.0035";
    request.configPath = folder.Write("appConfig.xml", "<appConfig>\r\n\xE9</appConfig>\r\n");
    request.productDir = folder.path() + "/product";
  }
};

TEST(PackStepTest, ScannedProductRoundTripsThroughTheInstallersReader) {
  Product product;
  PackResult result;
  ASSERT_EQ(BuildPayload(product.request, &result), "");
  EXPECT_EQ(result.fileCount, 4u);
  const Unpacked unpacked = Unpack(result.payload);
  EXPECT_EQ(unpacked.summary.productName, "Norvane");
  EXPECT_EQ(unpacked.summary.version, "1.6.0003.0000.0035");
  EXPECT_EQ(unpacked.summary.configText, "<appConfig>\r\n\xE9</appConfig>\r\n");
  EXPECT_EQ(result.archiveSize, unpacked.summary.fileTableOffset + 4 + (21 + 5 + 0) +
                                    (26 + 5 + 3) + (11 + 5 + 6) + (12 + 5 + 11));
  EXPECT_EQ(unpacked.files, (Files{{"BrenmoorEHR\\empty.dat", ""},
                                   {"BrenmoorEHR\\locales\\am.pak", std::string("\0\x01\x02", 3)},
                                   {"Quorvin.exe", "client"},
                                   {"unwindle.exe", "uninstaller"}}));

  // The same input gives the same bytes.
  PackResult again;
  ASSERT_EQ(BuildPayload(product.request, &again), "");
  EXPECT_EQ(again.payload, result.payload);
}

TEST(PackStepTest, ListFileFixesTheOrderAndLeavesOtherFilesOut) {
  Product product;
  product.request.listPath = product.folder.Write(
      "product.list", "# uninstaller first\nunwindle.exe\nBrenmoorEHR/locales/am.pak\n"
                      "Quorvin.exe\n");
  PackResult result;
  ASSERT_EQ(BuildPayload(product.request, &result), "");
  const Unpacked unpacked = Unpack(result.payload);
  ASSERT_EQ(unpacked.files.size(), 3u);
  EXPECT_EQ(unpacked.files[0].first, "unwindle.exe");
  EXPECT_EQ(unpacked.files[1].first, "BrenmoorEHR\\locales\\am.pak");
  EXPECT_EQ(unpacked.files[2].first, "Quorvin.exe");
}

TEST(PackStepTest, EmptyConfigurationIsStoredEmpty) {
  Product product;
  product.request.configPath = product.folder.Write("empty.xml", "");
  PackResult result;
  ASSERT_EQ(BuildPayload(product.request, &result), "");
  EXPECT_EQ(Unpack(result.payload).summary.configText, "");
}

TEST(PackStepTest, RefusalsNameTheCulprit) {
  struct Case {
    const char* name;
    void (*edit)(Product*);
    std::string want;  // a part of the answer
  };
  const Case kCases[] = {
      {"NUL in the configuration",
       [](Product* p) { p->folder.Write("appConfig.xml", std::string("<a>\0</a>", 8)); },
       "the configuration text contains a NUL byte"},
      {"missing configuration",
       [](Product* p) { p->request.configPath = p->folder.path() + "/none.xml"; },
       "configuration: \""},
      {"version with a separator", [](Product* p) { p->request.version = "1.6\\..\\x"; },
       "the version contains the character '\\'"},
      {"NUL in the name", [](Product* p) { p->request.productName = std::string("N\0x", 3); },
       "the product name contains a NUL byte"},
      {"unsafe list line",
       [](Product* p) { p->request.listPath = p->folder.Write("l.list", "ok.txt\n..\\up.txt\n"); },
       "l.list\", line 2: \"..\\up.txt\" cannot be installed"},
      {"missing listed file",
       [](Product* p) {
         p->request.listPath = p->folder.Write("l.list", "Quorvin.exe\ngone.dll\n");
       },
       "listed file \"gone.dll\": \""},
      {"missing list", [](Product* p) { p->request.listPath = p->folder.path() + "/no.list"; },
       "list file: \""},
      {"unsafe scanned name", [](Product* p) { p->folder.Write("product/bin/aux.dll", "x"); },
       "/product/bin/aux.dll\" cannot be installed: the component \"aux.dll\" is a reserved"},
      {"configuration name that climbs out",
       [](Product* p) {
         p->folder.Write("appConfig.xml",
                         "<appConfig><shortCut><alias>..\\..\\escaped</alias></shortCut>"
                         "</appConfig>");
       },
       "the configuration's shortCut alias \"..\\..\\escaped\" cannot be part of a path"},
      {"configuration that cannot be read",
       [](Product* p) { p->folder.Write("appConfig.xml", "<appConfig><appInfo></appConfig>"); },
       "configuration line 1: the end tag </appConfig> does not close <appInfo>"},
      // Linux keeps the two apart; on Windows the second write would find a file in its way.
      {"file and folder of one name in two cases",
       [](Product* p) { p->folder.Write("product/brenmoorehr", "x"); },
       "the archive is refused: Entry 0 (\"BrenmoorEHR\\empty.dat\") and entry 3 "
       "(\"brenmoorehr\") use \"brenmoorehr\" both as a file and as a folder."},
      {"two files in two ANSI cases",
       [](Product* p) {
         p->folder.Write("product/caf\xE9.txt", "1");
         p->folder.Write("product/CAF\xC9.TXT", "2");
       },
       "\"CAF\xC9.TXT\" and \"caf\xE9.txt\" differ only in case"},
  };
  for (const auto& c : kCases) {
    Product product;
    c.edit(&product);
    PackResult result;
    const std::string answer = BuildPayload(product.request, &result);
    EXPECT_NE(answer.find(c.want), std::string::npos) << c.name << ": \"" << answer << "\"";
    EXPECT_TRUE(result.payload.empty()) << c.name;
  }
}

// Sparse files: gigabytes on paper, no disk space in fact. Nothing is read: a product the
// installer could not unpack is refused from the sizes on disk.
TEST(PackStepTest, ProductOverTheInstallableSizeIsRefusedBeforeItIsRead) {
  Product product;
  PackResult small;
  ASSERT_EQ(BuildPayload(product.request, &small), "");
  // "big.bin" adds its path, NUL and size field besides its content.
  const uint64_t content = kLargestInstallableBytes + 1 - small.archiveSize - (7 + 1 + 4);
  const std::string big = product.folder.Write("product/big.bin", "");
  ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(content)), 0);
  PackResult result;
  EXPECT_EQ(BuildPayload(product.request, &result),
            "the product is too large to install: its archive has 1,824,522,241 bytes, more than "
            "the 1,824,522,240 (1,740 MiB) that the 32-bit installer can unpack beside its own "
            "image");
  EXPECT_TRUE(result.payload.empty());
}

TEST(PackStepTest, FileOverFourGiBIsRefusedBeforeItIsRead) {
  Product product;
  const std::string big = product.folder.Write("product/huge.bin", "");
  ASSERT_EQ(truncate(big.c_str(), 0x100000000LL), 0);
  PackResult result;
  const std::string answer = BuildPayload(product.request, &result);
  EXPECT_EQ(answer.rfind("the product is too large to install: its archive has 4,294,967,", 0), 0u)
      << answer;
}

TEST(PackStepTest, DemoProductPacksInTheOrderOfItsList) {
  PackRequest request = DemoRequest();
  PackResult result;
  ASSERT_EQ(BuildPayload(request, &result), "");
  const Unpacked unpacked = Unpack(result.payload);
  EXPECT_EQ(unpacked.summary.configText, ReadFile(DEMO_DIR "/appConfig.xml"));
  ASSERT_GE(unpacked.files.size(), 8u);
  EXPECT_EQ(unpacked.files.front().first, "unwindle.exe");
  EXPECT_EQ(unpacked.files.back().first, "Quorvin.exe");
  for (const auto& [path, content] : unpacked.files) {
    std::string diskPath = DEMO_DIR "/product/" + path;
    for (char& c : diskPath) c = c == '\\' ? '/' : c;
    EXPECT_TRUE(content == ReadFile(diskPath)) << path;
  }
  // The list names every file of the demo product.
  PackRequest scanned = request;
  scanned.listPath.clear();
  PackResult all;
  ASSERT_EQ(BuildPayload(scanned, &all), "");
  EXPECT_EQ(all.fileCount, result.fileCount);
}

}  // namespace
}  // namespace packer
