#include "support/UniqueHandle.h"

UniqueHandle::UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}

UniqueHandle::~UniqueHandle() { reset(); }

UniqueHandle::UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

UniqueHandle::operator bool() const noexcept { return IsValid(handle_); }

void UniqueHandle::reset(HANDLE handle) noexcept {
  if (handle == handle_) return;
  HANDLE old = handle_;
  handle_ = handle;
  if (IsValid(old)) CloseHandle(old);
}

HANDLE UniqueHandle::release() noexcept {
  HANDLE handle = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  return handle;
}

bool UniqueHandle::IsValid(HANDLE handle) noexcept {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

FindHandle::~FindHandle() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}
