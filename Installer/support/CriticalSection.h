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
  friend class ConditionVariable;
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

// A Win32 condition variable used with a CriticalSection: a thread that holds the section waits
// for another one to change what the section guards. It needs no clean-up; like the section it is
// neither copyable nor movable, because waiting threads hold its address.
class ConditionVariable {
 public:
  ConditionVariable() noexcept { InitializeConditionVariable(&variable_); }

  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  // Leaves |section| (held by the caller), sleeps until woken and enters it again. A waiter may
  // also wake without a cause, so it tests its condition again in a loop.
  void Sleep(CriticalSection& section) noexcept {
    SleepConditionVariableCS(&variable_, &section.section_, INFINITE);
  }
  // Sleep for at most |milliseconds|.
  void SleepAtMost(CriticalSection& section, DWORD milliseconds) noexcept {
    SleepConditionVariableCS(&variable_, &section.section_, milliseconds);
  }
  void WakeAll() noexcept { WakeAllConditionVariable(&variable_); }

 private:
  CONDITION_VARIABLE variable_;
};
