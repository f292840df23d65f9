#include "PayloadAttach.h"

#include <windows.h>

#include "VersionResource.h"

namespace {

// Owns an update handle: the changes reach the file only through Commit(); on every other path
// the handle is closed with the changes discarded.
class ResourceUpdate {
 public:
  explicit ResourceUpdate(const char* exePath) : handle_(BeginUpdateResourceA(exePath, FALSE)) {}
  ~ResourceUpdate() {
    if (handle_ != nullptr) EndUpdateResourceA(handle_, TRUE);
  }
  ResourceUpdate(const ResourceUpdate&) = delete;
  ResourceUpdate& operator=(const ResourceUpdate&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  // Writes the changes; false with the last error set when that fails.
  bool Commit() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return EndUpdateResourceA(handle, FALSE) != FALSE;
  }

 private:
  HANDLE handle_;
};

std::string CallFailed(const char* call, const char* exePath, DWORD error) {
  return std::string(call) + " failed for \"" + exePath + "\" (Windows error " +
         std::to_string(error) + ")";
}

// Replaces the payload and, when |versionInfo| is not empty, the version resource of |exePath| in
// one update: either both reach the file or neither does.
bool ReplaceResources(const char* exePath, const std::vector<uint8_t>& payload,
                      const std::vector<uint8_t>& versionInfo, std::string* error) {
  if (payload.empty()) {
    *error = std::string("an empty payload cannot be attached to \"") + exePath +
             "\" (a resource update without data deletes the resource)";
    return false;
  }
  ResourceUpdate update(exePath);
  if (!update) {
    *error = CallFailed("BeginUpdateResourceA", exePath, GetLastError());
    return false;
  }
  if (!UpdateResourceA(update.get(), "IDR_EXE", MAKEINTRESOURCEA(130),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                       const_cast<uint8_t*>(payload.data()), static_cast<DWORD>(payload.size()))) {
    *error = CallFailed("UpdateResourceA", exePath, GetLastError());
    return false;
  }
  if (!versionInfo.empty() &&
      !UpdateResourceA(update.get(), RT_VERSION, MAKEINTRESOURCEA(1), packer::kVersionLanguage,
                       const_cast<uint8_t*>(versionInfo.data()),
                       static_cast<DWORD>(versionInfo.size()))) {
    *error = CallFailed("UpdateResourceA(RT_VERSION)", exePath, GetLastError());
    return false;
  }
  if (!update.Commit()) {
    *error = CallFailed("EndUpdateResourceA", exePath, GetLastError());
    return false;
  }
  return true;
}

}  // namespace

bool ReplacePayloadResource(const char* exePath, const std::vector<uint8_t>& payload,
                            std::string* error) {
  return ReplaceResources(exePath, payload, {}, error);
}

bool WriteFinishedInstaller(const char* installerPath, const char* outputPath,
                            const std::vector<uint8_t>& payload,
                            const std::vector<uint8_t>& versionInfo, std::string* error) {
  if (!CopyFileA(installerPath, outputPath, FALSE)) {
    const DWORD code = GetLastError();
    *error = "CopyFileA failed from \"" + std::string(installerPath) + "\" to \"" + outputPath +
             "\" (Windows error " + std::to_string(code) + ")";
    return false;
  }
  if (!ReplaceResources(outputPath, payload, versionInfo, error)) {
    DeleteFileA(outputPath);
    return false;
  }
  return true;
}
