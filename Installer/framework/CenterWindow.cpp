#include "framework/CenterWindow.h"

namespace {

// The start of a span of |length| centred over [ownerStart, ownerEnd), kept inside
// [areaStart, areaEnd) and, when it is too long for it, starting at |areaStart|.
LONG CenteredStart(LONG length, LONG ownerStart, LONG ownerEnd, LONG areaStart, LONG areaEnd) {
  LONG start = ownerStart + (ownerEnd - ownerStart - length) / 2;
  if (start + length > areaEnd) start = areaEnd - length;
  if (start < areaStart) start = areaStart;
  return start;
}

}  // namespace

RECT CenteredRect(const RECT& window, const RECT& owner, const RECT& workArea) {
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  const LONG left = CenteredStart(width, owner.left, owner.right, workArea.left, workArea.right);
  const LONG top = CenteredStart(height, owner.top, owner.bottom, workArea.top, workArea.bottom);
  return {left, top, left + width, top + height};
}

void CenterOverOwner(HWND window) {
  RECT windowRect;
  if (!GetWindowRect(window, &windowRect)) return;
  const HWND owner = GetWindow(window, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoA(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST),
                       &monitor)) {
    return;
  }
  RECT ownerRect = monitor.rcWork;
  if (owner != nullptr && !IsIconic(owner)) GetWindowRect(owner, &ownerRect);
  const RECT placed = CenteredRect(windowRect, ownerRect, monitor.rcWork);
  SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
