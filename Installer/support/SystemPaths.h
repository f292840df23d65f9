// Paths the system hands out, read whole whatever their length: a fixed buffer of 260
// characters cuts a longer path (an executable in a deep folder, a long relative option) and
// leaves the caller with nothing.
#pragma once

#include <windows.h>

#include <string>

// The full path of |module|'s file (null: the running executable), as GetModuleFileNameA gives
// it. Empty when it cannot be had. The buffer starts at |firstCapacity| characters and doubles
// until the whole path fits; tests start it small to see it grow.
std::string ModuleFileName(HMODULE module = nullptr, DWORD firstCapacity = MAX_PATH);

// |path| made absolute against the current folder and drive by GetFullPathNameA ("." and ".."
// resolved, a trailing backslash kept); the result may be longer than 259 characters. Empty when
// the system cannot make it absolute (the ANSI call takes at most 259 characters).
std::string FullPathName(const std::string& path);

// |path| when it is empty or fully qualified (below), byte for byte; otherwise FullPathName(path),
// or |path| unchanged when the system cannot make it absolute.
std::string AbsolutePath(const std::string& path);

// Whether |path| already names one place whatever the current folder and drive are: a drive
// letter, a colon and a backslash ("C:\Apps"), or two backslashes (UNC "\\server\share" and
// "\\?\" paths). "C:Apps", "\Apps" and "Apps" depend on the current drive or folder.
bool IsFullyQualified(const std::string& path);
