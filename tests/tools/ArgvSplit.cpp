// argv_split.exe FILE
// Reads a command line (ANSI text, nothing else in the file) from FILE and prints how the system's
// own splitter, CommandLineToArgvW, splits it: the number of arguments on the first line, then
// each argument on a line of its own, in the ANSI code page. Tests check with it what a program
// started with a command line the installer wrote (an UninstallString, a link's arguments)
// receives.
#include <cstdio>
#include <string>
#include <vector>

#include "framework/TestTools.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: argv_split FILE\n");
    return 2;
  }
  const std::string commandLine = ReadFileBytes(argv[1]);
  if (commandLine.empty()) {
    std::fprintf(stderr, "argv_split: nothing to split in %s\n", argv[1]);
    return 2;
  }
  const std::vector<std::string> arguments = SplitCommandLine(commandLine);
  std::printf("%u\n", static_cast<unsigned>(arguments.size()));
  for (const std::string& argument : arguments) std::printf("%s\n", argument.c_str());
  return 0;
}
