// Rewriting the DACL of one file or folder. Both routines read the descriptor afresh, so each
// call builds on what the previous one wrote. Failures are printed with PrintError with the
// failing call's code; the file's security is then unchanged, since the only write is the last
// step.
#pragma once

#include <windows.h>

#include "security/DaclTarget.h"

// Gives |accountName| exactly one explicit entry on |path|: access-allowed, |mask|, inherited by
// the files and folders created below it, after the other explicit entries and before the
// inherited ones (see BuildGrantedDescriptor). 1 when the new DACL was written, else 0 (an
// unknown account fails at the lookup, a missing path at "GetFileSecurity() failed. Error %d\n").
int GrantAccountAccess(const char* path, const char* accountName, DWORD mask);

// GrantAccountAccess for an account whose SID the caller already has (a run grants the same
// groups on every folder it makes and looks each one up once): the same entry, the same result
// and messages, without the lookup. |account| must be a valid SID.
int GrantSidAccess(const char* path, PSID account, DWORD mask);
// The same grant through a target that the caller keeps for several edits of one file.
int GrantSidAccess(DaclTarget* target, PSID account, DWORD mask);

// Writes |path|'s DACL from a descriptor without a DACL that keeps only the old inheritance
// control bits. 1 when it was written, else 0.
int ResetFileDacl(const char* path);
// The same reset through a target that the caller keeps for several edits of one file.
int ResetFileDacl(DaclTarget* target);
