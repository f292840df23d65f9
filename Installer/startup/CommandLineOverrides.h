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

// The company folder below the -d folder: a backslash is added unless the folder ends in one.
std::string CompanyFolderBelow(const std::string& targetDir, const std::string& companyName);
