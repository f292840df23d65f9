// Tests' view of the product's mutex from another run.
#pragma once

#include <string>
#include <thread>

#include "support/ProductMutex.h"

// What another run finds when it tries the mutex |name| now. It tries from a thread of its own:
// a thread that holds a mutex may take it again, so the caller's thread cannot ask.
inline ProductLockState TryLockFromAnotherThread(const std::string& name) {
  ProductLockState state = ProductLockState::kUnavailable;
  std::thread([&] {
    ProductMutex other;
    state = other.TryAcquire(name);
  }).join();
  return state;
}
