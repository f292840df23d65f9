// Where a product's run records live: a folder that every installer of the product finds,
// whatever target folder the user chooses, so that the next run can finish a killed one.
#pragma once

#include <string>
#include <vector>

namespace rollback {

// <all-users application data>\<companyName>\Setup\<appName>, for example
// C:\ProgramData\QVX\Setup\Norvane. |companyName| and |appName| are single path components.
std::string RecordFolderBelow(const std::string& commonAppData, const std::string& companyName,
                              const std::string& appName);

// RecordFolderBelow the all-users application data folder (CSIDL_COMMON_APPDATA); "" when the
// system does not name that folder (logged).
std::string ProductRecordFolder(const std::string& companyName, const std::string& appName);

// The folders of |folder| that the records' trust depends on: <companyName>, Setup and <appName>,
// the last three levels, topmost first. Whoever may replace one of them could replace the records.
std::vector<std::string> RecordFolderLevels(const std::string& folder);

// Looks at each level of |folder| that is there (RecordFolderLevels), top down. One that is not a
// folder, or that JudgeRecordLocation does not trust, is logged with its owner and the reason and
// renamed to "<name>.untrusted-<time>" beside it, where an administrator can look at it; nothing
// in it is ever acted on. |setAside| (when not null) says whether one was. True when every level
// left is a trusted folder or missing; false (logged) when one could not be moved aside.
bool SetAsideUntrustedLevels(const std::string& folder, bool* setAside);

// Makes |folder| and the folders above it that are missing, each owned by Administrators (or by
// the running account when it may not name them) with a protected DACL that gives SYSTEM and
// Administrators full control and nobody else anything (kRecordFolderSddl); levels that are not
// trusted are moved aside first (SetAsideUntrustedLevels). |made| receives the folders this call
// made, topmost first, so that they can be removed with the record. True when |folder| is there
// and trusted afterwards; a failure is logged.
bool MakeRecordFolder(const std::string& folder, std::vector<std::string>* made);

// Removes the levels of |folder| (RecordFolderLevels) that are empty, deepest first: a run killed
// between making them and writing its record leaves them so.
void RemoveEmptyRecordFolders(const std::string& folder);

}  // namespace rollback
