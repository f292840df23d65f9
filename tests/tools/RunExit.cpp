// runexit.exe SECONDS COMMAND-LINE...
// Runs the command line (everything after SECONDS, passed on untouched), waits at most SECONDS,
// and prints "exit=N" with the full 32-bit exit code ("exit=timeout" when it did not end in
// time; the child is then terminated). Wine's own exit status keeps only 8 bits, so tests read
// the code from here.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Skips one argument of a command line as the C runtime splits it.
const char* SkipArgument(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  bool quoted = false;
  while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
    if (*p == '"') quoted = !quoted;
    ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: runexit SECONDS COMMAND-LINE...\n");
    return 2;
  }
  const DWORD seconds = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
  const char* rest = SkipArgument(SkipArgument(GetCommandLineA()));
  char* commandLine = _strdup(rest);

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("exit=createprocess-failed-%lu\n", GetLastError());
    std::free(commandLine);
    return 2;
  }
  std::free(commandLine);
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, seconds * 1000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 999);
    CloseHandle(process.hProcess);
    std::printf("exit=timeout\n");
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  std::printf("exit=%lu\n", code);
  return 0;
}
