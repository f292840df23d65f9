#include "package/PayloadResource.h"

#include <cstdio>

#include "support/Log.h"

namespace {

constexpr WORD kPayloadResourceId = 130;
constexpr char kPayloadResourceType[] = "IDR_EXE";

HMODULE resourceModule = nullptr;

}  // namespace

HMODULE PayloadResourceModule() { return resourceModule; }

void SetPayloadResourceModule(HMODULE module) { resourceModule = module; }

bool LoadPayloadResource(HMODULE module, HRSRC* handle, HGLOBAL* data, const uint8_t** bytes) {
  *data = nullptr;
  *bytes = nullptr;
  *handle = FindResourceA(module, MAKEINTRESOURCEA(kPayloadResourceId), kPayloadResourceType);
  if (!*handle) {
    char line[120];
    std::snprintf(line, sizeof(line), "FindResourceA(IDR_EXE, 130) failed with error %lu.",
                  GetLastError());
    theLog.Write(line);
    return false;
  }
  *data = LoadResource(module, *handle);
  if (*data) *bytes = static_cast<const uint8_t*>(LockResource(*data));
  return *data != nullptr && *bytes != nullptr;
}
