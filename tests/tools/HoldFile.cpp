// hold_file.exe PATH SECONDS [STOP-FILE]
// Stands in for another program that has PATH open without any sharing (a running client, a log
// viewer that locks its file): opens PATH with share mode 0, creating it empty when it is missing,
// prints "held" once it has it, and keeps it until SECONDS have passed or STOP-FILE exists
// (PATH + ".stop" by default), then closes it and exits with 0.
// Exits with 1 (and "error N" on stdout, N the system's code) when PATH cannot be opened, with 2
// on a wrong command line.
//
// The file is opened for reading only, so that a read-only file can be held as well; without
// sharing, any other open of it (read, write or delete) fails with a sharing violation while it
// is held. A missing file is created so that a file which a program creates on its first line
// (a log) can be locked before that program starts.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/UniqueHandle.h"

namespace {

constexpr DWORD kPollMilliseconds = 50;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: hold_file PATH SECONDS [STOP-FILE]\n");
    return 2;
  }
  const std::string path = argv[1];
  const DWORD seconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  const std::string stopFile = argc == 4 ? argv[3] : path + ".stop";

  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    std::printf("error %lu\n", error);
    return 1;
  }
  // The caller waits for this line before it starts the program under test.
  std::printf("held\n");
  std::fflush(stdout);

  const DWORD start = GetTickCount();
  while (GetTickCount() - start < seconds * 1000 && !Exists(stopFile)) Sleep(kPollMilliseconds);
  return 0;
}
