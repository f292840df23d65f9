// Test helper (linked into installer_tests only): security descriptors and SIDs written as SDDL,
// so a test states a DACL the way an administrator reads it.
#pragma once

#include <windows.h>

#include <string>

#include "security/SecurityOwners.h"

// The self-relative descriptor of |sddl|; null when the text does not parse.
LocalBlock<void> DescriptorFromSddl(const char* sddl);

// The SID of |sid|: an SDDL alias ("BU", "SY", "BA") or a literal "S-1-..."; null when invalid.
LocalBlock<void> SidFromString(const char* sid);

// The DACL part of |descriptor| (absolute or self-relative) as SDDL, control flags included:
// "D:AI(A;OICI;GA;;;BU)". "" when the descriptor has no DACL; "<conversion failed: N>" when the
// platform cannot write it.
std::string DaclSddl(PSECURITY_DESCRIPTOR descriptor);
