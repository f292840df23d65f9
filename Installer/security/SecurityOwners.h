// Owners of the security routines' allocations: SIDs on the process heap, ACLs and security
// descriptors from LocalAlloc. Each frees its block with the matching call when it goes.
#pragma once

#include <windows.h>

#include <memory>

struct ProcessHeapFree {
  void operator()(void* block) const {
    if (block) HeapFree(GetProcessHeap(), 0, block);
  }
};
struct LocalMemoryFree {
  void operator()(void* block) const {
    if (block) LocalFree(block);
  }
};

// A block from HeapAlloc(GetProcessHeap(), ...), freed with HeapFree.
template <typename T>
using HeapBlock = std::unique_ptr<T, ProcessHeapFree>;
// A SID in a process-heap block (GetAccountSid's result).
using HeapSid = HeapBlock<void>;
// A block from LocalAlloc (or handed out by a call that LocalAllocs, like SetEntriesInAclA).
template <typename T>
using LocalBlock = std::unique_ptr<T, LocalMemoryFree>;
