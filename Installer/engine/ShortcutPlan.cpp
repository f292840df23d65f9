#include "engine/ShortcutPlan.h"

#include <windows.h>

#include <stdexcept>

#include "engine/Installer.h"
#include "package/ExtractionRules.h"
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
// one. They start the shared copy one level above the version folders, which every version
// refreshes, so the links keep working when a newer version lands in a version folder of its
// own. The copy is where extraction puts it: the company folder for the main product, the
// application folder for the others.
void PlanMainClient(const CInstaller& engine, const ShortcutInfo& entry,
                    const std::string& linkName, std::vector<ShortcutLink>& links) {
  ShortcutLink link;
  link.target = extraction::BaseFolder(engine.installRoot, engine.appName) + entry.name;
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

std::string InstalledFilePath(CInstaller& engine, const std::string& name,
                              const std::vector<std::string>& archivePaths) {
  // Extraction replaces the path word of a listed program by the folder it wrote the program
  // to, which lies below the company folder; a path word that is still there means the package
  // did not carry the program.
  const auto listed = engine.exePaths.find(name);
  if (listed != engine.exePaths.end()) {
    const std::string& folder = listed->second;
    const bool recorded = !engine.installRoot.empty() &&
                          folder.compare(0, engine.installRoot.size(), engine.installRoot) == 0;
    return recorded ? folder + name : std::string();
  }
  // Every other entry went to the version folder, below it as the archive names it.
  const std::string wanted = extraction::LowerCase(name);
  for (const std::string& path : archivePaths) {
    if (extraction::EntryFileName(path) == wanted) return engine.GetVersionFolder() + path;
  }
  return {};
}

std::vector<ShortcutLink> PlanShortcutLinks(CInstaller& engine, const InstalledFiles& files,
                                            std::vector<std::string>* skipped) {
  std::vector<ShortcutLink> links;
  // No Start-menu links means no desktop link either.
  if (!engine.startMenuShortcut) return links;
  for (ShortcutInfo& entry : engine.shortcuts) {
    const std::string linkName = engine.companyName + "\\" + entry.alias;
    const std::string target = InstalledFilePath(engine, entry.name, files.archivePaths);
    if (target.empty()) {
      // Neither a Start-menu nor a desktop link may start a program this package did not bring.
      skipped->push_back("No link " + linkName + ": " + entry.name +
                         " is not part of the installed product.");
      continue;
    }
    if (EqualsNoCase(entry.name, kMainClient)) {
      PlanMainClient(engine, entry, linkName, links);
      continue;
    }
    if (!files.exists(target)) {
      skipped->push_back("No link " + linkName + ": " + target + " was not installed.");
      continue;
    }
    const std::string iconFile = InstalledFilePath(engine, entry.icon, files.archivePaths);
    const std::string iconPath = iconFile.empty() ? entry.icon : iconFile;

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
