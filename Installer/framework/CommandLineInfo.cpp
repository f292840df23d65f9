#include "framework/CommandLineInfo.h"

CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const char*, bool, bool) {}

void WalkCommandLine(CCommandLineInfo& info, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* param = argv[i];
    const bool isFlag = param[0] == '-' || param[0] == '/';
    info.ParseParam(isFlag ? param + 1 : param, isFlag, i == argc - 1);
  }
}
