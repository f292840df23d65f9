// A finished installer written without the system's resource update: a copy of Setup.exe with
// the product's payload and version resource (the Linux build's way; the Windows build uses
// PayloadAttach.h, and both give the same resources).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResourceRewrite.h"

namespace packer {

// The payload's resource as Setup.exe loads it: type "IDR_EXE", name 130, neutral language.
extern const char16_t kPayloadType[];
constexpr uint16_t kPayloadName = 130;
constexpr uint16_t kNeutralLanguage = 0;

// The changes that finish an installer: |payload| as the payload resource and, when not empty,
// |versionInfo| as the version resource (RT_VERSION, name 1, US English).
ResourceChanges FinishedInstallerChanges(const std::vector<uint8_t>& payload,
                                         const std::vector<uint8_t>& versionInfo);

// Reads the installer |installerPath|, applies |changes| (RewriteResources) and writes the result
// to |outputPath|, replacing it. A signed installer is refused (RefuseSignedInstaller), and so is
// an empty payload, as the Windows build refuses it. Answers "" or the reason; on failure
// nothing is written.
std::string WriteFinishedInstallerImage(const std::string& installerPath,
                                        const std::string& outputPath,
                                        const ResourceChanges& changes);

}  // namespace packer
