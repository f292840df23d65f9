#include "FinishedInstaller.h"

#include <cstdio>

#include "FileSystem.h"
#include "PeSignature.h"
#include "VersionResource.h"

namespace packer {

const char16_t kPayloadType[] = u"IDR_EXE";

ResourceChanges FinishedInstallerChanges(const std::vector<uint8_t>& payload,
                                         const std::vector<uint8_t>& versionInfo) {
  ResourceChanges changes;
  ResourceEntry entry;
  entry.type = ResourceKey::Text(kPayloadType);
  entry.name = ResourceKey::Number(kPayloadName);
  entry.language = kNeutralLanguage;
  entry.data = payload;
  changes.added.push_back(entry);
  if (!versionInfo.empty()) {
    entry.type = ResourceKey::Number(kVersionType);
    entry.name = ResourceKey::Number(1);
    entry.language = kVersionLanguage;
    entry.data = versionInfo;
    changes.added.push_back(entry);
  }
  return changes;
}

std::string WriteFinishedInstallerImage(const std::string& installerPath,
                                        const std::string& outputPath,
                                        const ResourceChanges& changes) {
  for (const ResourceEntry& entry : changes.added) {
    if (entry.type.text == kPayloadType && entry.data.empty()) {
      return "an empty payload cannot be attached to \"" + installerPath + "\"";
    }
  }
  std::string reason = RefuseSignedInstaller(installerPath);
  if (!reason.empty()) return reason;
  std::vector<uint8_t> image;
  reason = ReadWholeFile(installerPath, UINT32_MAX, &image);
  if (!reason.empty()) return "installer: " + reason;
  reason = RewriteResources(changes, &image);
  if (!reason.empty()) return "the installer \"" + installerPath + "\" cannot be finished: " + reason;
  reason = WriteWholeFile(outputPath, image);
  // No half-written installer is left behind for somebody to deploy.
  if (!reason.empty()) std::remove(outputPath.c_str());
  return reason;
}

}  // namespace packer
