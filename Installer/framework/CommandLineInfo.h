// The framework's command-line walk: the program's arguments, as the C runtime split them, handed
// one by one to a CCommandLineInfo that gives them their meaning.
#pragma once

// Receives the arguments of a command-line walk. The base class gives no argument a meaning, so a
// program overrides ParseParam for the arguments it knows and passes the others back here.
class CCommandLineInfo {
 public:
  CCommandLineInfo() = default;
  virtual ~CCommandLineInfo();

  // Called once per argument, in order. |param| is the argument without its leading '-' or '/'
  // (|isFlag| tells whether there was one); |isLast| is set for the final argument. The standard
  // handling of an argument the program does not know has no effect.
  virtual void ParseParam(const char* param, bool isFlag, bool isLast);
};

// Walks argv[1] .. argv[argc - 1] (argv[0], the program, is skipped): strips one leading '-' or
// '/' and sets isFlag when there was one, sets isLast for the final argument, and calls
// info.ParseParam for each. Does nothing when there are no arguments.
void WalkCommandLine(CCommandLineInfo& info, int argc, char** argv);
