// Test helpers of the rollback (linked into installer_tests only): listings of a folder tree and
// of a registry key tree, to show that a rollback leaves the machine byte for byte as it found
// it, and the small writes that stand for a run's changes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "rollback/RecordScope.h"

namespace rollback {

// Path relative to the listed root (for values: "<key>|<value name>") -> what is there.
using Listing = std::map<std::string, std::string>;

// The scope of a test run of the product QVX Norvane (its records lie in <...>\QVX\Setup\Norvane):
// |folders| are its own, and so are every key below HKEY_CURRENT_USER\Software, where the
// tests keep their keys, and the Uninstall keys of HKEY_LOCAL_MACHINE.
RunScope TestScope(const std::vector<std::string>& folders);

// The bytes of a record file of |scope| that holds |records|, as a run would have left it.
std::string RecordFileBytes(const RunScope& scope, const std::vector<ChangeRecord>& records);

// Every folder and file below |root|: folders with their attributes, files with their
// attributes, last-write time and whole contents. Links are listed, not entered.
Listing ListFiles(const std::string& root);

// Every key below |root|\|key| and every value in them, with its type and bytes exactly as
// stored (the wide functions: no code-page conversion).
Listing ListRegistry(HKEY root, const std::string& key);

// ListFiles(|folder|) and ListRegistry(|root|, |key|) in one listing, the registry's entries
// marked "registry ": the machine as far as a test touches it.
Listing ListMachine(const std::string& folder, HKEY root, const std::string& key);

// Creates or replaces |path| with |bytes| and then gives it |attributes|. False when it cannot.
bool WriteFileBytes(const std::string& path, const std::string& bytes,
                    DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// Appends |bytes| to the existing file |path|: a change in place.
bool AppendFileBytes(const std::string& path, const std::string& bytes);

// Reads the whole of |path|, also while another handle writes it; "" when it cannot.
std::string ReadWholeFile(const std::string& path);

// Sets |root|\|key| (created when missing) value |name| to |type| and |bytes| as they are.
bool SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::string& bytes);

// Deletes |root|\|key| with everything below it.
void DeleteRegistryTree(HKEY root, const std::string& key);

// "" when the listings are equal; otherwise one line per entry that is missing, added or
// different (contents shown by length only).
std::string Differences(const Listing& want, const Listing& got);

}  // namespace rollback
