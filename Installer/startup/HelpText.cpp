#include "startup/HelpText.h"

namespace {

// Four pieces joined without separator; the blanks at the ends of some lines are part of the text
// users and scripts have seen in earlier releases, so they stay.
constexpr char kHelpText[] =
    "-cCampus.\n-hHostlist.\n-pPortList.\n-aAutoUpdateList.\n-dTargetDir.\n-lLoglocation.  \n"
    "-wNeedSilentUninstall. \n-u  InvokedByAutoUpdate=TRUE  \n-v VistA is Enabled."
    "\n-t NeedCreateShortcutOnDesktop"
    "\n-bWebHostList."
    "\n-r  NeedInstallUVNC.";

}  // namespace

const char* HelpText() { return kHelpText; }
