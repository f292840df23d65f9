#include "security/AccountSidCache.h"

#include <utility>

#include "security/AccountSid.h"

AccountSidCache::AccountSidCache(Lookup lookup)
    : lookup_(lookup != nullptr ? lookup : GetAccountSid) {}

PSID AccountSidCache::Find(const std::string& accountName) {
  const auto known = sids_.find(accountName);
  if (known != sids_.end()) return known->second.get();
  HeapSid sid = lookup_(accountName.c_str());
  if (!sid) return nullptr;
  return sids_.emplace(accountName, std::move(sid)).first->second.get();
}
