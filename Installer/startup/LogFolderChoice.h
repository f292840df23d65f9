// Where the log of a run goes: the -l folder when it can hold the log, else the temporary folder.
#pragma once

#include <string>

#include "support/Log.h"

struct LogFolderChoice {
  std::string folder;  // the folder to hand to the log (CLogEx::SetLogDir)
  // One line for the log when a requested folder was passed over, naming it and saying why;
  // empty when it was taken or none was requested.
  std::string notice;
};

// Takes |requested| (the -l value, already absolute) when it can hold |log|'s file:
//   - its log file name fits 259 characters (CLogEx::FileNameFitsIn); checked first, so that a
//     folder that would not be used is not created either;
//   - the folder above it exists or can be created (EnsurePath, which also tries to create the
//     folder itself);
//   - it is not an existing file;
//   - it is a folder afterwards (a name Windows refuses or a device name is none).
// Otherwise answers |temporaryFolder| with a notice. Only a temporary folder that cannot be
// created either ends the run (SetLogDir: exit code 1).
LogFolderChoice ChooseLogFolder(const std::string& requested, const std::string& temporaryFolder,
                                const CLogEx& log);
