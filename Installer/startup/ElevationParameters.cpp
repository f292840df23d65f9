#include "startup/ElevationParameters.h"

#include <cstring>

namespace {

void AppendValue(std::string& out, char letter, const std::string& value) {
  if (value.empty()) return;  // an empty value is the same as an option not given
  out += " -";
  out += letter;
  out += QuoteForCommandLine(value);
}

void AppendSwitch(std::string& out, char letter, int isSet) {
  if (!isSet) return;
  out += " -";
  out += letter;
}

}  // namespace

std::string BuildElevationParameters(const CCmdLineArgTracker& args) {
  std::string out;
  AppendValue(out, 'c', args.campus);
  AppendValue(out, 'h', args.hostList);
  AppendValue(out, 'p', args.portList);
  AppendValue(out, 'a', args.autoUpdateList);
  AppendValue(out, 'd', args.targetDir);
  AppendValue(out, 'b', args.webHostList);
  AppendValue(out, 'l', args.logLocation);
  AppendSwitch(out, 'w', args.needSilentUninstall);
  AppendSwitch(out, 't', args.needCreateShortcutOnDesktop);
  AppendSwitch(out, 'u', args.invokedByAutoUpdate);
  AppendSwitch(out, 'v', args.vistaEnabled);
  AppendSwitch(out, '?', args.showHelp);
  AppendSwitch(out, 'r', args.needInstallUVNC);
  return out;
}

std::string BuildRelaunchParameters(const CCmdLineArgTracker& args) {
  return BuildElevationParameters(args) + " " + kElevatedCopyMarker;
}

bool IsElevatedCopy(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kElevatedCopyMarker) == 0) return true;
  }
  return false;
}
