#include "startup/CommandLineOverrides.h"

#include <windows.h>

namespace {

// Whether the last character of |text| is a backslash, walking double-byte characters so that
// a trail byte equal to the backslash code is not taken for one.
bool EndsWithBackslash(const std::string& text) {
  bool last = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
      ++i;
      last = false;
    } else {
      last = text[i] == '\\';
    }
  }
  return last;
}

}  // namespace

bool ApplyCommandLineOverrides(const CCmdLineArgTracker& args, std::vector<RegValue>* values) {
  const struct {
    const char* valueName;
    std::string option;
  } overrides[] = {
      {"Campus", args.GetCampus()},
      {"HostList", args.GetHostList()},
      {"PortList", args.GetPortList()},
      {"AutoUpdateHostName", args.GetAutoUpdateList()},
      {"WebHostList", args.GetWebHostList()},
  };
  bool changed = false;
  for (RegValue& record : *values) {
    for (const auto& candidate : overrides) {
      if (record.valueName == candidate.valueName && !candidate.option.empty()) {
        record.value = candidate.option;
        changed = true;
        break;
      }
    }
  }
  return changed;
}

std::string CompanyFolderBelow(const std::string& targetDir, const std::string& companyName) {
  return EndsWithBackslash(targetDir) ? targetDir + companyName
                                      : targetDir + "\\" + companyName;
}
