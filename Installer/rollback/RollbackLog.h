// The log lines of the rollback's bookkeeping.
#pragma once

#include <windows.h>

#include <string>

namespace rollback {

// Writes |line| as one log line.
void LogLine(const std::string& line);

// Says that the record |path| stays, with its run's backups, for a later run to finish its
// rollback.
void KeepRecordLine(const std::string& path);

// How a registry key appears in the log: "HKEY_LOCAL_MACHINE\<key>" or "HKEY_CURRENT_USER\<key>".
std::string RegistryKeyText(HKEY root, const std::string& key);

}  // namespace rollback
