// Where an archive entry goes, computed without touching the system: the target folder a program's
// configured path word selects, the folder then recorded for the program, the shared programs and
// their extra copy, and which entries a helper-only install writes.
//
// Paths are 8-bit strings in the process ANSI code page; folder strings end in a backslash and
// names are appended to them directly.
#pragma once

#include <string>
#include <vector>

namespace extraction {

// The three folders of an installation, each ending in a backslash.
struct InstallFolders {
  std::string company;      // installRoot
  std::string application;  // company + appName + "\"
  std::string version;      // application + appName + version + "\"
};

// |text| lower-cased in the process code page, double-byte characters included.
std::string LowerCase(std::string text);

// The lower-case file name of an archive path: the part after its last backslash, or the whole
// path when it has none. A double-byte character's trail byte is never taken for a backslash.
std::string EntryFileName(const std::string& relativePath);

// The folder a listed program goes to: "root" gives the company folder, "mainApp" the
// application folder, any other word (empty or blank included) the version folder. The two words
// are compared exactly, case included.
std::string TargetFolderForPathWord(const std::string& pathWord, const InstallFolders& folders);

// The folder recorded for a placed program: |targetFolder| followed by |relativePath| up to and
// including its first backslash (nothing more when the path has none). Ends in a backslash.
std::string ProgramFolder(const std::string& targetFolder, const std::string& relativePath);

// True for the four programs every product of the company shares ("Quorvin.exe", "Updrift.exe",
// "unwindle.exe", "Commonry.dll"), compared without regard to case.
bool IsSharedProgram(const std::string& fileName);

// True for the main client, "Quorvin.exe" without regard to case: its shared copy is refreshed on
// every installation, the other shared copies are only created.
bool IsMainClient(const std::string& fileName);

// True when |appName| is the main product, "Norvane" without regard to case.
bool IsMainProduct(const std::string& appName);

// True when |justHelper| asks for a helper-only install: "TRUE" without regard to case.
bool IsHelperOnly(const std::string& justHelper);

// True when a helper-only install writes the entry at |fullName|: its lower-case full name
// contains "tools" anywhere, folders included.
bool HelperWritesEntry(const std::string& fullName);

// Where the shared copies and the AppInfo.xml seed of the base folder go: the company folder for
// the main product, the application folder (company + appName + "\") for every other product.
std::string BaseFolder(const std::string& companyFolder, const std::string& appName);

// Adds |folder| (compared without regard to case) to |sortedFolders|, kept sorted. True when it
// was not there yet.
bool AddFolderOnce(std::vector<std::string>* sortedFolders, const std::string& folder);

}  // namespace extraction
