#include "framework/TextFitTesting.h"

#include <cstdio>

namespace {

std::string ClassOf(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

// The room a control has for its text, and how it lays it out (DrawText flags); false for a
// control that shows no text of its own.
bool TextRoom(HWND control, HDC dc, RECT* room, UINT* flags) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  GetClientRect(control, room);
  const std::string kind = ClassOf(control);
  if (lstrcmpiA(kind.c_str(), "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) return false;
    *flags = DT_EXPANDTABS | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    return true;
  }
  if (lstrcmpiA(kind.c_str(), "Button") != 0) return false;
  *flags = DT_SINGLELINE;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      InflateRect(room, -GetSystemMetrics(SM_CXEDGE) * 2, -GetSystemMetrics(SM_CYEDGE) * 2);
      return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
      // The box is 13 pixels at 96 dots per inch, then half a digit's width of space.
      INT digit = 0;
      GetCharWidth32A(dc, '0', '0', &digit);
      room->left += 13 + digit / 2;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::string ClippedText(HWND control) {
  const std::string text = TextOf(control);
  if (text.empty()) return {};
  const HDC dc = GetDC(control);
  if (dc == nullptr) return "GetDC failed for control " + std::to_string(GetDlgCtrlID(control));
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT room;
  UINT flags = 0;
  std::string clipped;
  if (TextRoom(control, dc, &room, &flags)) {
    const LONG width = room.right - room.left;
    const LONG height = room.bottom - room.top;
    RECT need = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &need, flags | DT_CALCRECT);
    if (need.right > width || need.bottom > height) {
      char sizes[96];
      std::snprintf(sizes, sizeof(sizes), "\" needs %ldx%ld, has %ldx%ld", need.right,
                    need.bottom, width, height);
      clipped = "control " + std::to_string(GetDlgCtrlID(control)) + " \"" + text + sizes;
    }
  }
  SelectObject(dc, oldFont);
  ReleaseDC(control, dc);
  return clipped;
}

namespace {

BOOL CALLBACK CollectClipped(HWND control, LPARAM parameter) {
  auto* clipped = reinterpret_cast<std::vector<std::string>*>(parameter);
  if (!IsWindowVisible(control)) return TRUE;
  const std::string why = ClippedText(control);
  if (!why.empty()) clipped->push_back(why);
  return TRUE;
}

}  // namespace

std::vector<std::string> ClippedTexts(HWND parent) {
  std::vector<std::string> clipped;
  EnumChildWindows(parent, CollectClipped, reinterpret_cast<LPARAM>(&clipped));
  return clipped;
}
