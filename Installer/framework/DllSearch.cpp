#include "framework/DllSearch.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories() {
  // kernel32 is always loaded; asking for it by handle loads nothing.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  const FARPROC proc = GetProcAddress(kernel, "SetDefaultDllDirectories");
  // The detour through a plain function pointer type keeps -Wcast-function-type quiet.
  return reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

void LimitDllSearchToSystem32() {
  const SetDefaultDllDirectoriesFn setDefaultDllDirectories = FindSetDefaultDllDirectories();
  if (setDefaultDllDirectories != nullptr &&
      setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  SetDllDirectoryA("");
}
