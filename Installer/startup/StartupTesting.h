// Helpers of the start-up tests (linked into installer_tests only).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "startup/CmdLineArgTracker.h"
#include "startup/ElevatedRelaunch.h"

// Every field of |args| on one line, values in brackets, so that a failed comparison shows
// which option differs.
std::string Describe(const CCmdLineArgTracker& args);

// The tracker that the installer's command-line walk makes of |arguments| (the program name is
// put in front of them).
CCmdLineArgTracker ParseArguments(const std::vector<std::string>& arguments);

// IsElevatedCopy over |argv| (argv[0], the program, included).
bool IsElevatedCopyArgv(std::vector<std::string> argv);

// Option values that must reach the elevated copy unchanged: blanks, trailing backslashes,
// quotes, backslashes before a quote, 8-bit characters, a very long value, every switch.
struct TrackerCase {
  const char* name;
  CCmdLineArgTracker args;
};
std::vector<TrackerCase> ValuesThatMustSurvive();

// What a copy of a program started by RelaunchElevatedAndWait received.
struct EchoedRun {
  RelaunchResult result;
  std::vector<std::string> argv;  // as its C runtime split them, argv[0] included
};

// Starts argv_echo.exe (at |echoPath|) through RelaunchElevatedAndWait with |parameters|, telling
// it to exit with |exitCode|, and reads back the arguments it received.
EchoedRun RunArgvEcho(const std::string& echoPath, const std::string& parameters, DWORD exitCode);
