#include "startup/InteractiveDesktop.h"

#include <windows.h>

bool ProcessHasInteractiveDesktop() {
  const HWINSTA station = GetProcessWindowStation();  // not to be closed
  if (station == nullptr) return true;
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  if (!GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}
