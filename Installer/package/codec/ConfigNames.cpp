#include "package/codec/ConfigNames.h"

#include "package/codec/EntryPath.h"

namespace payload {
namespace {

const char* ElementName(ConfigName which) {
  switch (which) {
    case ConfigName::kCompanyName: return "companyName";
    case ConfigName::kAppName: return "appName";
    case ConfigName::kExePath: return "exeInfo path";
    case ConfigName::kShortcutName: return "shortCut name";
    case ConfigName::kShortcutAlias: return "shortCut alias";
    case ConfigName::kShortcutIcon: return "shortCut icon";
  }
  return "value";
}

bool IsFolderName(ConfigName which) {
  return which == ConfigName::kCompanyName || which == ConfigName::kAppName;
}

// The path rule itself, without the element's name: "" or the reason.
std::string CheckValue(ConfigName which, std::string_view value) {
  if (IsFolderName(which) && value.find('\\') != std::string_view::npos) {
    return "must be a single folder name (it contains a backslash)";
  }
  if (which == ConfigName::kExePath) {
    // These two words choose the company or the application folder; they are never joined.
    if (value == "root" || value == "mainApp") return "";
    // A folder may carry its trailing backslash, as every folder string of the installer does.
    if (value.size() > 1 && value.back() == '\\') value.remove_suffix(1);
  }
  const std::string reason = CheckEntryPath(value);
  return reason.empty() ? "" : "cannot be part of a path: " + reason;
}

}  // namespace

std::string CheckConfigName(ConfigName which, std::string_view value) {
  if (value.empty()) return "";
  const std::string reason = CheckValue(which, value);
  if (reason.empty()) return "";
  return std::string("the configuration's ") + ElementName(which) + " " + QuoteName(value) + " " +
         reason;
}

std::string CheckVersionFolderName(std::string_view appName, std::string_view version) {
  if (appName.empty()) return "";
  const std::string folder = std::string(appName) + std::string(version);
  const std::string reason = CheckEntryPath(folder);
  if (reason.empty() && folder.find('\\') == std::string::npos) return "";
  return "the configuration's appName " + QuoteName(appName) + " followed by the version " +
         QuoteName(version) + " cannot name the version folder " + QuoteName(folder) +
         (reason.empty() ? " (it contains a backslash)" : ": " + reason);
}

}  // namespace payload
