// wizard_driver.exe [-w CAPTION] COMMAND ARGS...
//
// Drives a running installer's windows from a second program in the same Wine prefix, one
// command per call, so that a shell scenario reads like the user's clicks. The window that a
// control command works on is the visible top-level window captioned CAPTION.
//
// A control ID is looked up among the window's own children first (the frame's buttons, the
// progress dialog's controls) and then inside the page that is shown: a wizard page is a child
// dialog, which GetDlgItem on the frame does not see, and pages that were visited keep their
// hidden windows with the same ids. "page:ID" skips the frame's children (the host page has a
// static with id 2, the frame's Cancel button too).
//
// Commands (exit 0 when done, 1 when the window, the control or the awaited state is missing,
// 2 on a usage error; what is read is written to stdout byte for byte, without a line break):
//   wait-window CAPTION SECONDS     a visible top-level window with this caption appears
//   wait-gone CAPTION SECONDS       no visible top-level window has this caption any more
//   click ID                        BM_CLICK, returning when the click has been handled
//   post-click ID                   BM_CLICK posted; for clicks that open a modal box or dialog
//   text ID                         the control's text (WM_GETTEXT)
//   wait-text ID TEXT SECONDS       the control's text becomes TEXT
//   set-text ID VALUE               WM_SETTEXT
//   enabled ID | visible ID | checked ID | read-only ID   1 or 0 (visible: the control's own
//                                   WS_VISIBLE style; read-only: an edit's ES_READONLY)
//   focused                         the id of the control that has the keyboard focus
//   focus                           where the keyboard focus is: "frame:ID" (a frame button),
//                                   "page:ID" (a control of the page that is shown),
//                                   "hidden:ID" (a control of a hidden page), "window" (the frame
//                                   itself), "none", or "other:CLASS:CAPTION" (another window)
//   key NAME                        one real key press (SendInput) after bringing the window to
//                                   the foreground, as a user types it: tab, shift+tab, enter,
//                                   escape, space, up, down, or a letter or digit; waits until
//                                   the installer has handled it and writes the focus as above
//   type TEXT                       real key presses of the letters, digits and blanks of TEXT
//   owner                           the caption of the window's owner ("" when it has none)
//   press-enter-in ID               posts WM_KEYDOWN and WM_KEYUP of VK_RETURN to the control,
//                                   through the owner's message loop as a real key press goes
//   press-escape                    the same with VK_ESCAPE to the window itself
//   progress ID                     a progress bar's position (PBM_GETPOS)
//   watch-texts CAPTION ID SECONDS  waits for the window, then writes every distinct text the
//                                   control shows until the window closes, one a line (a status
//                                   line that changes faster than single reads could follow)
//   geometry                        the window's rectangle as WIDTHxHEIGHT+X+Y (for screenshots)
//   msgbox-text-and-ok CAPTION SECONDS   waits for a message box, writes its text, presses OK and
//                                   waits until the box has gone
//   windows                         the visible top-level windows: class and caption, one a line
//   controls                        every control of the window and its pages: parent, id, class,
//                                   visible, enabled, text (for diagnosing a failed check)
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Exit { kDone = 0, kMissing = 1, kUsage = 2 };

// A cross-process message that can never hang the driver: a busy or blocked installer makes the
// command fail instead.
constexpr UINT kSendTimeoutMs = 10000;
// The message box's text control (the same id on Windows and Wine).
constexpr int kMessageBoxTextId = 0xFFFF;

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Fail(const std::string& why) {
  std::fprintf(stderr, "wizard_driver: %s\n", why.c_str());
  return kMissing;
}

DWORD Deadline(const char* seconds) {
  return GetTickCount() + static_cast<DWORD>(std::atof(seconds) * 1000);
}
bool Before(DWORD deadline) { return static_cast<LONG>(deadline - GetTickCount()) > 0; }

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongA(window, GWL_STYLE) & style) != 0; }

// The text as the control's own window procedure answers it: an edit keeps its text to itself,
// so GetWindowText from another process would not see what was typed.
// A text that grows between the length and the text request (a status line that goes from
// "9%" to "10%") would come back cut: the buffer has room to spare, and a text that fills it is
// read again.
bool ReadText(HWND window, std::string* text) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
      return false;
    }
    std::string buffer(length + 64, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(&buffer[0]), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied)) {
      return false;
    }
    if (copied + 1 < buffer.size()) {
      buffer.resize(copied);
      *text = buffer;
      return true;
    }
  }
  return false;
}

struct TopWindowSearch {
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TopWindowSearch*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  char caption[512] = {};
  GetWindowTextA(window, caption, sizeof(caption));
  if (std::strcmp(caption, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The visible top-level window with exactly this caption, or null. (FindWindowA would also
// answer a hidden window, such as a wizard frame that is being torn down.)
HWND FindVisibleWindow(const char* caption) {
  TopWindowSearch search = {caption, nullptr};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const char* caption, DWORD deadline) {
  for (;;) {
    if (HWND window = FindVisibleWindow(caption)) return window;
    if (!Before(deadline)) return nullptr;
    Sleep(20);
  }
}

struct ControlSearch {
  HWND top;
  int id;
  HWND found;
};

// A control inside a shown page: a descendant of the top window (not a direct child) whose
// parent is visible.
BOOL CALLBACK MatchPageControl(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<ControlSearch*>(parameter);
  const HWND parent = GetParent(window);
  if (parent == search->top || GetDlgCtrlID(window) != search->id) return TRUE;
  if (!IsWindowVisible(parent)) return TRUE;
  search->found = window;
  return FALSE;
}

// ID or page:ID (see the header comment). Null when no such control is there.
HWND FindControl(HWND top, const std::string& spec) {
  const bool pageOnly = spec.compare(0, 5, "page:") == 0;
  const int id = std::atoi(spec.c_str() + (pageOnly ? 5 : 0));
  if (!pageOnly) {
    if (HWND direct = GetDlgItem(top, id)) return direct;
  }
  ControlSearch search = {top, id, nullptr};
  EnumChildWindows(top, MatchPageControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PostKey(HWND target, UINT key) {
  const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

BOOL CALLBACK ListTopWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  char caption[512] = {};
  GetWindowTextA(window, caption, sizeof(caption));
  Write(ClassOf(window) + "\t" + caption + "\n");
  return TRUE;
}

BOOL CALLBACK ListControl(HWND window, LPARAM parameter) {
  const HWND top = reinterpret_cast<HWND>(parameter);
  std::string text;
  ReadText(window, &text);
  char line[200];
  std::snprintf(line, sizeof(line), "%s\t%d\t%s\tvisible=%d\tenabled=%d\t",
                GetParent(window) == top ? "frame" : "page", GetDlgCtrlID(window),
                ClassOf(window).c_str(), HasStyle(window, WS_VISIBLE) ? 1 : 0,
                IsWindowEnabled(window) ? 1 : 0);
  Write(line + text.substr(0, 80) + "\n");
  return TRUE;
}

// The focus belongs to the window's thread; another process asks that thread.
int FocusedControlId(HWND top) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) {
    return 0;
  }
  return GetDlgCtrlID(info.hwndFocus);
}

// Where the focus of the window's thread is, as the header comment describes it.
std::string FocusWhere(HWND top) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) {
    return "none";
  }
  const HWND focus = info.hwndFocus;
  if (focus == top) return "window";
  const std::string id = std::to_string(GetDlgCtrlID(focus));
  if (GetParent(focus) == top) return "frame:" + id;
  if (GetAncestor(focus, GA_ROOT) == top) {
    return (IsWindowVisible(GetParent(focus)) ? "page:" : "hidden:") + id;
  }
  const HWND root = GetAncestor(focus, GA_ROOT);
  char caption[256] = {};
  GetWindowTextA(root, caption, sizeof(caption));
  return "other:" + ClassOf(root) + ":" + caption;
}

struct NamedKey {
  const char* name;
  WORD key;
  bool shift;
};

constexpr NamedKey kNamedKeys[] = {
    {"tab", VK_TAB, false},       {"shift+tab", VK_TAB, true}, {"enter", VK_RETURN, false},
    {"escape", VK_ESCAPE, false}, {"space", VK_SPACE, false},  {"up", VK_UP, false},
    {"down", VK_DOWN, false},
};

// The key and shift state of a key name, or of a single letter or digit; false for others.
bool KeyOf(const std::string& name, WORD* key, bool* shift) {
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.name) {
      *key = k.key;
      *shift = k.shift;
      return true;
    }
  }
  if (name.size() != 1 || !std::isalnum(static_cast<unsigned char>(name[0]))) return false;
  const SHORT scan = VkKeyScanA(name[0]);
  if (scan == -1) return false;
  *key = LOBYTE(scan);
  *shift = (HIBYTE(scan) & 1) != 0;
  return true;
}

void AddKey(std::vector<INPUT>& inputs, WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (key == VK_UP || key == VK_DOWN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  inputs.push_back(input);
}

// One press of |key| (with Shift held when |shift|) through the system's input queue, into the
// foreground window, exactly as a keyboard gives it.
bool PressKey(WORD key, bool shift) {
  std::vector<INPUT> inputs;
  if (shift) AddKey(inputs, VK_SHIFT, false);
  AddKey(inputs, key, false);
  AddKey(inputs, key, true);
  if (shift) AddKey(inputs, VK_SHIFT, true);
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size();
}

// Input goes to the foreground window: the window's thread must have it (a box of that thread may
// hold it instead, and then the key is meant for the box).
bool BringToForeground(HWND top) {
  const DWORD thread = GetWindowThreadProcessId(top, nullptr);
  if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == thread) return true;
  SetForegroundWindow(top);
  const DWORD deadline = GetTickCount() + 2000;
  while (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) != thread) {
    if (!Before(deadline)) return false;
    Sleep(10);
  }
  return true;
}

// Waits until the window's thread has handled the key: it answers a message again and the focus
// has stayed where it is for a while. Answers where the focus is then ("gone" when the window
// closed).
std::string SettledFocus(HWND top) {
  Sleep(60);
  std::string last;
  int stable = 0;
  for (int round = 0; round < 100 && stable < 3; ++round) {
    if (!IsWindow(top) || !IsWindowVisible(top)) return "gone";
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    const std::string now = FocusWhere(top);
    stable = now == last ? stable + 1 : 0;
    last = now;
    Sleep(30);
  }
  return last;
}

int PressNamedKey(HWND top, const std::string& name) {
  WORD key = 0;
  bool shift = false;
  if (!KeyOf(name, &key, &shift)) return kUsage;
  if (!BringToForeground(top)) return Fail("the window could not be brought to the foreground");
  if (!PressKey(key, shift)) return Fail("SendInput failed with error " +
                                         std::to_string(GetLastError()));
  Write(SettledFocus(top));
  return kDone;
}

int TypeText(HWND top, const std::string& text) {
  if (!BringToForeground(top)) return Fail("the window could not be brought to the foreground");
  for (char c : text) {
    WORD key = 0;
    bool shift = false;
    if (c == ' ') {
      key = VK_SPACE;
    } else if (!KeyOf(std::string(1, c), &key, &shift)) {
      return kUsage;
    }
    if (!PressKey(key, shift)) return Fail("SendInput failed");
  }
  SettledFocus(top);
  return kDone;
}

int WatchTexts(HWND top, HWND control, DWORD deadline) {
  std::string last;
  bool first = true;
  while (IsWindow(top) && IsWindowVisible(top) && Before(deadline)) {
    std::string text;
    if (!ReadText(control, &text)) break;  // the dialog ended between two reads
    if (first || text != last) {
      Write(text + "\n");
      std::fflush(stdout);
      last = text;
      first = false;
    }
    Sleep(2);
  }
  return kDone;
}

int MessageBoxTextAndOk(const char* caption, DWORD deadline) {
  HWND box = nullptr;
  while (!(box = FindWindowA("#32770", caption)) || !IsWindowVisible(box)) {
    if (!Before(deadline)) return Fail(std::string("no message box captioned ") + caption);
    Sleep(20);
  }
  std::string text;
  if (!ReadText(GetDlgItem(box, kMessageBoxTextId), &text)) return Fail("the box has no text");
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  // The next box of the same caption may follow at once; it must not be mistaken for this one.
  const DWORD goneBy = GetTickCount() + 10000;
  while (IsWindow(box) && Before(goneBy)) Sleep(10);
  Write(text);
  return IsWindow(box) ? Fail("the box stayed after OK") : kDone;
}

// Commands that need no window of the -w option.
bool RunGlobal(const std::vector<std::string>& a, int* result) {
  const std::string& command = a[0];
  if (command == "wait-window" && a.size() == 3) {
    *result = WaitForWindow(a[1].c_str(), Deadline(a[2].c_str())) ? kDone
                                                                  : Fail("no window " + a[1]);
  } else if (command == "wait-gone" && a.size() == 3) {
    const DWORD deadline = Deadline(a[2].c_str());
    while (FindVisibleWindow(a[1].c_str()) && Before(deadline)) Sleep(20);
    *result = FindVisibleWindow(a[1].c_str()) ? Fail("still shown: " + a[1]) : kDone;
  } else if (command == "msgbox-text-and-ok" && a.size() == 3) {
    *result = MessageBoxTextAndOk(a[1].c_str(), Deadline(a[2].c_str()));
  } else if (command == "watch-texts" && a.size() == 4) {
    const DWORD deadline = Deadline(a[3].c_str());
    const HWND top = WaitForWindow(a[1].c_str(), deadline);
    const HWND control = top ? FindControl(top, a[2]) : nullptr;
    *result = control ? WatchTexts(top, control, deadline) : Fail("no window or control");
  } else if (command == "windows" && a.size() == 1) {
    EnumWindows(ListTopWindow, 0);
    *result = kDone;
  } else {
    return false;
  }
  return true;
}

int RunOnWindow(HWND top, const std::vector<std::string>& a) {
  const std::string& command = a[0];
  if (command == "focused" && a.size() == 1) {
    Write(std::to_string(FocusedControlId(top)));
    return kDone;
  }
  if (command == "focus" && a.size() == 1) {
    Write(FocusWhere(top));
    return kDone;
  }
  if (command == "key" && a.size() == 2) return PressNamedKey(top, a[1]);
  if (command == "type" && a.size() == 2) return TypeText(top, a[1]);
  if (command == "owner" && a.size() == 1) {
    const HWND owner = GetWindow(top, GW_OWNER);
    char caption[256] = {};
    if (owner != nullptr) GetWindowTextA(owner, caption, sizeof(caption));
    Write(caption);
    return kDone;
  }
  if (command == "press-escape" && a.size() == 1) {
    PostKey(top, VK_ESCAPE);
    return kDone;
  }
  if (command == "geometry" && a.size() == 1) {
    RECT r = {};
    GetWindowRect(top, &r);
    char geometry[64];
    std::snprintf(geometry, sizeof(geometry), "%ldx%ld+%ld+%ld", r.right - r.left,
                  r.bottom - r.top, r.left, r.top);
    Write(geometry);
    return kDone;
  }
  if (command == "controls" && a.size() == 1) {
    EnumChildWindows(top, ListControl, reinterpret_cast<LPARAM>(top));
    return kDone;
  }
  if (a.size() < 2) return kUsage;
  const HWND control = FindControl(top, a[1]);
  if (!control) return Fail("no control " + a[1]);

  DWORD_PTR answer = 0;
  if (command == "click" && a.size() == 2) {
    if (!SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
      return Fail("the click was not handled in time (error " + std::to_string(GetLastError()) +
                  "); did it open a box? use post-click");
    }
  } else if (command == "post-click" && a.size() == 2) {
    PostMessageA(control, BM_CLICK, 0, 0);
  } else if (command == "text" && a.size() == 2) {
    std::string text;
    if (!ReadText(control, &text)) return Fail("no answer to WM_GETTEXT");
    Write(text);
  } else if (command == "wait-text" && a.size() == 4) {
    const DWORD deadline = Deadline(a[3].c_str());
    std::string text;
    for (;;) {
      // The page may change while waiting: look the control up again every time.
      const HWND current = FindControl(top, a[1]);
      if (current && ReadText(current, &text) && text == a[2]) return kDone;
      if (!Before(deadline)) return Fail("control " + a[1] + " shows \"" + text + "\"");
      Sleep(20);
    }
  } else if (command == "set-text" && a.size() == 3) {
    if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
      return Fail("no answer to WM_SETTEXT");
    }
  } else if (command == "enabled" && a.size() == 2) {
    Write(IsWindowEnabled(control) ? "1" : "0");
  } else if (command == "visible" && a.size() == 2) {
    Write(HasStyle(control, WS_VISIBLE) ? "1" : "0");
  } else if (command == "read-only" && a.size() == 2) {
    Write(HasStyle(control, ES_READONLY) ? "1" : "0");
  } else if (command == "checked" && a.size() == 2) {
    if (!SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer)) {
      return Fail("no answer to BM_GETCHECK");
    }
    Write(answer == BST_CHECKED ? "1" : "0");
  } else if (command == "press-enter-in" && a.size() == 2) {
    PostKey(control, VK_RETURN);
  } else if (command == "progress" && a.size() == 2) {
    if (!SendMessageTimeoutA(control, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer)) {
      return Fail("no answer to PBM_GETPOS");
    }
    Write(std::to_string(answer));
  } else {
    return kUsage;
  }
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  // Texts go out byte for byte: a CR LF inside an edit's text must reach the test as it is.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string caption;
  if (args.size() >= 2 && args[0] == "-w") {
    caption = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    std::fprintf(stderr, "usage: wizard_driver [-w CAPTION] COMMAND ARGS...\n");
    return kUsage;
  }
  int result = kUsage;
  if (!RunGlobal(args, &result)) {
    const HWND top = caption.empty() ? nullptr : FindVisibleWindow(caption.c_str());
    if (!top) return Fail("no visible window \"" + caption + "\"");
    result = RunOnWindow(top, args);
  }
  if (result == kUsage) std::fprintf(stderr, "wizard_driver: bad command or arguments\n");
  std::fflush(stdout);
  return result;
}
