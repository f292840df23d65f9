// Whether anybody can see this process's windows.
#pragma once

// True when the process's window station is visible (WSF_VISIBLE), as the station of a user's
// session is; a service's station, and SYSTEM's in session 0, are not, and a window opened there
// waits for ever for a click nobody can make. A station that cannot be asked counts as visible:
// the question must never keep a user's wizard from opening.
bool ProcessHasInteractiveDesktop();
