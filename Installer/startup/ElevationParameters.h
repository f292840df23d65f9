// The command line handed to the elevated copy of the installer.
#pragma once

#include <string>

#include "startup/CmdLineArgTracker.h"
#include "support/CommandLineQuoting.h"

// Rebuilds the options of |args| so that the elevated copy parses the same values:
//   for each value option c, h, p, a, d, b, l (this order) that is not empty:  -X"value"
//   then for each switch w, t, u, v, ?, r (this order) that is set:             -X
// every piece preceded by one blank, so the result is empty or begins with a blank.
// Values are quoted for the C runtime of the elevated copy by QuoteForCommandLine, so blanks,
// quotes and trailing backslashes come back unchanged.
// Example: -dC:\Apps, -hHOST1 HOST2 and -t give  -h"HOST1 HOST2" -d"C:\Apps" -t
std::string BuildElevationParameters(const CCmdLineArgTracker& args);

// The argument that follows the rebuilt options when the installer relaunches itself, so that the
// elevated copy knows it is one and never relaunches again. Its first letter is no option letter,
// so the option walk ignores it as it ignores every unknown argument.
constexpr char kElevatedCopyMarker[] = "-Elevated";

// What the relaunch passes: BuildElevationParameters(args), a blank and kElevatedCopyMarker.
std::string BuildRelaunchParameters(const CCmdLineArgTracker& args);

// Whether one of argv[1] .. argv[argc - 1] is exactly kElevatedCopyMarker: this process is the
// copy that a relaunch started.
bool IsElevatedCopy(int argc, char** argv);

