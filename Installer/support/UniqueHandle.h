#pragma once

#include <windows.h>

// Owns one kernel handle (a file, an event, a thread, a process) and closes it with CloseHandle
// when the owner goes away, so no early return can leak it. Move-only: exactly one owner at a
// time.
//
// Both null and INVALID_HANDLE_VALUE mean "no handle": CreateFileA reports failure with the one,
// CreateThread and OpenProcess with the other. A consequence is that the pseudo handle of
// GetCurrentProcess() (which equals INVALID_HANDLE_VALUE) is never owned, which is right: it must
// not be closed.
class UniqueHandle {
 public:
  // Takes ownership of |handle|; the default owns nothing.
  explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept;
  ~UniqueHandle();

  // The source owns nothing afterwards.
  UniqueHandle(UniqueHandle&& other) noexcept;
  // Closes the handle held so far, then takes over the source's.
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  // The handle, still owned by this object (INVALID_HANDLE_VALUE or null when there is none).
  HANDLE get() const noexcept { return handle_; }

  // True when a handle is held: neither null nor INVALID_HANDLE_VALUE.
  explicit operator bool() const noexcept;

  // Closes the handle held so far (unless it is |handle| itself) and takes ownership of |handle|.
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept;

  // Gives the handle up without closing it; the caller closes it. This object owns nothing
  // afterwards.
  HANDLE release() noexcept;

 private:
  static bool IsValid(HANDLE handle) noexcept;

  HANDLE handle_;
};

// Owns one FindFirstFileA search handle and ends the search with FindClose (not CloseHandle)
// when the owner goes away. INVALID_HANDLE_VALUE, which FindFirstFileA answers on failure, means
// "no search".
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
  ~FindHandle();

  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};
