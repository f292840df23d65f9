// The SIDs of the accounts one run grants rights to, each name looked up once per run: the
// group rights are written on every folder an installation makes, and the accounts do not change
// while it runs.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "security/SecurityOwners.h"

class AccountSidCache {
 public:
  // How a name becomes a SID; GetAccountSid in the installer, a counting stand-in in tests.
  using Lookup = HeapSid (*)(const char* accountName);

  explicit AccountSidCache(Lookup lookup = nullptr);

  // The SID of |accountName| (names compared exactly): looked up on its first request, from the
  // cache afterwards. The cache keeps ownership. Null when the lookup fails; such a name is not
  // kept, so each request looks it up again, prints the lookup's message again and leaves its
  // code in GetLastError(), exactly as a lookup of its own would.
  PSID Find(const std::string& accountName);

  // The number of names resolved so far.
  size_t size() const { return sids_.size(); }

 private:
  Lookup lookup_;
  std::map<std::string, HeapSid> sids_;
};
