// The worker that runs an installation attempt on the progress dialog's thread once the wizard's
// Finish has started it, and what such a run came to.
#pragma once

#include <string>

#include "engine/InstallRun.h"
#include "ui/ProgressContext.h"

// The outcome of a progress dialog that ran the installation, from its end code: 1 (the worker
// succeeded) completed; 0x10002 (the user stopped it) cancelled, whatever the worker had done by
// then; anything else (2: the worker failed or its thread could not start; -1: the dialog could
// not be shown, so nothing ran) failed.
InstallOutcome OutcomeOfProgressDialog(int endCode);

// True when |appName| names the main product, Norvane (compared without regard to case): only
// its installation may set up the remote-support server.
bool IsMainProduct(const std::string& appName);

// The worker of the install page's progress dialog: runs the context's attempt
// (InstallRun::Execute, which stops between two steps when the dialog asks it to); true when it
// completed. False without an attempt.
bool InstallWorker(ProgressContext* context);
