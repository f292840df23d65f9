// Writing shell links (.lnk files). CInstaller::CreateAppShortCuts and CreateShellLink are
// declared with the engine in engine/Installer.h; this header adds the form that reports through
// a given engine.
#pragma once

#include "engine/ShortcutPlan.h"

class CInstaller;

// Writes GetShellFolderPath(link.folderId) + "\" + link.linkName + ".lnk", replacing a link of
// that name. The calling thread must have COM initialised.
//
// For the Start-menu programs folders (CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS) the folders the
// link goes into are created first; when they cannot be made, "Could not create Start menu
// directory <folder>\<link name>." goes through |reporter|.ReportMessage (a log line in an
// unattended run) and no link is written. Every other failure (no shell link object, a setter or
// Save failing, a shell folder the system does not know) leaves the link missing or incomplete
// and is not reported: a shortcut is a convenience, never a reason to fail an installation.
void CreateShellLink(CInstaller& reporter, const ShortcutLink& link);
