#include "security/DaclTarget.h"

#include "security/PrintError.h"

namespace {

// Most descriptors fit: one query instead of a size query and a read.
constexpr DWORD kFirstReadSize = 512;

HeapBlock<void> AllocateDescriptor(DWORD size) {
  HeapBlock<void> block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!block) PrintLastError("HeapAlloc() failed. Error %d\n");
  return block;
}

}  // namespace

DaclTarget::DaclTarget(const char* path) : path_(path != nullptr ? path : "") {
  // The share modes are those the path calls open with; backup semantics lets a folder open.
  handle_.reset(CreateFileA(path_.c_str(), READ_CONTROL | WRITE_DAC,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

HeapBlock<void> DaclTarget::Read() {
  HeapBlock<void> descriptor = AllocateDescriptor(kFirstReadSize);
  if (!descriptor) return nullptr;
  DWORD needed = 0;
  if (Query(descriptor.get(), kFirstReadSize, &needed)) return descriptor;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    PrintLastError("GetFileSecurity() failed. Error %d\n");
    return nullptr;
  }
  descriptor = AllocateDescriptor(needed);
  if (!descriptor) return nullptr;
  if (!Query(descriptor.get(), needed, &needed)) {
    PrintLastError("GetFileSecurity() failed. Error %d\n");
    return nullptr;
  }
  return descriptor;
}

BOOL DaclTarget::Query(void* descriptor, DWORD size, DWORD* needed) {
  return handle_ ? GetKernelObjectSecurity(handle_.get(), DACL_SECURITY_INFORMATION, descriptor,
                                           size, needed)
                 : GetFileSecurityA(path_.c_str(), DACL_SECURITY_INFORMATION, descriptor, size,
                                    needed);
}

int DaclTarget::Write(EditedDescriptor* edited) {
  const BOOL written =
      handle_ ? SetKernelObjectSecurity(handle_.get(), DACL_SECURITY_INFORMATION,
                                        &edited->descriptor)
              : SetFileSecurityA(path_.c_str(), DACL_SECURITY_INFORMATION, &edited->descriptor);
  if (!written) {
    PrintLastError("SetFileSecurity() failed. Error %d ");
    return 0;
  }
  return 1;
}
