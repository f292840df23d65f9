// Owner of one COM interface reference: released when the owner goes, so no path can leak it.
#pragma once

#include <unknwn.h>

#include <utility>

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (for example one a COM call handed out).
  explicit ComPtr(T* pointer) : pointer_(pointer) {}
  ~ComPtr() { reset(); }

  ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    if (this != &other) {
      if (other.pointer_) other.pointer_->AddRef();
      reset(other.pointer_);
    }
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the held reference and takes over |pointer|'s.
  void reset(T* pointer = nullptr) {
    T* old = std::exchange(pointer_, pointer);
    if (old) old->Release();
  }
  // For a COM call's out parameter: releases the held reference first.
  T** put() {
    reset();
    return &pointer_;
  }
  T* release() { return std::exchange(pointer_, nullptr); }

 private:
  T* pointer_ = nullptr;
};
