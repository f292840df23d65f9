#include "startup/CmdLineArgTracker.h"

CCmdLineArgTracker::~CCmdLineArgTracker() = default;
