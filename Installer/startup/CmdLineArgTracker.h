// The option values of one run, as the command line gave them.
#pragma once

#include <string>

// All strings start empty and all flags at 0. An empty string means the option was not given;
// an option given with an empty value is the same as one not given. Filled once by
// CCustomCommandLineInfo at the start of the run and only read afterwards.
class CCmdLineArgTracker {
 public:
  virtual ~CCmdLineArgTracker();

  // Copies of the value options.
  std::string GetCampus() const { return campus; }
  std::string GetHostList() const { return hostList; }
  std::string GetPortList() const { return portList; }
  std::string GetAutoUpdateList() const { return autoUpdateList; }
  std::string GetTargetDir() const { return targetDir; }
  std::string GetLogLocation() const { return logLocation; }
  std::string GetWebHostList() const { return webHostList; }

  std::string campus;          // -c: campus name for the product settings
  std::string hostList;        // -h: space-separated host list
  std::string portList;        // -p: space-separated port list
  std::string autoUpdateList;  // -a: space-separated automatic-update hosts
  std::string targetDir;       // -d: target folder; a value selects the unattended run
  std::string logLocation;     // -l: folder for the log file
  std::string webHostList;     // -b: space-separated web hosts

  // Switches, 0 or 1; once set they stay set.
  int invokedByAutoUpdate = 0;          // -u: started by the automatic-update program (Updrift)
  int showHelp = 0;                     // -?: show the option summary and stop
  int needSilentUninstall = 0;          // -w: the uninstall entry runs Unwindle silently
  int needCreateShortcutOnDesktop = 0;  // -t: create desktop shortcuts
  int vistaEnabled = 0;                 // -v: VistA support is enabled
  int needInstallUVNC = 0;              // -r: install the UltraVNC remote-support component
};
