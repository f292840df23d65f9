#include "engine/ShortcutPlan.h"

#include <windows.h>

#include <stdexcept>

#include "engine/Installer.h"
#include "support/CommandLineQuoting.h"

const char kBrowserClientArgument[] = "BrenmoorEHR\\Webvane.exe";

namespace {

const char kMainClient[] = "Quorvin.exe";
const char kUninstallProgram[] = "unwindle.exe";

bool EqualsNoCase(const std::string& left, const char* right) {
  return lstrcmpiA(left.c_str(), right) == 0;
}

bool IsConfigurationTool(const std::string& name) {
  return EqualsNoCase(name, "QVX.Tallyset.exe") || EqualsNoCase(name, "QVX.TallysetAdmin.exe");
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The main client's links: the Start-menu one and, for the browser client with -t, the desktop
// one. They start the copy in the company folder, which every version refreshes, so the links
// keep working when a newer version lands in a version folder of its own.
void PlanMainClient(const CInstaller& engine, const ShortcutInfo& entry,
                    const std::string& linkName, std::vector<ShortcutLink>& links) {
  ShortcutLink link;
  link.target = engine.installRoot + entry.name;
  link.linkName = linkName;
  link.arguments = entry.argument;
  link.iconIndex = MainClientIconIndex(entry.icon);
  link.folderId = engine.programsFolderId;
  links.push_back(link);

  const bool startsBrowserClient = EqualsNoCase(entry.argument, kBrowserClientArgument);
  if (engine.desktopShortcut && startsBrowserClient) {
    link.linkName = entry.alias;
    link.folderId = engine.desktopFolderId;
    links.push_back(link);
  }
  if (startsBrowserClient) links.back().refreshDesktopAlias = entry.alias;
}

}  // namespace

int MainClientIconIndex(const std::string& icon) {
  if (icon.empty() || icon.find_first_not_of("0123456789") != std::string::npos) return 0;
  // An index too large for an int is no icon of any file: the first icon serves.
  try {
    return std::stoi(icon);
  } catch (const std::out_of_range&) {
    return 0;
  }
}

std::string UninstallBaseFolder(const std::string& installRoot, const std::string& companyName) {
  const size_t company = companyName.empty() ? std::string::npos : installRoot.rfind(companyName);
  // Position 0 or 1 leaves no folder in front of the company name worth naming.
  if (company == std::string::npos || company <= 1) return installRoot;
  return installRoot.substr(0, company - 1);
}

std::string UninstallArguments(const std::string& installRoot, const std::string& companyName,
                               const std::string& appName, bool silentUninstall) {
  return QuoteForCommandLine(UninstallBaseFolder(installRoot, companyName)) + " " +
         QuoteForCommandLine("AppInfo.xml") + " " + QuoteForCommandLine(companyName) + " " +
         QuoteForCommandLine(appName) + " " + QuoteForCommandLine(silentUninstall ? "TRUE" : "FALSE");
}

std::string UninstallCommandLine(const std::string& programPath, const std::string& arguments) {
  return Quoted(programPath) + " " + arguments;
}

std::vector<ShortcutLink> PlanShortcutLinks(CInstaller& engine, const PathExists& exists) {
  std::vector<ShortcutLink> links;
  for (ShortcutInfo& entry : engine.shortcuts) {
    // Looked up even when no link is made: a name exePaths lacks is added with no folder.
    const std::string target = engine.exePaths[entry.name] + entry.name;
    const std::string iconPath = engine.exePaths[entry.icon] + entry.icon;
    if (!engine.startMenuShortcut) continue;  // no Start-menu links means no desktop link either

    const bool mainClient = EqualsNoCase(entry.name, kMainClient);
    if (!mainClient && !exists(target)) continue;  // a program this package does not carry

    const std::string linkName = engine.companyName + "\\" + entry.alias;
    if (mainClient) {
      PlanMainClient(engine, entry, linkName, links);
      continue;
    }
    if (IsConfigurationTool(entry.name)) {
      if (engine.vistaEnabled) entry.argument = Quoted("-v");
    } else if (target.find(kUninstallProgram) != std::string::npos) {
      // The link gets the arguments alone; the Uninstall entry gets the whole command line.
      entry.argument = UninstallArguments(engine.installRoot, engine.companyName, engine.appName,
                                          engine.silentUninstall != 0);
      engine.uninstallCommand = UninstallCommandLine(target, entry.argument);
      engine.uninstallIcon = iconPath;
    }
    ShortcutLink link;
    link.target = target;
    link.linkName = linkName;
    link.arguments = entry.argument;
    link.iconFile = iconPath;
    link.iconIndex = -1;
    link.folderId = engine.programsFolderId;
    links.push_back(link);
  }
  return links;
}
