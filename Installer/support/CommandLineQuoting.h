// Quoting a value for a Windows command line, so that the program it is handed to gets it back
// unchanged. Used for the elevated copy of the installer and for the uninstall program's
// arguments (the Uninstall entry and the uninstall link alike).
#pragma once

#include <string>

// |value| between double quotes, escaped for the C runtime's splitter (and CommandLineToArgvW,
// which splits the same way): a double quote becomes \", and a run of backslashes is doubled
// where it precedes a double quote or the closing quote; other backslashes stay single. Blanks,
// quotes and trailing backslashes therefore come back unchanged, also when the quoted value is
// glued to other text of the same argument. "C:\Data\" gives "C:\Data\\" (quotes included), so
// the folder's last backslash no longer escapes the closing quote.
// Not for argv[0]: the program's own path is split by other rules and needs plain quotes.
std::string QuoteForCommandLine(const std::string& value);
