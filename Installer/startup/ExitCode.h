// The process's exit codes. Deployment tools read them, so a published value is never reused;
// retired values stay here as comments.
#pragma once

enum ExitCode : int {
  kExitSuccess = 0,           // installed, or the help box was shown
  kExitLogFolderFailed = 1,   // the log folder could not be created; nothing was done
  kExitUserCancelled = 1602,  // the user cancelled, or declined the elevation prompt
  kExitInstallFailed = 1603,  // the installation failed; the log names the cause
  // Another installation of the same product is in progress; nothing was done. Windows Installer
  // uses the same code, and deployment tools retry on it.
  kExitAnotherInstallation = 1618,
  // The command line asked for the wizard where nobody can answer it (no interactive desktop:
  // a service, SYSTEM in session 0); nothing was done. Windows Installer's code for an invalid
  // command line.
  kExitInvalidCommandLine = 1639,
};
