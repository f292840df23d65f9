#pragma once

#include <windows.h>

#include "support/CriticalSection.h"
#include "support/UniqueHandle.h"

// The number of a log line, counted from 1 in the order the lines were written; 0 means "no line
// yet".
using LogSequence = unsigned long long;

// Brings the lines of a log to the disk without making the writer wait for it. The writer puts
// each line into the file itself (one WriteFile, at once, so a killed process loses nothing
// already written) and then hands the file to LineWritten, which answers the line's number. A
// thread of its own, started with the first line, calls FlushFileBuffers for whatever has been
// written since its last flush, at most once every few milliseconds (kPace): one flush covers
// every line written meanwhile. A waiter or the end of the log cuts that pause short. Whoever
// must know the lines are on the disk (before the outcome is reported, before another program
// starts, at the end of the process) waits for "flushed up to n" with WaitUntilFlushed.
//
// The handle stays the writer's: it closes a file only after WaitUntilAllFlushed, so the thread
// never flushes a closed handle. Thread-safe.
class LogFlusher {
 public:
  // Flushes one file; the default calls FlushFileBuffers. Tests set one that counts or waits.
  using FlushFunction = BOOL (*)(HANDLE file);

  LogFlusher();
  // Flushes whatever is left and ends the thread. When the thread is gone already (ExitProcess
  // ends every other thread before the process's objects are destroyed), the last flush happens
  // here, without the lock, which the ended thread may still hold.
  ~LogFlusher();

  LogFlusher(const LogFlusher&) = delete;
  LogFlusher& operator=(const LogFlusher&) = delete;

  // Records that one more line has just been written to |file| and answers its number. The first
  // line starts the thread; when that cannot be started, or SetFlushOnWritingThread asked for it,
  // the line is flushed here, before this returns.
  LogSequence LineWritten(HANDLE file);

  // The number of the last line written; 0 before the first.
  LogSequence LastWritten() const;

  // Returns once every line up to |line| (and so every line written before it) has been flushed:
  // at once for 0 or a line flushed already. A number beyond the last line written is taken as
  // the last line.
  void WaitUntilFlushed(LogSequence line);
  // WaitUntilFlushed for the last line written so far.
  void WaitUntilAllFlushed();

  // Replaces the flush; null restores FlushFileBuffers.
  void SetFlushFunction(FlushFunction flush);
  // True: every line is flushed by its writer before LineWritten returns, the way of a log
  // without a thread. Set before the first line.
  void SetFlushOnWritingThread(bool onWritingThread);

 private:
  static DWORD WINAPI ThreadMain(void* flusher);
  // The thread's loop: waits for lines, flushes them, and ends when asked to once all are
  // flushed.
  void FlushUntilStopped();
  // Starts the thread the first time it is called; true when it runs. Called with state_ held.
  bool ThreadStarted();
  // Flushes |file| and records that every line up to |line| is on the disk.
  void FlushThrough(HANDLE file, LogSequence line);

  mutable CriticalSection state_;
  ConditionVariable lineWritten_;  // a line was written, or the thread is asked to end
  ConditionVariable lineFlushed_;  // flushed_ moved on
  ConditionVariable hurry_;        // someone waits for a flush, or the thread is asked to end
  int waiters_ = 0;                // threads inside WaitUntilFlushed that wait for the flush
  ULONGLONG lastFlush_ = 0;        // GetTickCount64 when the last flush ended
  HANDLE file_ = nullptr;          // the file of the newest line; the writer owns it
  LogSequence written_ = 0;
  LogSequence flushed_ = 0;
  bool stopping_ = false;
  bool threadTried_ = false;
  bool onWritingThread_ = false;
  FlushFunction flush_;
  UniqueHandle thread_;
};
