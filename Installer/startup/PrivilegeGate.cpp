#include "startup/PrivilegeGate.h"

namespace {

// IsUserAnAdmin is exported from SHELL32 by ordinal only on older systems.
constexpr WORD kIsUserAnAdminOrdinal = 680;

using IsUserAnAdminFn = BOOL(WINAPI*)();

// Frees a module that this file loaded itself; a module that was already loaded is borrowed.
class ModuleReference {
 public:
  explicit ModuleReference(const char* name) : module_(GetModuleHandleA(name)) {
    if (module_ == nullptr) module_ = loaded_ = LoadLibraryA(name);
  }
  ~ModuleReference() {
    if (loaded_ != nullptr) FreeLibrary(loaded_);
  }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;

  HMODULE get() const { return module_; }

 private:
  HMODULE module_ = nullptr;
  HMODULE loaded_ = nullptr;
};

bool IsAdministrator() {
  const ModuleReference shell32("shell32.dll");
  if (shell32.get() == nullptr) return false;
  const FARPROC proc = GetProcAddress(shell32.get(), MAKEINTRESOURCEA(kIsUserAnAdminOrdinal));
  if (proc == nullptr) return false;
  // The detour through a plain function pointer type keeps -Wcast-function-type quiet.
  const auto isUserAnAdmin =
      reinterpret_cast<IsUserAnAdminFn>(reinterpret_cast<void (*)()>(proc));
  return isUserAnAdmin() != FALSE;
}

}  // namespace

PrivilegeFacts ReadPrivilegeFacts() {
  PrivilegeFacts facts;
  facts.isAdministrator = IsAdministrator();
  OSVERSIONINFOEXA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the size the system expects");
  // A failed query leaves zeros, which the gate treats as an old system.
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
  facts.platformId = version.dwPlatformId;
  facts.majorVersion = version.dwMajorVersion;
  return facts;
}

GateDecision DecidePrivilegeGate(bool invokedByAutoUpdate, bool isElevatedCopy,
                                 const PrivilegeFacts& facts) {
  if (invokedByAutoUpdate || facts.isAdministrator) return GateDecision::kProceed;
  if (facts.platformId != VER_PLATFORM_WIN32_NT || facts.majorVersion < 6) {
    return GateDecision::kRefuseOldSystem;
  }
  if (isElevatedCopy) return GateDecision::kRefuseStillNotAdministrator;
  return GateDecision::kRelaunchElevated;
}
