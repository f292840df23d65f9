// The host settings given on the command line of an unattended run.
#pragma once

#include <string>
#include <vector>

#include "engine/Installer.h"
#include "startup/CmdLineArgTracker.h"

// Replaces, in list order, the value of every setting named Campus, HostList, PortList,
// AutoUpdateHostName or WebHostList (names compared exactly) whose option (-c, -h, -p, -a, -b)
// is not empty, and marks it as given on the command line. Answers whether any value was replaced.
bool ApplyCommandLineOverrides(const CCmdLineArgTracker& args, std::vector<RegValue>* values);

// One line for each option of -c, -h, -p, -a and -b that is not empty but whose setting |values|
// does not hold (a configuration without regInfo holds none), naming the setting and the value:
// "The setting HostList given on the command line (HOSTX) cannot be stored: the configuration
// has no HostList setting." Empty when every given value has its place. The deployment asked for
// a value the run cannot store, so an unattended run with such a line fails before it changes
// anything.
std::vector<std::string> UnstorableCommandLineSettings(const CCmdLineArgTracker& args,
                                                      const std::vector<RegValue>& values);

// The company folder below the -d folder: a backslash is added unless the folder ends in one.
std::string CompanyFolderBelow(const std::string& targetDir, const std::string& companyName);
