// The application object: reads the options (-d and -l made absolute; an unattended run turns the
// system's error boxes off), chooses the log folder, passes the privilege gate (relaunching itself
// elevated when needed, once: the copy never relaunches again), loads the package and runs the
// installation in the wizard or unattended, and sets the process's exit code (startup/ExitCode.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/WinApp.h"
#include "startup/CmdLineArgTracker.h"
#include "startup/ElevatedRelaunch.h"
#include "startup/InteractiveDesktop.h"
#include "startup/PrivilegeGate.h"
#include "support/ProductMutex.h"

// What start-up learns from, and asks of, the system around the privilege gate. The program
// uses the real system; tests set the facts Wine cannot produce (Wine always reports an
// administrator) and watch the relaunch instead of starting a process.
struct StartupSystem {
  std::function<PrivilegeFacts()> readPrivilegeFacts = ReadPrivilegeFacts;
  // The running executable's path, empty when it cannot be had.
  std::function<std::string()> executablePath;
  std::function<RelaunchResult(const std::string& exePath, const std::string& parameters)>
      relaunchElevated = RelaunchElevatedAndWait;
  // Whether a window of this process can be seen and answered (startup/InteractiveDesktop.h).
  std::function<bool()> hasInteractiveDesktop = ProcessHasInteractiveDesktop;
};

class CInstallerApp : public CWinApp {
 public:
  CInstallerApp();
  ~CInstallerApp() override;

  // Start, then the run's last log line: "The installer ends with exit code <n>." (once a log
  // folder was chosen), on the disk before the process ends.
  bool InitInstance() override;
  // Start-up over an argument vector as the C runtime split it (argv[0] is the program);
  // InitInstance passes the process's own. Answers InitInstance's result.
  bool Start(int argc, char** argv);

  bool IsCampusEmpty() const { return argTracker->GetCampus().empty(); }

  std::unique_ptr<CCmdLineArgTracker> argTracker;
  StartupSystem system;
  // Held from the moment the package has named the product until this object goes at the
  // process's end.
  ProductMutex productMutex;

 private:
  // The -l folder when it can hold the log, else the temporary folder (with a line that says why).
  // False when no folder can hold it (the log file's own name is too long): the run ends with
  // exit code 1 (CLogEx::EndWithoutLogFolder) and nothing done.
  bool ChooseLogFolder();
  // The lines that open a run's log: the command line, the installer's file and version, the
  // process id, and a line for each argument that is none of the installer's options.
  void LogRunStart(int argc, char** argv);
  // False, with the exit code 1639 set and the reason logged, when the wizard would open where
  // nobody can see it (no interactive desktop).
  bool WizardCanBeAnswered();
  // True when start-up may go on in this process; otherwise the exit code is set and start-up ends.
  // |isElevatedCopy|: this process is the copy a relaunch started, which never relaunches again.
  bool PassPrivilegeGate(bool isElevatedCopy);
  // True when no other run of the product is in progress (this one now holds the product's
  // mutex); otherwise the run is refused with exit code 1618 and nothing is changed.
  bool TakeProductMutex();
  void RunUnattended();
  void RunWizard();
  void EndWithFailure();

  bool logChosen_ = false;
};
