// The payload resource of the installer (type "IDR_EXE", name 130) and the module it is read from.
#pragma once

#include <windows.h>

#include <cstdint>

// The module whose resources carry the payload: the running executable unless one was set.
HMODULE PayloadResourceModule();

// Makes |module| the module PayloadResourceModule answers; null restores the executable. The unit
// tests use it, since their own program carries no payload; the module must stay loaded while it
// is set.
void SetPayloadResourceModule(HMODULE module);

// Finds, loads and locks the payload resource of |module|, storing each result as it comes (null
// for a step that failed or was not reached). True when the loaded handle and the locked bytes
// are both there. The resource stays mapped while the module is loaded.
bool LoadPayloadResource(HMODULE module, HRSRC* handle, HGLOBAL* data, const uint8_t** bytes);
