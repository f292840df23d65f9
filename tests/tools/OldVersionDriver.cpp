// old_version_driver.exe APPNAME LOGFOLDER
// Runs the installer's removal of earlier Windows Installer installations for the product
// APPNAME, as start-up does right after the configuration was read, in an unattended run (reports
// go to the log). The trace goes to LOGFOLDER. Exits with 0 once the step returned.
#include <cstdio>

#include "engine/Installer.h"
#include "support/Log.h"

// The engine and the log the library works on, as the installer defines them.
CInstaller theInstaller;
CLogEx theLog("", 1);

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: old_version_driver APPNAME LOGFOLDER\n");
    return 2;
  }
  theLog.SetInteractive(false);
  theLog.SetLogDir(argv[2]);
  theInstaller.silent = 1;
  theInstaller.appName = argv[1];
  theInstaller.ProcessOldVersion();
  return 0;
}
