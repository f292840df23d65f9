#include "PackStep.h"

#include "ConfigReader.h"
#include "FileSystem.h"
#include "ProductFiles.h"
#include "package/codec/PayloadFormat.h"

namespace packer {
namespace {

constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFu;

std::string ReadText(const std::string& path, std::string* text) {
  std::vector<uint8_t> bytes;
  const std::string reason = ReadWholeFile(path, kMaxEntrySize, &bytes);
  if (!reason.empty()) return reason;
  text->assign(bytes.begin(), bytes.end());
  return "";
}

std::string CollectFiles(const PackRequest& request, std::vector<ProductFile>* files) {
  if (request.listPath.empty()) return ScanProductFolder(request.productDir, files);
  std::string listText;
  std::string reason = ReadText(request.listPath, &listText);
  if (!reason.empty()) return "list file: " + reason;
  std::vector<std::string> entryPaths;
  reason = ParseListFile(listText, &entryPaths);
  if (!reason.empty()) return "list file \"" + request.listPath + "\", " + reason;
  return ListedProductFiles(request.productDir, entryPaths, files);
}

}  // namespace

std::string BuildPayload(const PackRequest& request, PackResult* result) {
  std::string configText;
  std::string reason = ReadText(request.configPath, &configText);
  if (!reason.empty()) return "configuration: " + reason;

  payload::ArchiveWriter writer(request.productName, request.version, configText);
  reason = writer.Problem();
  if (reason.empty()) reason = CheckConfigNames(configText, request.version);
  if (!reason.empty()) return reason;

  std::vector<ProductFile> files;
  reason = CollectFiles(request, &files);
  if (!reason.empty()) return reason;

  std::vector<uint8_t> content;
  for (const ProductFile& file : files) {
    reason = ReadWholeFile(file.diskPath, kMaxEntrySize, &content);
    if (reason.empty()) reason = writer.AddFile(file.entryPath, content.data(), content.size());
    if (!reason.empty()) return "file \"" + file.entryPath + "\": " + reason;
  }

  const std::vector<uint8_t> archive = writer.Finish();
  PackResult packed;
  reason = payload::CompressPayload(archive, &packed.payload);
  if (!reason.empty()) return reason;
  packed.fileCount = writer.fileCount();
  packed.archiveSize = archive.size();
  *result = std::move(packed);
  return "";
}

}  // namespace packer
