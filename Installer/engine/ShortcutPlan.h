// What the shortcut step makes, worked out without touching the system: the links to write, the
// icon index of the main client and the uninstall command line. The step itself
// (CInstaller::CreateAppShortCuts) asks the file system whether each program is there and then
// writes the links this plan lists.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CInstaller;

// One .lnk file as CreateShellLink writes it.
struct ShortcutLink {
  std::string target;         // the program the link starts
  std::string linkName;       // below the shell folder, without ".lnk"; may hold backslashes
  std::string workingFolder;  // empty: the shell's default
  std::string arguments;
  std::string iconFile;  // the icon's file when iconIndex is -1
  int iconIndex = -1;    // >= 0: that icon of the target itself; -1: icon 0 of iconFile
  int folderId = 0;      // CSIDL of the shell folder the link goes into
  // Not empty for the last link of a main client entry that starts the browser client: after
  // writing it the shell is told that <all-users desktop>\<alias>.lnk is gone, so a link an
  // earlier version left there disappears from the desktop view.
  std::string refreshDesktopAlias;
};

// The argument the main client gets to start the browser client; compared without regard to
// case. Only this argument puts the main client on the desktop.
extern const char kBrowserClientArgument[];

// The main client's icon index: |icon| read as a decimal number when it consists of digits only,
// else 0 ("4" gives 4; "4a", "" and "quorvin.ico" give 0).
int MainClientIconIndex(const std::string& icon);

// The folder the uninstall program is told to start from: |installRoot| up to the backslash
// before the last occurrence of |companyName| (case-sensitive) when that occurrence starts past
// the second character, else the whole of |installRoot|.
// "C:\Program Files\QVX\" with "QVX" gives "C:\Program Files"; "D:\Apps\" with "QVX" gives
// "D:\Apps\" (the backslash kept). An empty |companyName| counts as not found.
std::string UninstallBaseFolder(const std::string& installRoot, const std::string& companyName);

// The uninstall program's five arguments, each quoted by QuoteForCommandLine: base folder,
// "AppInfo.xml", company, application and "TRUE" or "FALSE":
// "C:\Program Files" "AppInfo.xml" "QVX" "Norvane" "FALSE"
// A base folder that ends in a backslash gets it doubled inside its quotes ("C:\Data\\"), so that
// the program still receives five arguments and the folder as it is.
std::string UninstallArguments(const std::string& installRoot, const std::string& companyName,
                               const std::string& appName, bool silentUninstall);

// The UninstallString: the program's path in quotes (so that a path with blanks is never run
// through the system's prefix search, C:\Program.exe first), one blank, then |arguments|.
std::string UninstallCommandLine(const std::string& programPath, const std::string& arguments);

// Answers whether a file exists at a path (the step passes the C runtime's access test).
using PathExists = std::function<bool(const std::string& path)>;

// What the plan needs to know of the installed product.
struct InstalledFiles {
  // The relative path of every archive entry, in archive order.
  std::vector<std::string> archivePaths;
  PathExists exists;
};

// Where extraction put the file |name| (a program or icon name as the configuration gives it,
// lower case): the folder exePaths recorded for it during extraction, followed by |name|; for a
// file exeInfo does not list, the version folder followed by the path of the first archive entry
// of that file name (compared without regard to case), which is where extraction wrote it. Empty
// when the package does not carry it. Never a bare name: that would be looked up in the
// installer's working folder, where any file of that name may lie.
std::string InstalledFilePath(CInstaller& engine, const std::string& name,
                              const std::vector<std::string>& archivePaths);

// The links for engine.shortcuts, in configuration order. Reads installRoot, companyName,
// appName, version, exePaths, startMenuShortcut, desktopShortcut, vistaEnabled, silentUninstall,
// programsFolderId and desktopFolderId. Changes the engine the way the step does:
// - a configuration tool entry's argument becomes "-v" in quotes when vistaEnabled is set;
// - an entry whose target holds "unwindle.exe" gets the uninstall arguments, and sets
//   uninstallCommand and uninstallIcon (the last such entry wins).
// With startMenuShortcut clear the answer is empty and the engine is left as it is.
// The target of an entry is InstalledFilePath of its name; its icon file that of its icon, or
// the icon text itself when the package does not carry that file. An entry whose program the
// package does not carry, or whose target |files|.exists denies, gets no link and a line in
// |skipped| saying why. The main client, when the package carries it, is the exception: its links
// start the shared copy in the base folder (the company folder for the main product, the
// application folder for the others, as extraction places it) without asking.
std::vector<ShortcutLink> PlanShortcutLinks(CInstaller& engine, const InstalledFiles& files,
                                            std::vector<std::string>* skipped);
