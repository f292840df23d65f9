// The remote-support component: the UltraVNC server, set up by its own setup program when the
// payload placed that program in the version folder and the server is not installed yet.
#pragma once

#include <string>

// The server, below the program-files folder as this 32-bit program sees it.
constexpr const char* kUltraVncServerBelowProgramFiles = "\\uvnc bvba\\UltraVNC\\winvnc.exe";
// The setup program, in the version folder.
constexpr const char* kUltraVncSetupFile = "UltraVNC_1_2_17_X86_Setup.exe";

// |programFilesFolder| (no trailing backslash) + "\uvnc bvba\UltraVNC\winvnc.exe".
std::string UltraVncServerPath(const std::string& programFilesFolder);

// |versionFolder| (ending in a backslash) + "UltraVNC_1_2_17_X86_Setup.exe".
std::string UltraVncSetupPath(const std::string& versionFolder);

// The setup program's path in quotes, then " /silent". The quotes keep a version folder with
// blanks (C:\Program Files\...) from being taken apart by the system, which would otherwise try
// C:\Program.exe first.
std::string UltraVncCommandLine(const std::string& versionFolder);
