#include "PayloadAttach.h"

#include <windows.h>
#include <imagehlp.h>

#include <cstddef>

#include "VersionResource.h"
#include "support/UniqueHandle.h"

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

// Reads or writes |size| bytes at |offset| of |file|.
bool ReadAt(HANDLE file, LONG offset, void* data, DWORD size) {
  DWORD done = 0;
  return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         ReadFile(file, data, size, &done, nullptr) && done == size;
}
bool WriteAt(HANDLE file, LONG offset, const void* data, DWORD size) {
  DWORD done = 0;
  return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         WriteFile(file, data, size, &done, nullptr) && done == size;
}

// The resource update moves the sections after the resources but leaves two header fields as they
// were: the COFF symbol table pointer (which then points into the moved data, and tools that
// read the file, objdump among them, refuse it) and the image checksum (which signing tools and
// drivers check). The symbol table of an image is debugging data only: it is dropped, and the
// checksum is computed anew over the final file.
bool RefreshImageHeaders(const char* exePath, std::string* error) {
  UniqueHandle file(CreateFileA(exePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *error = CallFailed("CreateFileA", exePath, GetLastError());
    return false;
  }
  IMAGE_DOS_HEADER dos = {};
  IMAGE_FILE_HEADER header = {};
  const bool dosRead = ReadAt(file.get(), 0, &dos, sizeof(dos));
  const LONG headerOffset = dos.e_lfanew + 4;  // after the "PE\0\0" signature
  if (!dosRead || dos.e_lfanew <= 0 || !ReadAt(file.get(), headerOffset, &header, sizeof(header))) {
    *error = std::string("\"") + exePath + "\" has no readable image header after the update";
    return false;
  }
  header.PointerToSymbolTable = 0;
  header.NumberOfSymbols = 0;
  if (!WriteAt(file.get(), headerOffset, &header, sizeof(header))) {
    *error = CallFailed("WriteFile", exePath, GetLastError());
    return false;
  }
  file.reset();

  DWORD stored = 0;
  DWORD computed = 0;
  const DWORD status = MapFileAndCheckSumA(exePath, &stored, &computed);
  if (status != CHECKSUM_SUCCESS) {
    *error = std::string("MapFileAndCheckSumA failed for \"") + exePath + "\" (status " +
             std::to_string(status) + ")";
    return false;
  }
  // The checksum field sits at the same place in the 32-bit and the 64-bit optional header.
  const LONG checkSumOffset = headerOffset + static_cast<LONG>(sizeof(IMAGE_FILE_HEADER)) +
                              offsetof(IMAGE_OPTIONAL_HEADER32, CheckSum);
  file.reset(CreateFileA(exePath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
  if (!file || !WriteAt(file.get(), checkSumOffset, &computed, sizeof(computed))) {
    *error = CallFailed("WriteFile", exePath, GetLastError());
    return false;
  }
  return true;
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
  return RefreshImageHeaders(exePath, error);
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
