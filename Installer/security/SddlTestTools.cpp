#include "security/SddlTestTools.h"

#include <sddl.h>

#include <vector>

LocalBlock<void> DescriptorFromSddl(const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return nullptr;
  }
  return LocalBlock<void>(descriptor);
}

LocalBlock<void> SidFromString(const char* sid) {
  PSID converted = nullptr;
  if (!ConvertStringSidToSidA(sid, &converted)) return nullptr;
  return LocalBlock<void>(converted);
}

std::string DaclSddl(PSECURITY_DESCRIPTOR descriptor) {
  // The string conversion is documented for self-relative descriptors only.
  std::vector<BYTE> selfRelative;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) {
    return "<conversion failed: " + std::to_string(GetLastError()) + ">";
  }
  if (!(control & SE_SELF_RELATIVE)) {
    DWORD size = 0;
    MakeSelfRelativeSD(descriptor, nullptr, &size);
    selfRelative.resize(size);
    if (!MakeSelfRelativeSD(descriptor, selfRelative.data(), &size)) {
      return "<conversion failed: " + std::to_string(GetLastError()) + ">";
    }
    descriptor = selfRelative.data();
  }
  LPSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "<conversion failed: " + std::to_string(GetLastError()) + ">";
  }
  const LocalBlock<char> owned(text);
  return text;
}
