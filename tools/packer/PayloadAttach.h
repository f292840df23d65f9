// Replaces the payload resource of a finished installer (Windows only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes |payload| as the resource of type "IDR_EXE", name 130, neutral language
// (MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), the language Setup.exe links its payload in) into
// the executable |exePath|, replacing the resource that is there. The bytes are taken as they are,
// so tests can attach deliberately broken payloads, but not an empty payload: UpdateResourceA
// reads no data as "delete" (and Wine refuses an empty resource outright), so that is refused.
// Answers true, or false with |error| set to one line naming the failing call, the path and the
// Windows error code; the file is then left as it was.
bool ReplacePayloadResource(const char* exePath, const std::vector<uint8_t>& payload,
                            std::string* error);

// Copies the installer |installerPath| to |outputPath| (replacing it) and puts |payload| into the
// copy as ReplacePayloadResource does and, in the same update, |versionInfo| (a VS_VERSIONINFO,
// see VersionResource.h) as its version resource (RT_VERSION, name 1, US English), replacing one
// of that language; an empty |versionInfo| leaves the version resource as it is. Answers true, or
// false with |error| set; a copy whose resources could not be replaced is deleted, so no
// half-finished installer is left behind.
bool WriteFinishedInstaller(const char* installerPath, const char* outputPath,
                            const std::vector<uint8_t>& payload,
                            const std::vector<uint8_t>& versionInfo, std::string* error);
