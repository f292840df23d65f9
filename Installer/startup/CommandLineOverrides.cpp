#include "startup/CommandLineOverrides.h"

#include "support/PathHelpers.h"

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
        record.fromCommandLine = 1;
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
