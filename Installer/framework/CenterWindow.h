// Placing a pop-up window over the window it belongs to.
#pragma once

#include <windows.h>

// Where a window of |window|'s size goes when centred over |owner|: the same size, moved so that
// the centres meet (an odd pixel left over goes right and below), then pushed back inside
// |workArea| where it would stick out; a window larger than the work area keeps its top-left
// corner in it.
RECT CenteredRect(const RECT& window, const RECT& owner, const RECT& workArea);

// Moves |window| to the middle of its owner window (GW_OWNER), or of its monitor's work area
// when it has none, inside that monitor's work area. Size, z-order and activation stay.
void CenterOverOwner(HWND window);
