#include "engine/UninstallValues.h"

#include <cstdio>

#include "package/codec/UninstallEntry.h"

namespace {

const char kQuietArgument[] = "\"TRUE\"";
const char kAskingArgument[] = "\"FALSE\"";

bool EndsWithNoCase(const std::string& text, const char* tail) {
  const size_t length = std::char_traits<char>::length(tail);
  return text.size() >= length &&
         lstrcmpiA(text.c_str() + text.size() - length, tail) == 0;
}

UninstallValue Text(const char* name, const std::string& text) {
  UninstallValue value;
  value.name = name;
  value.type = REG_SZ;
  value.text = text;
  return value;
}

UninstallValue Number(const char* name, DWORD number) {
  UninstallValue value;
  value.name = name;
  value.type = REG_DWORD;
  value.number = number;
  return value;
}

}  // namespace

std::string UninstallKeyPath(const std::string& appName) {
  return std::string(payload::kUninstallEntriesKey) + "\\" + payload::UninstallEntryName(appName);
}

std::vector<UninstallValue> UninstallEntryValues(const UninstallEntryFacts& facts) {
  std::vector<UninstallValue> values = {Text("DisplayName", facts.appName),
                                        Text("UninstallString", facts.uninstallCommand)};
  if (!facts.uninstallIcon.empty()) values.push_back(Text("DisplayIcon", facts.uninstallIcon));
  values.push_back(Text("DisplayVersion", facts.version));
  values.push_back(Text("Publisher", facts.companyName));
  values.push_back(Text("InstallLocation", facts.installRoot));
  values.push_back(Text("InstallDate", InstallDateText(facts.localTime)));
  values.push_back(Number("EstimatedSize", EstimatedSizeKiB(facts.placedBytes)));
  // The installer has no modify or repair mode: a newer package, or the same one again, is how
  // the product is changed or mended.
  values.push_back(Number("NoModify", 1));
  values.push_back(Number("NoRepair", 1));
  const std::string quiet = QuietUninstallCommand(facts.uninstallCommand);
  if (!quiet.empty()) values.push_back(Text("QuietUninstallString", quiet));
  return values;
}

std::string InstallDateText(const SYSTEMTIME& localTime) {
  char text[16];
  std::snprintf(text, sizeof(text), "%04u%02u%02u", localTime.wYear, localTime.wMonth,
                localTime.wDay);
  return text;
}

DWORD EstimatedSizeKiB(uint64_t bytes) {
  const uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(kib);
}

std::string QuietUninstallCommand(const std::string& uninstallCommand) {
  if (EndsWithNoCase(uninstallCommand, kQuietArgument)) return uninstallCommand;
  if (!EndsWithNoCase(uninstallCommand, kAskingArgument)) return {};
  return uninstallCommand.substr(0, uninstallCommand.size() - (sizeof(kAskingArgument) - 1)) +
         kQuietArgument;
}
