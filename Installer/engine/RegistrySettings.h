#pragma once

#include <string>
#include <vector>

// The product settings an earlier installation left in the registry. The installed product
// keeps its connection settings as lists of items separated by single blanks, per user in
// HKEY_CURRENT_USER and machine-wide in HKEY_LOCAL_MACHINE; the installer only reads them
// (CInstaller::MergeRegistrySettings) and never writes one.

// Where the settings of |appName| are kept: "SOFTWARE\QVX\QUORVIN", except for Tallyset and
// TallysetAdmin (|appName| compared without regard to case), whose key is named after the
// application: "SOFTWARE\QVX\" + |appName|.
std::string ProductSettingsKey(const std::string& appName);

// True for the setting names whose stored lists replace the configured values: "Campus",
// "HostList", "PortList", "AutoUpdateHostName", "UpdateFileURL" and "WebHostList", compared
// exactly. Any other setting (MinFontSize, say) is never looked up.
bool IsListSetting(const std::string& valueName);

// Splits |text| at single blanks and appends to |list| every item that is not empty and not yet
// in |list| (exact, case-sensitive comparison). Repeated blanks give empty items, which are
// dropped.
void AddUniqueTokens(const std::string& text, std::vector<std::string>& list);

// The merged list: the items of |first| in their order, then each item of |second| not yet
// present, joined with one blank and no blank at the end; "" when neither holds an item.
std::string MergeLists(const std::string& first, const std::string& second);

// Reads |valueName| of |subKey| from HKEY_CURRENT_USER, then from HKEY_LOCAL_MACHINE (KEY_READ,
// so the 32-bit view of the machine hive), and leaves MergeLists(user's, machine's) in |result|.
// A hive whose value is missing or unreadable (no key, longer than 512 bytes, no text) offers
// what |result| held before instead, so with an empty |result| a value in neither hive gives "".
// Opening creates |subKey| in each hive where it is missing, as far as the rights allow.
// Always answers true.
bool ReadMergedList(const std::string& subKey, const std::string& valueName, std::string& result);
