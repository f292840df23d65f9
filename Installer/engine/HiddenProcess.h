// Running an outside program the way the installer's steps do: without a window, with the
// installer's environment and current folder, and waiting for it to end.
#pragma once

#include <windows.h>

#include <string>

// Waits until the log is on the disk up to this point (the program may hang, or take the machine
// down with it), then starts |commandLine| with CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, no handles inherited and a
// STARTUPINFOA with only its size set, then waits for the program to end with no time limit
// (a program that hangs keeps the caller waiting). Its exit code is not read.
//
// |applicationPath| names the program file to run; empty means "the command line's first word",
// which the system looks for in the caller's folder and the search path, and for an unquoted
// word with blanks tries every blank-separated prefix in turn.
//
// True when the program started (and has ended). False when it could not be started: |error|
// (when not null) then receives GetLastError() of CreateProcessA.
bool RunHiddenAndWait(const std::string& applicationPath, const std::string& commandLine,
                      DWORD* error);

// The system's text for |error| (FormatMessageA from the system table, the user's default
// language), as the system gives it, usually ending in CR LF. "" when the system has no text.
std::string SystemMessageText(DWORD error);
