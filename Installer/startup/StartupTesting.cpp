#include "startup/StartupTesting.h"

#include <cstdlib>
#include <sstream>

#include "framework/TestTools.h"
#include "startup/CustomCommandLineInfo.h"
#include "startup/ElevationParameters.h"
#include "support/ScopedTempDir.h"

std::string Describe(const CCmdLineArgTracker& args) {
  std::ostringstream out;
  out << "c[" << args.campus << "] h[" << args.hostList << "] p[" << args.portList << "] a["
      << args.autoUpdateList << "] d[" << args.targetDir << "] l[" << args.logLocation << "] b["
      << args.webHostList << "] u" << args.invokedByAutoUpdate << " ?" << args.showHelp << " w"
      << args.needSilentUninstall << " t" << args.needCreateShortcutOnDesktop << " v"
      << args.vistaEnabled << " r" << args.needInstallUVNC;
  return out.str();
}

CCmdLineArgTracker ParseArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> storage = {"Setup.exe"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) argv.push_back(argument.data());

  CCmdLineArgTracker tracker;
  CCustomCommandLineInfo info(&tracker);
  WalkCommandLine(info, static_cast<int>(argv.size()), argv.data());
  return tracker;
}

bool IsElevatedCopyArgv(std::vector<std::string> argv) {
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  return IsElevatedCopy(static_cast<int>(pointers.size()), pointers.data());
}

namespace {

CCmdLineArgTracker Values(const std::string& c, const std::string& h, const std::string& d,
                          const std::string& l) {
  CCmdLineArgTracker args;
  args.campus = c;
  args.hostList = h;
  args.targetDir = d;
  args.logLocation = l;
  return args;
}

}  // namespace

std::vector<TrackerCase> ValuesThatMustSurvive() {
  CCmdLineArgTracker everything = Values("West", "HOST1 HOST2", "C:\\Apps\\", "C:\\Logs");
  everything.portList = "8080 8081";
  everything.autoUpdateList = "upd1 upd2";
  everything.webHostList = "web1";
  everything.invokedByAutoUpdate = 1;
  everything.showHelp = 1;
  everything.needSilentUninstall = 1;
  everything.needCreateShortcutOnDesktop = 1;
  everything.vistaEnabled = 1;
  everything.needInstallUVNC = 1;

  std::string longList;
  while (longList.size() < 5000) longList += "host" + std::to_string(longList.size()) + " ";

  return {
      {"blanks", Values("North Wing", " HOST1  HOST2 ", "C:\\Program Files\\QVX", "")},
      {"trailing backslash", Values("", "", "C:\\Apps\\", "C:\\Logs\\\\")},
      {"double quotes", Values("say \"hi\"", "\"", "", "\"\"")},
      {"backslashes before a quote", Values("a\\\"b", "a\\\\\"b", "\\\"", "")},
      {"UNC path", Values("", "", "\\\\server\\share\\", "\\\\server\\logs")},
      {"8-bit characters", Values("Z\xFCrich", "", "C:\\Programme\\M\xFCller", "")},
      {"tab and dash inside", Values("a\tb", "-hB -tC", "", "")},
      {"several thousand characters", Values("", longList, "", "")},
      {"every option", everything},
  };
}

namespace {

// Reads "length:bytes\n" records; stops at the first malformed one.
std::vector<std::string> ParseEchoRecords(const std::string& bytes) {
  std::vector<std::string> records;
  std::string::size_type pos = 0;
  while (pos < bytes.size()) {
    const std::string::size_type colon = bytes.find(':', pos);
    if (colon == std::string::npos) break;
    const std::string::size_type length =
        std::strtoul(bytes.substr(pos, colon - pos).c_str(), nullptr, 10);
    if (colon + 1 + length >= bytes.size() || bytes[colon + 1 + length] != '\n') break;
    records.push_back(bytes.substr(colon + 1, length));
    pos = colon + 1 + length + 1;
  }
  return records;
}

}  // namespace

EchoedRun RunArgvEcho(const std::string& echoPath, const std::string& parameters, DWORD exitCode) {
  const ScopedTempDir folder;
  const std::string outPath = folder.Child("argv.txt");
  const ScopedEnvironmentVariable out("ARGV_ECHO_OUT", outPath);
  const ScopedEnvironmentVariable code("ARGV_ECHO_EXIT", std::to_string(exitCode));
  EchoedRun run;
  run.result = RelaunchElevatedAndWait(echoPath, parameters);
  run.argv = ParseEchoRecords(ReadFileBytes(outPath));
  return run;
}
