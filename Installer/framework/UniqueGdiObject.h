// Owns one GDI object (a font, a brush) and deletes it with DeleteObject when the owner goes away
// or takes another, so a window's font or brush lives exactly as long as the object that uses it.
#pragma once

#include <windows.h>

template <typename Handle>
class UniqueGdiObject {
 public:
  // Takes ownership of |handle|; the default owns nothing.
  explicit UniqueGdiObject(Handle handle = nullptr) noexcept : handle_(handle) {}
  ~UniqueGdiObject() { reset(); }

  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  // Deletes the object held so far (unless it is |handle| itself) and takes ownership of |handle|.
  void reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_;
};

using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
