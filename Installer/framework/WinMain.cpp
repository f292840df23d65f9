// The program's entry: runs the application object (AfxGetApp) and returns its exit code.
#include <windows.h>

#include "framework/DllSearch.h"
#include "framework/WinApp.h"

namespace {

// The DLL search is limited before anything else of the program runs: the application, engine and
// log objects are constructed during static initialisation, and whatever they load by name must
// already come from System32. Priority 101 is the first one open to programs, so this constructor
// runs before every constructor of default priority in any file of the program. It lives here
// because this is the one file that every build of the program links (it holds WinMain).
struct LimitDllSearchFirst {
  LimitDllSearchFirst() { LimitDllSearchToSystem32(); }
};
__attribute__((init_priority(101))) LimitDllSearchFirst limitDllSearchFirst;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;  // a program without an application object has nothing to run
  if (app->InitInstance()) app->Run();
  return app->GetExitCode();
}
