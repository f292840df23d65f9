#include "security/AccountSid.h"

#include <windows.h>

#include "security/PrintError.h"

namespace {

// Prints |format| with |error| and leaves |error| as the thread's last error: printing and
// logging make calls of their own that may overwrite it.
void PrintAndKeepError(const char* format, DWORD error) {
  PrintError(format, static_cast<int>(error));
  SetLastError(error);
}

}  // namespace

HeapSid GetAccountSid(const char* accountName) {
  DWORD sidSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use;
  if (!LookupAccountNameA(nullptr, accountName, nullptr, &sidSize, nullptr, &domainSize, &use)) {
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
      PrintAndKeepError("LookupAccountName() failed. Error %d\n", error);
      return nullptr;
    }
  }

  const HANDLE heap = GetProcessHeap();
  HeapSid sid(HeapAlloc(heap, HEAP_ZERO_MEMORY, sidSize));
  if (!sid) {
    PrintAndKeepError("HeapAlloc() failed. Error %d\n", GetLastError());
    return nullptr;
  }
  // The referenced domain is asked for by the call but not needed: one byte per character.
  HeapBlock<char> domain(static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, domainSize)));
  if (!domain) {
    PrintAndKeepError("HeapAlloc() failed. Error %d\n", GetLastError());
    return nullptr;
  }

  if (!LookupAccountNameA(nullptr, accountName, sid.get(), &sidSize, domain.get(), &domainSize,
                          &use)) {
    PrintAndKeepError("LookupAccountName() failed. Error %d\n", GetLastError());
    return nullptr;
  }
  return sid;
}
