#include "PackStep.h"

#include "ConfigReader.h"
#include "DeploymentWarnings.h"
#include "FileSystem.h"
#include "InstallableSize.h"
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

// The archive's length from the file sizes on disk, as the archive writer lays it out: the three
// strings with their NULs, the file count, then per file its path with its NUL, the size field and
// the content.
std::string MeasureArchive(const PackRequest& request, const std::string& configText,
                           const std::vector<ProductFile>& files, uint64_t* archiveBytes) {
  uint64_t bytes = request.productName.size() + 1 + request.version.size() + 1 +
                   configText.size() + 1 + 4;
  for (const ProductFile& file : files) {
    FileInfo info;
    const std::string reason = StatFile(file.diskPath, &info);
    if (!reason.empty()) return "file \"" + file.entryPath + "\": " + reason;
    bytes += file.entryPath.size() + 1 + 4 + info.size;
  }
  *archiveBytes = bytes;
  return "";
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
  // A product too large to install is refused before a byte of it is read.
  uint64_t archiveBytes = 0;
  reason = MeasureArchive(request, configText, files, &archiveBytes);
  if (reason.empty()) reason = CheckInstallableSize("archive", archiveBytes);
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
  // Incompressible content comes out a little longer than it went in, and the stream is mapped
  // with the installer's image.
  if (reason.empty()) {
    reason = CheckInstallableSize("compressed stream", packed.payload.size() - payload::kHeaderSize);
  }
  if (!reason.empty()) return reason;
  packed.fileCount = writer.fileCount();
  packed.archiveSize = archive.size();
  std::vector<ConfigValue> values;
  ReadConfigValues(configText, &values);  // CheckConfigNames read it already
  std::vector<std::string> entryPaths;
  for (const ProductFile& file : files) entryPaths.push_back(file.entryPath);
  packed.warnings = FindDeploymentWarnings(values, request.version, entryPaths);
  packed.names = ReadProductNames(values, request.productName);
  packed.uninstallProgram = FindUninstallProgram(values, entryPaths);
  *result = std::move(packed);
  return "";
}

}  // namespace packer
