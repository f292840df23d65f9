#include "startup/CommandLineOverrides.h"

#include "support/PathHelpers.h"

namespace {

struct CommandLineSetting {
  const char* valueName;
  std::string option;
};

// The settings the options -c, -h, -p, -a and -b give, in that order.
std::vector<CommandLineSetting> CommandLineSettings(const CCmdLineArgTracker& args) {
  return {
      {"Campus", args.GetCampus()},
      {"HostList", args.GetHostList()},
      {"PortList", args.GetPortList()},
      {"AutoUpdateHostName", args.GetAutoUpdateList()},
      {"WebHostList", args.GetWebHostList()},
  };
}

}  // namespace

bool ApplyCommandLineOverrides(const CCmdLineArgTracker& args, std::vector<RegValue>* values) {
  const std::vector<CommandLineSetting> overrides = CommandLineSettings(args);
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

std::vector<std::string> UnstorableCommandLineSettings(const CCmdLineArgTracker& args,
                                                      const std::vector<RegValue>& values) {
  std::vector<std::string> lines;
  for (const CommandLineSetting& given : CommandLineSettings(args)) {
    if (given.option.empty()) continue;
    bool configured = false;
    for (const RegValue& record : values) configured |= record.valueName == given.valueName;
    if (configured) continue;
    lines.push_back(std::string("The setting ") + given.valueName + " given on the command line (" +
                    given.option + ") cannot be stored: the configuration has no " +
                    given.valueName + " setting.");
  }
  return lines;
}

std::string CompanyFolderBelow(const std::string& targetDir, const std::string& companyName) {
  return EndsWithBackslash(targetDir) ? targetDir + companyName
                                      : targetDir + "\\" + companyName;
}
