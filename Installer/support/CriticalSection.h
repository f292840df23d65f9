#pragma once

#include <windows.h>

// A Win32 critical section that lives exactly as long as its owner: initialised in the
// constructor, deleted in the destructor. Neither copyable nor movable, because waiting threads
// hold its address.
class CriticalSection {
 public:
  CriticalSection() noexcept { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }

  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() noexcept { EnterCriticalSection(&section_); }
  void Leave() noexcept { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// Holds a critical section for the lifetime of a scope, so it is left on every way out: a
// return, or an exception passing through.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) noexcept : section_(section) {
    section_.Enter();
  }
  ~CriticalSectionLock() { section_.Leave(); }

  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& section_;
};
