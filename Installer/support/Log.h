#pragma once

#include <windows.h>

#include <cstddef>
#include <ctime>
#include <string>

#include "support/CriticalSection.h"
#include "support/LogFlusher.h"
#include "support/UniqueHandle.h"

// The installer's trace: one plain-text file per period (a month, as the program is set up),
// appended to by every run, one time-stamped line per message:
//   2024-05-01 14:03:27 Enter function Files().\r\n
// Every line is written to the file in one piece when it happens, so the log is complete up to the
// last line even when the process is killed; a thread of the log then flushes it to the disk
// (LogFlusher), and the installation waits for that only before it reports its outcome, before it
// starts another program, and at the end of the process.

// One log file, its lock and the routine that writes one time-stamped line.
class CLog {
 public:
  // Where the time comes from: the period stamp and the line stamp read it. The default is the
  // system clock (time()); tests set a fixed one.
  using Clock = time_t (*)();

  // |fileName| names the file OpenForAppend opens; null or "" means no file. Nothing is opened
  // yet.
  explicit CLog(const char* fileName);
  virtual ~CLog();

  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // True when a file is open afterwards. An open file answers true at once; no file name answers
  // false. Otherwise opens the file for appending only (every write lands at its end as it is
  // then), creating it when it does not exist and never truncating it, shared for reading and
  // writing so viewers and a second installer can open it too. Any failure (no folder, access
  // denied, sharing violation) leaves it closed and answers false. Takes no lock: CLogEx::Write
  // calls it with the lock held.
  bool OpenForAppend();

  // Writes "YYYY-MM-DD HH:MM:SS " (20 characters, local time read from the clock now), the first
  // |length| bytes of |text| and "\r\n" in one write and hands the line to the log's flush
  // thread. Does nothing while no file is open; write and flush errors are ignored (a log that
  // cannot be written must not stop the installation). Takes no lock: CLogEx::Write calls it, as
  // the virtual operation, with the lock held.
  virtual void WriteLine(const char* text, std::size_t length);

  // The number of the last line written (0 before the first); lines that were dropped have none.
  LogSequence LastLine() const;
  // Returns once every line up to |line| is flushed to the disk (see LogFlusher).
  void WaitUntilFlushed(LogSequence line);
  // Returns once every line written so far is flushed to the disk.
  void WaitUntilAllFlushed();

  // Replaces the clock; null restores the system clock.
  void SetClock(Clock clock);
  // Replaces FlushFileBuffers for tests; null restores it.
  void SetFlushFunction(LogFlusher::FlushFunction flush);
  // True: each line is flushed by its writer before the write returns, without the thread (the
  // way the log worked before it had one). Set before the first line.
  void SetFlushOnWritingThread(bool onWritingThread);

 protected:
  time_t Now() const;
  const std::string& FileName() const { return fileName_; }
  // Closes the open file, if any, once every line written to it is flushed, and makes |fileName|
  // the file the next OpenForAppend opens.
  void SwitchFile(std::string fileName);

  // Held by CLogEx::Write for a whole line, so the stamp, the name, the handle and the write of
  // one line never interleave with another thread's line.
  mutable CriticalSection lock_;

 private:
  std::string fileName_;
  UniqueHandle file_;
  Clock clock_;
  // Declared after the file so that it is destroyed before it: its destructor flushes the last
  // lines and ends the thread while the file is still open.
  LogFlusher flusher_;
};

// The process-wide log: a folder, a file name re-derived from the executable's base name and the
// current period stamp, and the function-tracing lines of the installation steps.
//
// Period kinds select the stamp and how often a new file begins:
//   0  "%Y"      2024        every year
//   1  "%Y-%m"   2024-05     every month
//   2  "%Y%m%d"  20240501    every day
// Any other kind is taken as kind 1.
//
// The file is <folder>\<base name><stamp>.log, joined without normalisation: Setup.exe logging
// to C:\Logs in May 2024 under kind 1 writes C:\Logs\Setup2024-05.log, and a folder that already
// ends in a backslash gives a doubled backslash, which Windows accepts.
class CLogEx : public CLog {
 public:
  // Ends the process with |code|; the default is ExitProcess. Tests set one that returns.
  using ExitFunction = void (*)(int code);
  // Shows the log folder failure to the user; the default is an OK-only MessageBoxA without an
  // owner window. Tests set one that records the text.
  using MessageBoxFunction = void (*)(const char* text, const char* caption);

  // |folder| null or "": the folder of the running executable. Takes the folder as TrySetLogDir
  // does and never shows a box or ends the process (the process-wide log is constructed during
  // static initialisation, before start-up can decide anything): a folder that cannot be created
  // leaves the log without a folder, and lines are dropped until SetLogDir gives it one.
  // Nothing is written until the first Write.
  CLogEx(const char* folder, int periodKind);
  ~CLogEx() override;

  // Creates |folder| (with its parents) when needed and stores its full path. When it cannot be
  // created, shows the "Class LogFileEx" box (only when interactive) and ends the process with
  // exit code 1, once the lines written so far are flushed: without a log folder a run would
  // leave no trace. The current file name, period
  // stamp and open file stay as they are, so a new folder takes effect with the next change of
  // period stamp; start-up sets the folder before the first line, so the first file already
  // lies in it.
  void SetLogDir(const char* folder);

  // From now on every line goes to <folder>\|fileName| (a deployment engine's log path), whatever
  // the period: the name is not derived any more. "" goes back to the derived name.
  void SetFixedFileName(const std::string& fileName);

  // The end SetLogDir takes when its folder cannot be created, for any reason start-up finds that
  // no folder can hold the log: shows the "Class LogFileEx" box with LogFolderFailureText(folder,
  // error) (only when interactive) and ends the process with exit code 1. Returns only when the
  // exit function does (tests).
  void EndWithoutLogFolder(const char* folder, DWORD error);

  // The work of SetLogDir without the box and the end of the process. True when |folder| exists
  // afterwards; the stored folder becomes its full path (GetFullPathNameA; the folder as given
  // when that path does not fit 260 characters). False when it could not be created: |error|
  // (when not null) receives GetLastError() of the failed CreateDirectoryA, and the stored folder
  // is unchanged.
  bool TrySetLogDir(const char* folder, DWORD* error);

  // Whether a user is at the screen to see the folder failure box (default true). Start-up of an
  // unattended run sets false before SetLogDir: a box nobody closes would block a deployment
  // forever, so only the exit code 1 remains.
  void SetInteractive(bool showBoxes);

  // Replace the end of the process and the box of SetLogDir; null restores the default.
  void SetExitFunction(ExitFunction exitFunction);
  void SetMessageBoxFunction(MessageBoxFunction messageBox);

  // Whether the log file name that |folder| (made absolute as TrySetLogDir stores it) would give
  // now stays within 259 characters, the longest name the file functions open.
  bool FileNameFitsIn(const std::string& folder) const;
  // The log file name that |folder| (made absolute as TrySetLogDir stores it) would give now.
  std::string FileNameIn(const std::string& folder) const;

  // Appends one line with |text| (NUL-terminated; null is written as "") to the file of the
  // current period: when the period stamp differs from the one the current name was built from,
  // the old file is closed and the name re-derived first. The period stamp and the line's time
  // stamp are two separate readings of the clock. A file that cannot be opened, or a log that has
  // no folder yet, loses the line silently; the next line tries again. Every line is appended at
  // the end of the file as it is at that moment, also while another process writes the same
  // file, so lines of two installers interleave whole. Answers the line's number for
  // WaitUntilFlushed (for a lost line the number of the last line before it). Thread-safe.
  LogSequence Write(const char* text);

  // "Enter function <name>." when |parameter| is null, else
  // "Enter function <name> with parameter <parameter>." (an empty parameter leaves nothing
  // between "parameter " and the full stop).
  void EnterFunction(const char* name, const char* parameter);
  // "Leave function <name>."
  void LeaveFunction(const char* name);

  // The current file name: "Log.log" until the first Write, then the derived one.
  std::string GetFileName() const;
  // The full path of the log folder.
  std::string GetFolder() const;

 private:
  std::string folder_;
  std::string periodStamp_;  // the stamp the current file name was built from; "" at first
  std::string fixedFileName_;  // SetFixedFileName; "" for the derived name
  int periodKind_;
  std::string baseName_;  // the running executable's base name, fixed for the process
  bool interactive_;
  ExitFunction exitFunction_;
  MessageBoxFunction messageBox_;
};

// The base name of an executable: its module file name after the last backslash and before the
// last "." of that last component, taken literally ("C:\Program Files\Setup.exe" gives "Setup";
// a last component without a "." is kept whole).
std::string ExecutableBaseName(const std::string& moduleFileName);

// The strftime format of |periodKind|'s stamp; kinds other than 0, 1 and 2 give kind 1's.
const char* PeriodFormat(int periodKind);

// folder + "\" + baseName + stamp + ".log", with no normalisation.
std::string BuildLogFileName(const std::string& folder, const std::string& baseName,
                             const std::string& stamp);

// The text of the box shown when the log folder cannot be created, for example
// "C:\Logs Create Fail. Exit Now! Error ID :5" (|folder| as it was passed in).
std::string LogFolderFailureText(const char* folder, DWORD error);

// The process-wide log. It is defined once, by the program's start-up code (and by the unit-test
// main), not in this library.
extern CLogEx theLog;
