#include "support/ProductMutex.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "support/CallFailure.h"

namespace {

constexpr char kPrefix[] = "Global\\QvxSetup.";
// The system takes object names of up to MAX_PATH characters; one is left for the NUL.
constexpr size_t kMaxNameLength = MAX_PATH - 1;
constexpr size_t kHashDigits = 16;

bool KeptAsIs(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == ' ';
}

// |name| (ANSI code page) lower-cased without regard to any user's language (the invariant
// locale), as UTF-8. The code page is the machine's, the same for every account, and the folding
// covers every letter the file system folds ("Ärzte" and "ärzte" are one company folder), not
// ASCII alone. A name the code page cannot convert stays as its bytes.
std::string FoldedUtf8(const std::string& name) {
  if (name.empty()) return name;
  const int wideLength =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (wideLength <= 0) return name;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], wideLength);
  LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, wide.data(), wideLength, &wide[0], wideLength);
  const int utf8Length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (utf8Length <= 0) return name;
  std::string utf8(static_cast<size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
  return utf8;
}

// |name| folded, every byte outside the kept set as %XX.
std::string EncodedPart(const std::string& name) {
  std::string encoded;
  for (const char c : FoldedUtf8(name)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') {
      encoded += static_cast<char>(byte - 'A' + 'a');
    } else if (KeptAsIs(byte)) {
      encoded += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof(escaped), "%%%02X", byte);
      encoded += escaped;
    }
  }
  return encoded;
}

uint64_t Fnv1a64(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::string ProductMutexName(const std::string& companyName, const std::string& appName) {
  const std::string name = kPrefix + EncodedPart(companyName) + "." + EncodedPart(appName);
  if (name.size() <= kMaxNameLength) return name;
  char hash[kHashDigits + 2];
  std::snprintf(hash, sizeof(hash), "~%016llX", static_cast<unsigned long long>(Fnv1a64(name)));
  return name.substr(0, kMaxNameLength - kHashDigits - 1) + hash;
}

ProductMutex::~ProductMutex() { Release(); }

void ProductMutex::Release() {
  // Released rather than left to the handle's close, so that a later run that finds the mutex
  // abandoned knows its holder did not end normally.
  if (held_) ReleaseMutex(mutex_.get());
  held_ = false;
  mutex_.reset();
}

ProductLockState ProductMutex::TryAcquire(const std::string& name) {
  if (held_) return ProductLockState::kHeld;
  // Only the rights to wait for and release the mutex are asked for: a run that may not have
  // all access to a mutex another user's run made can still tell whether it is taken.
  mutex_.reset(CreateMutexExA(nullptr, name.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE));
  if (!mutex_) {
    const DWORD error = GetLastError();
    // The mutex exists, so a run holds it or is just ending; its maker's rights keep this one
    // out. Going on beside it is what the mutex is there to prevent.
    if (error == ERROR_ACCESS_DENIED) return ProductLockState::kBusy;
    LogCallFailure("CreateMutexExA", name, error);
    return ProductLockState::kUnavailable;
  }
  switch (WaitForSingleObject(mutex_.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder was killed: the mutex is this run's now
      held_ = true;
      return ProductLockState::kHeld;
    case WAIT_TIMEOUT:
      mutex_.reset();
      return ProductLockState::kBusy;
    default: {
      const DWORD error = GetLastError();
      mutex_.reset();
      LogCallFailure("WaitForSingleObject", name, error);
      return ProductLockState::kUnavailable;
    }
  }
}
