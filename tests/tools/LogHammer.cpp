// log_hammer.exe FOLDER NAME COUNT [EVENT]
// Writes COUNT lines "NAME line <i>" (i from 0) through the installer's log into FOLDER, one
// after the other as fast as the log takes them. Two of them at once show whether the lines of
// two processes that share one log file all land in it whole. Exits with 0 when done.
//
// With EVENT (the name of an event the caller made) the log's flush never returns, as for a disk
// that has not answered yet; after the last line the named event is set and the program waits to
// be killed. The file then shows whether every line was in it at the moment it was logged.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/Log.h"
#include "support/UniqueHandle.h"

namespace {

BOOL FlushThatNeverReturns(HANDLE) {
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: log_hammer FOLDER NAME COUNT [EVENT]\n");
    return 2;
  }
  const bool waitToBeKilled = argc == 5;
  CLogEx log(argv[1], 1);
  if (waitToBeKilled) log.SetFlushFunction(FlushThatNeverReturns);
  const std::string prefix = std::string(argv[2]) + " line ";
  const int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) log.Write((prefix + std::to_string(i)).c_str());
  if (!waitToBeKilled) return 0;

  const UniqueHandle logged(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]));
  if (!logged || !SetEvent(logged.get())) return 3;
  Sleep(INFINITE);
  return 0;
}
