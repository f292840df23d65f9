// The process-wide objects, in one file so that they are constructed in this order and
// destroyed in the reverse one: the application, the engine, the log.
#include "engine/Installer.h"
#include "startup/InstallerApp.h"
#include "support/Log.h"

CInstallerApp theApp;
CInstaller theInstaller;
// An empty folder means the executable's own folder until start-up chooses one; the period
// kind 1 starts a new log file every month.
CLogEx theLog("", 1);
