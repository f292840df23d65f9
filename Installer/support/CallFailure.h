// The one shape of a failed system call in the log: "<call> failed for <subject> with error <n>."
// (for example "CreateFileA failed for C:\Apps\QVX\quorvin.exe with error 32."), so that every
// failure can be found with one search and names what was being done to what.
#pragma once

#include <windows.h>

#include <string>

// The line for |call| (the system function's name) on |subject| (a path, a key, an object name)
// failing with the Win32 code |error|.
std::string CallFailureText(const char* call, const std::string& subject, DWORD error);

// Writes CallFailureText to the log.
void LogCallFailure(const char* call, const std::string& subject, DWORD error);
