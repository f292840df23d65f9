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

// Makes |folder| and the folders above it that are missing, with default security. |made|
// receives the folders this call made, topmost first, so that they can be removed with the
// record. True when |folder| is there afterwards; a failure is logged.
bool MakeRecordFolder(const std::string& folder, std::vector<std::string>* made);

}  // namespace rollback
