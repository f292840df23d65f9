#include "startup/InstallerApp.h"

#include <cstdio>

#include "engine/InstallRun.h"
#include "engine/Installer.h"
#include "framework/CommonControls.h"
#include "rollback/RecordFolder.h"
#include "startup/CommandLineOverrides.h"
#include "startup/CustomCommandLineInfo.h"
#include "startup/ElevationParameters.h"
#include "startup/ExitCode.h"
#include "startup/HelpText.h"
#include "startup/LogFolderChoice.h"
#include "startup/RunChangesScope.h"
#include "support/Log.h"
#include "support/FileVersion.h"
#include "support/SystemPaths.h"
#include "ui/InstallerDlg.h"

namespace {

// Marks the release in the executable image; nothing shows or compares it. "used" keeps the
// optimiser from dropping it together with the local copy start-up makes of it.
__attribute__((used)) const char kReleaseMarker[] = "!@#$_QVX_RELEASE: 213.03.0035";

int ExitCodeOf(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::kCompleted:
      return kExitSuccess;
    case InstallOutcome::kCancelled:
      return kExitUserCancelled;
    default:
      return kExitInstallFailed;
  }
}

std::string TempFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(folder);
}

// An unattended run has nobody to close a box, so the system's own boxes (a drive that is not
// ready, a file that cannot be found when a library or program loads) are turned off too: the
// call fails and the run reports it. Kept for the programs it starts, which inherit it.
void SuppressSystemErrorBoxes() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// -d and -l as absolute paths: the elevated copy starts in another folder (the system's), and
// the uninstall command, its icon and ExePathInfo must name the same places whatever folder the
// product's programs later run in.
void MakeFolderOptionsAbsolute(CCmdLineArgTracker& args) {
  args.targetDir = AbsolutePath(args.targetDir);
  args.logLocation = AbsolutePath(args.logLocation);
}

}  // namespace

CInstallerApp::CInstallerApp() : argTracker(std::make_unique<CCmdLineArgTracker>()) {
  system.executablePath = [] { return ModuleFileName(); };
}

CInstallerApp::~CInstallerApp() = default;

bool CInstallerApp::InitInstance() {
  const bool result = Start(__argc, __argv);
  if (logChosen_) {
    // A deployment engineer reads the outcome of a run from its last line.
    theLog.Write(("The installer ends with exit code " + std::to_string(GetExitCode()) + ".").c_str());
    theLog.WaitUntilAllFlushed();
  }
  return result;
}

bool CInstallerApp::Start(int argc, char** argv) {
  {
    CCustomCommandLineInfo commandLine(argTracker.get());
    WalkCommandLine(commandLine, argc, argv);
  }
  CCmdLineArgTracker& args = *argTracker;
  if (!args.GetTargetDir().empty()) SuppressSystemErrorBoxes();
  const std::string releaseMarker(kReleaseMarker);

  if (args.showHelp) {
    AfxMessageBox(HelpText(), MB_OK);
    SetExitCode(kExitSuccess);
    return false;
  }

  MakeFolderOptionsAbsolute(args);
  theInstaller.silent = args.GetTargetDir().empty() ? 0 : 1;
  if (!ChooseLogFolder()) return false;
  LogRunStart(argc, argv);
  if (args.GetTargetDir().empty() && !WizardCanBeAnswered()) return false;
  theInstaller.silentUninstall = args.needSilentUninstall;
  theInstaller.desktopShortcut = args.needCreateShortcutOnDesktop;
  theInstaller.installUltraVNC = args.needInstallUVNC;

  if (!args.invokedByAutoUpdate && !PassPrivilegeGate(IsElevatedCopy(argc, argv))) return true;
  theInstaller.vistaEnabled = args.vistaEnabled;

  if (!theInstaller.Init(IsCampusEmpty())) {
    EndWithFailure();
    return true;
  }
  theLog.Write(("Package: " + theInstaller.GetProjectName() + " " + theInstaller.version +
                " (company " + theInstaller.GetCompanyName() + ", application " +
                theInstaller.GetAppName() + ").")
                   .c_str());
  // A value the deployment asked for that the product has no setting for would be dropped
  // without a word: the run fails before anything is changed (the wizard never applies them).
  if (!args.GetTargetDir().empty()) {
    const std::vector<std::string> unstorable =
        UnstorableCommandLineSettings(args, theInstaller.regValues);
    for (const std::string& line : unstorable) theInstaller.ReportMessage(line);
    if (!unstorable.empty()) {
      EndWithFailure();
      return true;
    }
  }
  // Only one run of a product at a time changes the machine. The product is known once the
  // package is read; nothing has been changed before this point, and the relaunching parent
  // above, which only waits for its elevated copy, never takes the mutex. An unattended run holds
  // it from here to its end; the wizard takes it only while a Finish installs, so that a wizard
  // left open blocks no deployment.
  const bool wizard = args.GetTargetDir().empty();
  if (!wizard && !TakeProductMutex()) return true;
  // A killed run of the product is finished before this one changes anything (the wizard's
  // attempts do it under the mutex). From here on every change is recorded, and a run that does
  // not succeed takes them all back, however it ends.
  const RunChangesScope recording(
      theInstaller,
      rollback::ProductRecordFolder(theInstaller.GetCompanyName(), theInstaller.GetAppName()),
      !wizard);
  if (!recording.EarlierRunsFinished()) {
    // Over a half-undone earlier run this run's own changes could not be undone cleanly.
    theInstaller.ReportMessage("An earlier installation of " + theInstaller.GetProjectName() +
                               " could not be rolled back completely. Close the programs that "
                               "use its files and run Setup again.");
    EndWithFailure();
    return true;
  }
  // A change that a kill could leave without a record is not made at all.
  if (!recording.CanRecord()) {
    theInstaller.ReportMessage("Setup cannot keep the record of its changes that lets a later run "
                               "undo them; nothing was changed. See the log for the cause.");
    EndWithFailure();
    return true;
  }
  // Earlier Windows Installer installs of the product go before either run mode starts; its
  // failures never stop the run. They are gone for good: a rollback does not bring them back.
  theInstaller.ProcessOldVersion();
  if (wizard) {
    RunWizard();
  } else {
    RunUnattended();
  }
  return false;
}

bool CInstallerApp::ChooseLogFolder() {
  const LogFolderChoice choice =
      ::ChooseLogFolder(argTracker->GetLogLocation(), TempFolder(), theLog);
  // Unattended, nobody can close a box: a log folder that cannot be made ends the run quietly.
  theLog.SetInteractive(!theInstaller.silent);
  if (choice.failure != ERROR_SUCCESS) {
    // A run without a log would leave no trace: it ends as when no folder can be created.
    theLog.EndWithoutLogFolder(choice.folder.c_str(), choice.failure);
    SetExitCode(kExitLogFolderFailed);
    return false;
  }
  theLog.SetLogDir(choice.folder.c_str());
  if (!choice.fileName.empty()) theLog.SetFixedFileName(choice.fileName);
  logChosen_ = true;
  if (!choice.notice.empty()) theLog.Write(choice.notice.c_str());
  return true;
}

void CInstallerApp::LogRunStart(int argc, char** argv) {
  theLog.Write((std::string("Command line: ") + GetCommandLineA()).c_str());
  const std::string exePath = system.executablePath();
  const std::string version = FileVersionOf(exePath);
  theLog.Write(("Installer " + exePath + ", file version " +
                (version.empty() ? std::string("unknown") : version) + ", process " +
                std::to_string(GetCurrentProcessId()) + ".")
                   .c_str());
  for (const std::string& argument : NotOptionArguments(argc, argv)) {
    theLog.Write((argument + " is not an option of this installer and is ignored.").c_str());
  }
}

bool CInstallerApp::WizardCanBeAnswered() {
  if (system.hasInteractiveDesktop()) return true;
  theLog.Write(
      "The setup wizard cannot be shown: this process has no interactive desktop (a service, or "
      "SYSTEM outside a user's session), so nobody could answer it. Nothing was installed. For "
      "an unattended installation, give the folder with -d, attached to its letter: "
      "-dC:\\Apps.");
  SetExitCode(kExitInvalidCommandLine);
  return false;
}

bool CInstallerApp::PassPrivilegeGate(bool isElevatedCopy) {
  const PrivilegeFacts facts = system.readPrivilegeFacts();
  switch (DecidePrivilegeGate(argTracker->invokedByAutoUpdate != 0, isElevatedCopy, facts)) {
    case GateDecision::kProceed:
      return true;
    case GateDecision::kRefuseOldSystem:
      theInstaller.ReportMessage(
          "You have insufficient privileges to install the program ,please contact administrator.");
      EndWithFailure();
      return false;
    case GateDecision::kRefuseStillNotAdministrator:
      theInstaller.ReportMessage(
          "The installer was started again to get administrator rights, but it still has none "
          "(user account control may be turned off). Please run it as an administrator.");
      EndWithFailure();
      return false;
    case GateDecision::kRelaunchElevated:
      break;
  }
  const std::string exePath = system.executablePath();
  if (exePath.empty()) return true;  // without its own path the installer goes on as it is

  const std::string parameters = BuildRelaunchParameters(*argTracker);
  const RelaunchResult result = system.relaunchElevated(exePath, parameters);
  char line[160];
  if (result.launched && result.error == ERROR_SUCCESS) {
    std::snprintf(line, sizeof(line), "The elevated installer ended with exit code %lu.",
                  result.exitCode);
    theLog.Write(line);
    SetExitCode(static_cast<int>(result.exitCode));
  } else if (result.launched) {
    std::snprintf(line, sizeof(line),
                  "The outcome of the elevated installer is unknown (error %lu).", result.error);
    theLog.Write(line);
    SetExitCode(kExitInstallFailed);
  } else if (result.error == ERROR_CANCELLED) {
    theLog.Write("The elevation prompt was declined; nothing was installed.");
    SetExitCode(kExitUserCancelled);
  } else {
    std::snprintf(line, sizeof(line),
                  "The installer could not be started with administrator rights (error %lu).",
                  result.error);
    theLog.Write(line);
    SetExitCode(kExitInstallFailed);
  }
  return false;
}

bool CInstallerApp::TakeProductMutex() {
  const std::string name =
      ProductMutexName(theInstaller.GetCompanyName(), theInstaller.GetAppName());
  switch (productMutex.TryAcquire(name)) {
    case ProductLockState::kHeld:
      return true;
    case ProductLockState::kUnavailable:
      // Logged by TryAcquire. A mutex that cannot be made at all says nothing about other runs;
      // refusing every installation for it would block the product on this machine for good.
      theLog.Write("The installation goes on without the check for another run of the product.");
      return true;
    case ProductLockState::kBusy:
      break;
  }
  const std::string text =
      "Another installation of " + theInstaller.GetProjectName() + " is in progress.";
  // The log gets the line in both run modes; the wizard's user gets it in a box as well.
  theInstaller.ReportOutcome(text);
  theInstaller.ReleasePayload();
  SetExitCode(kExitAnotherInstallation);
  return false;
}

void CInstallerApp::RunUnattended() {
  const CCmdLineArgTracker& args = *argTracker;
  if (args.invokedByAutoUpdate) theInstaller.invokedByAutoUpdate = 1;

  std::vector<RegValue> settings = theInstaller.regValues;
  theInstaller.hostSettingsChanged = ApplyCommandLineOverrides(args, &settings) ? 1 : 0;
  theInstaller.regValues = settings;

  InstallChoices choices;
  choices.companyFolder = CompanyFolderBelow(args.GetTargetDir(), theInstaller.GetCompanyName());
  // An automatic update leaves the product's registration as the deployment made it.
  choices.registerProduct = !args.invokedByAutoUpdate;
  choices.remoteSupport = args.needInstallUVNC != 0;
  InstallRun attempt(theInstaller, choices);
  const InstallOutcome outcome = attempt.Execute(nullptr);
  attempt.Report();
  if (outcome != InstallOutcome::kCompleted) theInstaller.ReleasePayload();
  SetExitCode(ExitCodeOf(outcome));
}

void CInstallerApp::RunWizard() {
  // The progress dialog's bar is a common control; its class must exist before Finish.
  InitCommonControlsForWizard();
  CInstallerDlg wizard(nullptr);
  const INT_PTR result = wizard.DoModal();  // the wizard is the main window while it runs
  const InstallOutcome outcome = WizardOutcome(result, wizard.GetInstallOutcome());
  if (result == IDCANCEL) {
    theLog.Write("The setup wizard was cancelled; nothing was installed.");
  } else if (result != IDC_WIZ_FINISH) {
    // The install page reports every Finish; a wizard that never ran reports here.
    theLog.Write("The setup wizard could not be shown.");
    theInstaller.ReportFailure();
  }
  // The run is over: whatever the wizard did, the payload is no longer needed.
  theInstaller.ReleasePayload();
  SetExitCode(ExitCodeOf(outcome));
}

void CInstallerApp::EndWithFailure() {
  theInstaller.ReportFailure();
  SetExitCode(kExitInstallFailed);
}
