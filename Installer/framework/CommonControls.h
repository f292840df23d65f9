// The common controls that the wizard's dialogs use.
#pragma once

// Registers the window classes of the common controls in the wizard's templates (the progress
// bar, "msctls_progress32", of the progress dialog). Call it once at start-up, before the first
// dialog is created. Answers InitCommonControlsEx's result.
bool InitCommonControlsForWizard();
