// Turning an account or group name into its SID.
#pragma once

#include "security/SecurityOwners.h"

// The SID of |accountName| as the local system resolves it (LookupAccountNameA, asked first for
// the sizes, then with buffers). The caller owns the block (process heap).
//
// Null after a failure printed with PrintError: "LookupAccountName() failed. Error %d\n" (an
// unknown name gives ERROR_NONE_MAPPED, 1332) or "HeapAlloc() failed. Error %d\n". GetLastError()
// then still answers the failing call's code, so a caller can report it in its own words.
HeapSid GetAccountSid(const char* accountName);
