// The installation sequence that runs on the progress dialog's worker thread once the wizard's
// Finish has prepared the target folder, and what such a run came to.
#pragma once

#include <string>

#include "ui/ProgressContext.h"

class CInstaller;

// How an installation from the wizard ended.
enum class InstallOutcome {
  kNotRun,     // Finish has not started an installation (yet)
  kCompleted,  // every step ran
  kFailed,     // a step failed, or the progress dialog could not run the worker
  kCancelled,  // the user stopped the progress dialog
};

// The outcome of a progress dialog that ran the installation, from its end code: 1 (the worker
// succeeded) completed; 0x10002 (the user stopped it) cancelled, whatever the worker had done by
// then; anything else (2: the worker failed or its thread could not start; -1: the dialog could
// not be shown, so nothing ran) failed.
InstallOutcome OutcomeOfProgressDialog(int endCode);

// True when |appName| names the main product, Norvane (compared without regard to case): only
// its installation may set up the remote-support server.
bool IsMainProduct(const std::string& appName);

// The installation sequence on |engine|: Files (reporting progress to |context|), then the
// shortcuts, the Uninstall entry, the executable path record, the commit of the run's recorded
// changes and, for the main product with -r, the remote-support server. False when Files fails;
// the later steps report their own problems and never change the result. When the dialog asks to stop (|context|->terminated), the
// sequence stops before the next step (Files itself stops between two files) and answers false:
// no step is ever cut off in the middle. |context| may be null (nothing is reported then).
bool RunInstallSequence(CInstaller& engine, ProgressContext* context);

// The worker of the install page's progress dialog: RunInstallSequence on theInstaller.
bool InstallWorker(ProgressContext* context);
