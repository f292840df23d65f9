#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// Path helpers shared by start-up, the log, the configuration, the shortcuts and the application
// information file. Paths are 8-bit strings in the process ANSI code page; only the backslash
// separates components, and a backslash that is the trail byte of a double-byte character is
// never taken for a separator.

// Creates the folder named by every prefix of |path| that ends just before a backslash (the
// backslash at index 0 of a rooted or UNC path excepted), shortest first, with |security| (null
// for default security). Every creation failure is ignored: "C:", "\\server" and folders that
// already exist simply fail.
//
// |pathIsFinal| true: answers 1 when |path| itself exists, else 0; |path| is not created (a path
//   that ends in a backslash has its folder created by the walk above).
// |pathIsFinal| false: also tries to create |path| itself as a folder, then answers 1 when the
//   part of |path| before its last backslash exists, else 0. A path without a backslash has an
//   empty parent, which never exists: 0.
// The answer says whether the folder is there, not whether this call created it. A null |path|
// answers 0.
int EnsurePath(const char* path, bool pathIsFinal, SECURITY_ATTRIBUTES* security);

// Longest path GetPathFolder looks at; longer input is cut to this many characters first.
constexpr std::size_t kPathFolderMaxInput = 1023;

// |path| up to, and not including, its last backslash; a path without a backslash comes back
// unchanged (so "file.xml" gives "file.xml" and "C:\A\" gives "C:\A"). A path longer than
// kPathFolderMaxInput (1023) characters is cut to its first 1023 characters before the search.
// A null |path| gives "".
std::string GetPathFolder(const char* path);

// Indices of the backslashes in |path| that separate components under |codePage| (CP_ACP is the
// code page the ANSI file functions use), in increasing order. A double-byte character's trail
// byte is skipped even when it equals '\'.
std::vector<std::size_t> SeparatorPositions(const char* path, UINT codePage);

// The part of |path| after its last backslash separator (SeparatorPositions, CP_ACP): the file
// or folder name; all of |path| when it has none, "" when it ends in a backslash.
std::string LastPathComponent(const std::string& path);

// Whether the last character of |path| is a backslash separator (a double-byte character's
// trail byte equal to '\\' is not one), under the ANSI code page.
bool EndsWithBackslash(const std::string& path);

// The folders that lead to |path| and |path| itself, from the top down, each as a prefix of
// |path| that ends just before a separator: "C:\A\B" gives "C:\A", "C:\A\B". The roots are
// left out, since nothing creates them: a drive ("C:"), the "\\server\share" of a UNC path and
// the empty prefix of a rooted path. A trailing backslash adds no level. A registry key path
// works the same way ("Software\QVX" gives "Software", "Software\QVX").
std::vector<std::string> PathLevels(const std::string& path);
