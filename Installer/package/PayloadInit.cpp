// Loading the payload: the resource is found, decompressed in one call into one block, and the
// whole archive is checked once before anything else happens, so that a damaged or hostile
// package is refused before a single file or folder is written.
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Installer.h"
#include "package/codec/ConfigNames.h"
#include "support/Log.h"

namespace {

constexpr WORD kPayloadResourceId = 130;
constexpr char kPayloadResourceType[] = "IDR_EXE";

std::string DescribeDecompressFailure(payload::DecompressStatus status,
                                      const payload::PayloadHeader& header) {
  char text[200];
  switch (status) {
    case payload::DecompressStatus::kTruncatedResource:
      std::snprintf(text, sizeof(text),
                    "The payload resource is shorter than its header claims (%u compressed bytes).",
                    header.compressedSize);
      break;
    case payload::DecompressStatus::kSizeMismatch:
      std::snprintf(text, sizeof(text),
                    "The payload decompressed to fewer bytes than its header claims (%u).",
                    header.uncompressedSize);
      break;
    default:
      std::snprintf(text, sizeof(text),
                    "zlib could not decompress the payload stream (%u bytes into %u).",
                    header.compressedSize, header.uncompressedSize);
      break;
  }
  return text;
}

// Frees the archive and tells the user why the package is refused; answers false for Init.
bool RefusePackage(CInstaller& engine, const std::string& fault) {
  engine.ReleasePayload();
  engine.ReportMessage("The installation package is damaged and was refused: " + fault);
  return false;
}

// The product name an archive that was refused still names: its first string, when it ends
// before the archive does; "" otherwise. The failure sentence then names the product.
std::string RefusedArchiveProductName(const payload::ArchiveBuffer& archive) {
  if (!archive.bytes) return {};
  payload::ArchiveReader reader(archive.bytes.get(), archive.size);
  std::string_view name;
  if (!reader.ReadString(&name)) return {};
  return std::string(name);
}

// The fault of a header that declares more archive than any product the packing tool packs.
std::string OversizedArchiveFault(const payload::PayloadHeader& header) {
  return "its header declares an archive of " + std::to_string(header.uncompressedSize) +
         " bytes, more than the " + std::to_string(payload::kLargestInstallableBytes) +
         " bytes of the largest product the installer can unpack.";
}

// The reason the first configuration value that becomes part of a path would lead outside the
// chosen folders, or "". Called after the defaults, so companyName and appName are never empty.
std::string FindUnsafeConfigName(const CInstaller& engine) {
  using payload::ConfigName;
  std::string reason = payload::CheckConfigName(ConfigName::kCompanyName, engine.companyName);
  if (reason.empty()) reason = payload::CheckConfigName(ConfigName::kAppName, engine.appName);
  if (reason.empty()) reason = payload::CheckVersionFolderName(engine.appName, engine.version);
  std::vector<std::pair<ConfigName, const std::string*>> values;
  for (const auto& program : engine.exePaths) {
    values.push_back({ConfigName::kExePath, &program.second});
  }
  for (const ShortcutInfo& shortcut : engine.shortcuts) {
    values.push_back({ConfigName::kShortcutName, &shortcut.name});
    values.push_back({ConfigName::kShortcutAlias, &shortcut.alias});
    values.push_back({ConfigName::kShortcutIcon, &shortcut.icon});
  }
  for (size_t i = 0; reason.empty() && i < values.size(); ++i) {
    reason = payload::CheckConfigName(values[i].first, *values[i].second);
  }
  return reason;
}

}  // namespace

bool CInstaller::Init(bool campusEmpty) {
  theLog.EnterFunction("Init()", nullptr);
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  if (!FindPayloadResource(&bytes, &size)) {
    ReportMessage("Load resource failed!");
    return false;
  }
  if (!InitFromResource(bytes, size, campusEmpty)) return false;
  theLog.LeaveFunction("Init()");
  return true;
}

bool CInstaller::FindPayloadResource(const uint8_t** bytes, size_t* size) {
  resourceHandle = FindResourceA(nullptr, MAKEINTRESOURCEA(kPayloadResourceId), kPayloadResourceType);
  if (!resourceHandle) {
    char line[120];
    std::snprintf(line, sizeof(line), "FindResourceA(IDR_EXE, 130) failed with error %lu.",
                  GetLastError());
    theLog.Write(line);
    return false;
  }
  resourceData = LoadResource(nullptr, resourceHandle);
  resourceBytes = resourceData ? static_cast<const uint8_t*>(LockResource(resourceData)) : nullptr;
  if (!resourceBytes) return false;
  *bytes = resourceBytes;
  *size = SizeofResource(nullptr, resourceHandle);
  return true;
}

bool CInstaller::InitFromResource(const uint8_t* resource, size_t resourceSize, bool campusEmpty) {
  payload::ArchiveSummary summary;
  if (!UnpackPayload(resource, resourceSize, &summary)) return false;

  version = summary.version;
  configText = summary.configText;
  payloadCursor = payloadBuffer.bytes.get() + summary.fileTableOffset;
  char line[200];
  std::snprintf(line, sizeof(line), "Payload of %s %s: %u files, %u bytes unpacked.",
                summary.productName.c_str(), version.c_str(), summary.fileCount,
                static_cast<unsigned>(payloadBuffer.size));
  theLog.Write(line);

  // A configuration that cannot be loaded has been reported; the defaults then apply.
  if (!configText.empty()) ParseXml(configText, campusEmpty);
  ApplyDefaults(summary.productName);
  // The names are joined into folders, links and keys from here on: a package whose names reach
  // outside the chosen folders is refused before a single folder exists.
  const std::string unsafeName = FindUnsafeConfigName(*this);
  if (!unsafeName.empty()) return RefusePackage(*this, unsafeName + ".");
  return initSecurityUserGroup(groupName) == 1;
}

bool CInstaller::UnpackPayload(const uint8_t* resource, size_t resourceSize,
                               payload::ArchiveSummary* summary) {
  payload::PayloadHeader header;
  if (!payload::ReadPayloadHeader(resource, resourceSize, &header)) {
    theLog.Write("The payload resource is shorter than its 8-byte header.");
    ReportMessage("Uncompress data failed!");
    return false;
  }
  const payload::DecompressStatus status =
      payload::DecompressPayload(resource, resourceSize, &payloadBuffer);
  if (status == payload::DecompressStatus::kOversized) {
    return RefusePackage(*this, OversizedArchiveFault(header));
  }
  if (status == payload::DecompressStatus::kOutOfMemory) {
    char text[160];
    std::snprintf(text, sizeof(text),
                  "Not enough memory to unpack the installation package (%u bytes).",
                  header.uncompressedSize);
    ReportMessage(text);
    return false;
  }
  if (status != payload::DecompressStatus::kOk) {
    theLog.Write(DescribeDecompressFailure(status, header).c_str());
    ReleasePayload();
    ReportMessage("Uncompress data failed!");
    return false;
  }
  const std::string fault =
      payload::ValidateArchive(payloadBuffer.bytes.get(), payloadBuffer.size, summary);
  if (!fault.empty()) {
    projectName = RefusedArchiveProductName(payloadBuffer);
    return RefusePackage(*this, fault);
  }
  return true;
}

void CInstaller::ReleasePayload() {
  payloadBuffer.bytes.reset();
  payloadBuffer.size = 0;
  payloadCursor = nullptr;
  fileListStart_ = nullptr;
}
