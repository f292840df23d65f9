// Where the log of a run goes: the -l folder (or the -l file) when it can hold the log, else the
// temporary folder.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "support/Log.h"

// The longest name one component of a path may have (a folder or a file name), on NTFS as under
// Wine.
constexpr std::size_t kMaxNameLength = 255;

// Whether the last component of |path| (after its last backslash, found as the system finds it)
// has at most kMaxNameLength characters: a longer name cannot be created in any folder.
bool LastNameFits(const std::string& path);

struct LogFolderChoice {
  std::string folder;  // the folder to hand to the log (CLogEx::SetLogDir)
  // The log file's own name in |folder| when -l named the file (CLogEx::SetFixedFileName); empty
  // for the name the log derives from the installer's name and the period.
  std::string fileName;
  // One line for the log when a requested folder was passed over, naming it and saying why;
  // empty when it was taken or none was requested.
  std::string notice;
  // ERROR_SUCCESS, or why no folder at all can hold the log: ERROR_FILENAME_EXCED_RANGE when the
  // log file's own name (the executable's base name, the period stamp and ".log") passes
  // kMaxNameLength characters, or when the log file name in the temporary folder, where the log
  // would have to go, passes 259 characters. |folder| then is the folder the run would have logged to, for the
  // box of CLogEx::EndWithoutLogFolder, and nothing has been created.
  DWORD failure = ERROR_SUCCESS;
};

// Takes |requested| (the -l value, already absolute) when it can hold |log|'s file:
//   - its log file name fits 259 characters (CLogEx::FileNameFitsIn); checked first, so that a
//     folder that would not be used is not created either;
//   - the folder above it exists or can be created (EnsurePath, which also tries to create the
//     folder itself);
//   - it is not an existing file;
//   - it is a folder afterwards (a name Windows refuses or a device name is none);
//   - its log file, when it exists, is not held open by another program without write sharing
//     (the log would lose every line of the run). The file is only opened, never created.
// Otherwise answers |temporaryFolder| with a notice; the temporary folder itself is taken as it
// is, unless its log file name would pass 259 characters too (a long installer name): then no
// folder can hold the log and |failure| is ERROR_FILENAME_EXCED_RANGE, with |folder| the temporary
// folder. A temporary folder that cannot be created ends the run as well (SetLogDir: exit code 1).
// Before any of this, a log file name longer than kMaxNameLength answers |failure| (see above),
// with or without a requested folder.
//
// A |requested| that NamesLogFile is the log file itself (a deployment engine's log path) and goes
// through the same checks for its own name and folder: the name fits kMaxNameLength and the path
// 259 characters, its folder exists or can be created, it is not held open by another program;
// otherwise the run logs to the temporary folder under the derived name, with a notice.
LogFolderChoice ChooseLogFolder(const std::string& requested, const std::string& temporaryFolder,
                                const CLogEx& log);

// Whether the -l value |requested| names the log file rather than its folder: it ends in ".log"
// (in any case), not in a backslash, and is no existing folder.
bool NamesLogFile(const std::string& requested);
