// Test helper (tests only): points the payload resource check at the resource-only module built
// next to installer_tests.exe, which carries a payload resource (the test program carries none),
// for as long as the object lives.
#pragma once

#include <windows.h>

#include <string>

#include "package/PayloadResource.h"
#include "support/SystemPaths.h"

class PayloadModuleScope {
 public:
  PayloadModuleScope() {
    std::string folder = ModuleFileName();
    folder.erase(folder.find_last_of('\\') + 1);
    module_ = LoadLibraryExA((folder + "payload_resource_fixture.dll").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
    SetPayloadResourceModule(module_);
  }
  ~PayloadModuleScope() {
    SetPayloadResourceModule(nullptr);
    if (module_) FreeLibrary(module_);
  }
  PayloadModuleScope(const PayloadModuleScope&) = delete;
  PayloadModuleScope& operator=(const PayloadModuleScope&) = delete;
  bool loaded() const { return module_ != nullptr; }

 private:
  HMODULE module_ = nullptr;
};
