#include "startup/ElevationParameters.h"

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

std::string QuoteForCommandLine(const std::string& value) {
  std::string out = "\"";
  std::string::size_type backslashes = 0;
  for (const char ch : value) {
    if (ch == '\\') {
      ++backslashes;
      continue;
    }
    // The C runtime halves a run of backslashes that precedes a quote, so such a run is doubled;
    // elsewhere backslashes are taken literally and stay as they are.
    out.append(ch == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += ch;
  }
  // The closing quote follows: trailing backslashes are doubled so they do not escape it.
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

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
