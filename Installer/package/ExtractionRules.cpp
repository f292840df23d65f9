#include "package/ExtractionRules.h"

#include <windows.h>

#include <algorithm>

#include "support/PathHelpers.h"

namespace extraction {

namespace {

bool SameTextIgnoringCase(const std::string& a, const char* b) {
  return lstrcmpiA(a.c_str(), b) == 0;
}

}  // namespace

std::string LowerCase(std::string text) {
  if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string EntryFileName(const std::string& relativePath) {
  return LowerCase(LastPathComponent(relativePath));
}

std::string TargetFolderForPathWord(const std::string& pathWord, const InstallFolders& folders) {
  if (pathWord == "root") return folders.company;
  if (pathWord == "mainApp") return folders.application;
  return folders.version;
}

std::string ProgramFolder(const std::string& targetFolder, const std::string& relativePath) {
  const std::vector<size_t> separators = SeparatorPositions(relativePath.c_str(), CP_ACP);
  if (separators.empty()) return targetFolder;
  return targetFolder + relativePath.substr(0, separators.front() + 1);
}

bool IsSharedProgram(const std::string& fileName) {
  for (const char* shared : {"Quorvin.exe", "Updrift.exe", "unwindle.exe", "Commonry.dll"}) {
    if (SameTextIgnoringCase(fileName, shared)) return true;
  }
  return false;
}

bool IsMainClient(const std::string& fileName) {
  return SameTextIgnoringCase(fileName, "Quorvin.exe");
}

bool IsMainProduct(const std::string& appName) { return SameTextIgnoringCase(appName, "Norvane"); }

bool IsHelperOnly(const std::string& justHelper) {
  return SameTextIgnoringCase(justHelper, "TRUE");
}

bool HelperWritesEntry(const std::string& fullName) {
  return LowerCase(fullName).find("tools") != std::string::npos;
}

std::string BaseFolder(const std::string& companyFolder, const std::string& appName) {
  return IsMainProduct(appName) ? companyFolder : companyFolder + appName + "\\";
}

bool AddFolderOnce(std::vector<std::string>* sortedFolders, const std::string& folder) {
  const std::string key = LowerCase(folder);
  const auto place = std::lower_bound(sortedFolders->begin(), sortedFolders->end(), key);
  if (place != sortedFolders->end() && *place == key) return false;
  sortedFolders->insert(place, key);
  return true;
}

}  // namespace extraction
