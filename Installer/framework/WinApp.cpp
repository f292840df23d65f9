#include "framework/WinApp.h"

#include "framework/ThreadMainWindow.h"
#include "support/SystemPaths.h"

namespace {

CWinApp* theRegisteredApp = nullptr;

}  // namespace

CWinApp::CWinApp() : threadId_(GetCurrentThreadId()) { theRegisteredApp = this; }

CWinApp::~CWinApp() {
  if (theRegisteredApp == this) theRegisteredApp = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::Run() {
  if (mainWnd_ == nullptr) return exitCode_;
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      exitCode_ = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;  // an invalid window filter; nothing more can arrive
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return exitCode_;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) { WalkCommandLine(info, __argc, __argv); }

CWinApp* AfxGetApp() { return theRegisteredApp; }

HWND AfxGetMainWnd() {
  const CWinApp* app = AfxGetApp();
  if (app != nullptr && app->GetThreadId() == GetCurrentThreadId()) return app->GetMainWnd();
  const HWND named = NamedThreadMainWindow();
  if (named == nullptr) return nullptr;
  if (IsWindow(named)) return named;
  // The named window has gone (a progress dialog stopped by the user while its worker still
  // runs): a box of the worker then belongs to the application's window, not to none.
  return app != nullptr ? app->GetMainWnd() : nullptr;
}

int AfxMessageBox(const char* text, UINT type) {
  const std::string caption = ApplicationTitle();
  return MessageBoxA(AfxGetMainWnd(), text, caption.c_str(), type);
}

std::string ExecutableTitle(const std::string& exePath) {
  const std::string::size_type slash = exePath.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string ApplicationTitle() {
  const std::string path = ModuleFileName();
  return path.empty() ? std::string() : ExecutableTitle(path);
}
