// What an installation does to what it finds: the decision the log states before the first change,
// so that a deployment engineer can read from the log alone what happened on a machine.
#pragma once

#include <string>

// Compares two product versions ("1.6.0003.0000.0035") part by part as numbers: negative when
// |a| is older, 0 when they are the same, positive when |a| is newer. Parts are separated by dots;
// a missing part counts as 0 (1.6 = 1.6.0); a part that is not a number is compared as text.
int CompareVersions(const std::string& a, const std::string& b);

// The sentence that names the decision, for the version |installed| (the DisplayVersion of the
// product's Uninstall entry, "" when there is none) and the package's |version|:
// "This is a fresh installation of 1.6.", "This is an upgrade from 1.5 to 1.6.",
// "This is a reinstallation of 1.6.", "This is a downgrade from 1.7 to 1.6."
std::string DecisionSentence(const std::string& installed, const std::string& version);

// The product's version as its Uninstall entry <appName>_new names it (DisplayVersion), "" when
// there is no entry or no such value.
std::string InstalledVersion(const std::string& appName);
