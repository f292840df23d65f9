// log_hammer.exe FOLDER NAME COUNT
// Writes COUNT lines "NAME line <i>" (i from 0) through the installer's log into FOLDER, one
// after the other as fast as the log takes them. Two of them at once show whether the lines of
// two processes that share one log file all land in it whole. Exits with 0 when done.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/Log.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: log_hammer FOLDER NAME COUNT\n");
    return 2;
  }
  CLogEx log(argv[1], 1);
  const std::string prefix = std::string(argv[2]) + " line ";
  const int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) log.Write((prefix + std::to_string(i)).c_str());
  return 0;
}
