// One installation of a product at a time. Every run of the installer holds a named mutex for
// its product from start-up (once the package has named the product, before anything on the
// machine is changed) until the process ends; a second run of the same product finds it held
// and ends without writing anything (exit code 1618, which deployment tools retry on). Runs of
// other products, of the same company too, have other names and go on side by side.
//
// Code that must know whether a run of a product is still going on (the recovery of a run that
// was killed, for instance) asks for the same name: while a run holds it, that run is alive.
#pragma once

#include <string>

#include "support/UniqueHandle.h"

// The mutex's name for the product |appName| of |companyName|:
//   Global\QvxSetup.<company>.<application>
// in the Global namespace, so that runs in different sessions (a deployment service, a user's
// remote desktop) see each other. Both names are converted from the machine's ANSI code page,
// lower-cased in the invariant locale (the same for every account, whatever its language) and
// written as UTF-8, since "QVX\Norvane" and "qvx\NORVANE", or "\xC4rzte" and "\xE4rzte" in code
// page 1252, are the same folders and so the same product. A mutex name may not hold a backslash
// after the namespace prefix, and the two names must not run into each other, so every byte
// other than an ASCII letter, a digit, '-', '_' or a blank is written as %XX (two upper-case
// hexadecimal digits): "Norvane.Web" gives "norvane%2Eweb", "..\Esc" gives "%2E%2E%5Cesc". A name
// that would pass 259 characters keeps its first 242 and ends in '~' and the 16 hexadecimal
// digits of a 64-bit FNV-1a hash of the whole name, so that long names stay apart and within the
// system's limit.
std::string ProductMutexName(const std::string& companyName, const std::string& appName);

// What TryAcquire found.
enum class ProductLockState {
  kHeld,         // this process holds the mutex now
  kBusy,         // another run holds it (or exists with rights this process lacks): do nothing
  kUnavailable,  // the mutex could not be made at all (logged); no run can be excluded
};

// Owns the product's mutex while this process holds it. The destructor releases it and closes
// the handle, so it must run on the thread that acquired it (start-up's main thread, which lives
// until the process ends).
class ProductMutex {
 public:
  ProductMutex() = default;
  ~ProductMutex();
  ProductMutex(const ProductMutex&) = delete;
  ProductMutex& operator=(const ProductMutex&) = delete;

  // Opens or creates the mutex |name| and takes it without waiting. A mutex that another run
  // holds answers kBusy at once; one whose holder ended without releasing it (a killed run) is
  // taken. A mutex that exists but may not be opened (ERROR_ACCESS_DENIED: made by a run of
  // another user) counts as held by that run. Any other failure is logged as
  // "CreateMutexExA failed for <name> with error <n>." and answers kUnavailable. Calling it
  // while the mutex is held already answers kHeld and changes nothing.
  ProductLockState TryAcquire(const std::string& name);

  // Gives the mutex back (on the thread that took it) and closes it; nothing when not held.
  void Release();

  bool held() const { return held_; }

 private:
  UniqueHandle mutex_;
  bool held_ = false;
};
