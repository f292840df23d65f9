// Product settings that an earlier installation stored in the registry: the lists of the current
// user and of the machine are merged and replace the configured values, so a reinstallation keeps
// the hosts the users have been working with.
#include "engine/RegistrySettings.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "engine/Installer.h"
#include "support/RegisterKey.h"

namespace {

constexpr char kProductSettingsKey[] = "SOFTWARE\\QVX\\QUORVIN";
constexpr char kExitCareKey[] = "SOFTWARE\\MedQuest\\ExitCare\\Settings";
constexpr char kExitCareValue[] = "ExitCareLocation";

bool EqualsIgnoringCase(const std::string& left, const char* right) {
  return lstrcmpiA(left.c_str(), right) == 0;
}

// The value as stored in |hive|; |text| is left as it was when it cannot be read. A missing key
// stays missing: reading leaves nothing behind in the registry.
void ReadStoredText(HKEY hive, const std::string& subKey, const std::string& valueName,
                    std::string& text) {
  CRegisterKey key;
  key.OpenExisting(hive, subKey, KEY_READ);
  key.ReadString(valueName, text);
  key.Close();
}

}  // namespace

std::string ProductSettingsKey(const std::string& appName) {
  const std::string key = kProductSettingsKey;
  if (!EqualsIgnoringCase(appName, "Tallyset") && !EqualsIgnoringCase(appName, "TallysetAdmin")) {
    return key;
  }
  return key.substr(0, key.rfind('\\') + 1) + appName;
}

bool IsListSetting(const std::string& valueName) {
  static const char* const kListSettings[] = {"Campus",      "HostList",           "PortList",
                                              "WebHostList", "AutoUpdateHostName", "UpdateFileURL"};
  return std::any_of(std::begin(kListSettings), std::end(kListSettings),
                     [&](const char* name) { return valueName == name; });
}

void AddUniqueTokens(const std::string& text, std::vector<std::string>& list) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    if (!item.empty() && std::find(list.begin(), list.end(), item) == list.end()) {
      list.push_back(item);
    }
    start = end + 1;
  }
}

std::string MergeLists(const std::string& first, const std::string& second) {
  std::vector<std::string> items;
  AddUniqueTokens(first, items);
  AddUniqueTokens(second, items);
  std::string joined;
  for (const std::string& item : items) {
    if (!joined.empty()) joined += ' ';
    joined += item;
  }
  return joined;
}

bool ReadMergedList(const std::string& subKey, const std::string& valueName, std::string& result) {
  // A failed read keeps the text held before, so a hive without the value offers the other
  // hive's items again; they are merged away as duplicates.
  ReadStoredText(HKEY_CURRENT_USER, subKey, valueName, result);
  const std::string userText = result;
  ReadStoredText(HKEY_LOCAL_MACHINE, subKey, valueName, result);
  result = MergeLists(userText, result);
  return true;
}

void CInstaller::MergeRegistrySettings() {
  const std::string settingsKey = ProductSettingsKey(appName);
  // Only settings the configuration has are updated; the record's own keyPath names its place
  // in AppInfo.xml, not in the registry.
  for (RegValue& setting : regValues) {
    if (!IsListSetting(setting.valueName)) continue;
    std::string stored;
    ReadMergedList(settingsKey, setting.valueName, stored);
    if (!stored.empty()) setting.value = stored;
  }

  // The main product also carries the location MedQuest ExitCare was set up with, when there is
  // one; it is the only setting that can be added here.
  if (EqualsIgnoringCase(appName, "Norvane")) {
    std::string location;
    ReadMergedList(kExitCareKey, kExitCareValue, location);
    if (!location.empty()) regValues.push_back({kExitCareKey, kExitCareValue, location});
  }
}
