#include "startup/CustomCommandLineInfo.h"

#include <cstring>

#include "startup/ElevationParameters.h"

CCustomCommandLineInfo::CCustomCommandLineInfo(CCmdLineArgTracker* tracker) : tracker_(tracker) {}

CCustomCommandLineInfo::~CCustomCommandLineInfo() { tracker_ = nullptr; }

void CCustomCommandLineInfo::ParseParam(const char* param, bool isFlag, bool isLast) {
  if (tracker_ == nullptr) return;
  CCmdLineArgTracker& args = *tracker_;
  const char letter = param[0];
  const char* value = letter == '\0' ? param : param + 1;
  switch (letter) {
    case 'c': args.campus = value; break;
    case 'h': args.hostList = value; break;
    case 'p': args.portList = value; break;
    case 'a': args.autoUpdateList = value; break;
    case 'd': args.targetDir = value; break;
    case 'l': args.logLocation = value; break;
    case 'b': args.webHostList = value; break;
    case 'u': args.invokedByAutoUpdate = 1; break;
    case '?': args.showHelp = 1; break;
    case 'w': args.needSilentUninstall = 1; break;
    case 't': args.needCreateShortcutOnDesktop = 1; break;
    case 'v': args.vistaEnabled = 1; break;
    case 'r':
      args.needInstallUVNC = 1;
      CCommandLineInfo::ParseParam(param, isFlag, isLast);
      break;
    default:
      CCommandLineInfo::ParseParam(param, isFlag, isLast);
      break;
  }
}

std::vector<std::string> NotOptionArguments(int argc, char** argv) {
  std::vector<std::string> ignored;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, kElevatedCopyMarker) == 0) continue;
    const char* param = (argument[0] == '-' || argument[0] == '/') ? argument + 1 : argument;
    if (param[0] != '\0' && std::strchr(kOptionLetters, param[0]) != nullptr) continue;
    ignored.push_back(argument);
  }
  return ignored;
}
