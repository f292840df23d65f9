#include "framework/DialogTestTools.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
}

ScriptThread::ScriptThread(std::function<void()> script, std::function<void()> closeIfOpen)
    : thread_([script, closeIfOpen] {
        script();
        closeIfOpen();
      }) {}

ScriptThread::~ScriptThread() { thread_.join(); }

SyncPoint::SyncPoint() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SyncPoint::~SyncPoint() { CloseHandle(event_); }

void SyncPoint::Signal() { SetEvent(event_); }

bool SyncPoint::PostAndWait(HWND dialog) {
  if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kSyncCommand, BN_CLICKED), 0)) return false;
  // A dialog that ended meanwhile never handles the command.
  return WaitUntil([this, dialog] {
    return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0 || !IsWindow(dialog);
  });
}

void PumpWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PostKey(HWND window, UINT key) {
  const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  PostMessageA(window, WM_KEYDOWN, key, down);
  PostMessageA(window, WM_KEYUP, key, up);
}

std::string StoredWindowText(HWND window) {
  wchar_t wide[512] = {};
  const int length = InternalGetWindowText(window, wide, 512);
  if (length <= 0) return {};
  char narrow[1024] = {};
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, wide, length, narrow, sizeof(narrow), nullptr, nullptr);
  return std::string(narrow, bytes > 0 ? static_cast<size_t>(bytes) : 0);
}

HWND FocusOnThreadOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

namespace {

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindDescendant(HWND parent, int id) {
  Search search = {id, nullptr};
  EnumChildWindows(parent, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
