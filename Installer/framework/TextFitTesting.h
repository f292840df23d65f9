// Whether a control shows its whole text in the fonts of the system the tests run on (linked into
// installer_tests only). Fonts differ between systems (Wine's stand-ins for "MS Sans Serif" are
// wider than Windows' own), so the templates are checked where they are shown, not by counting
// characters.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Empty when |control| shows its whole text; otherwise what is cut: the id, the text, the size it
// needs and the size it has, in pixels. Static texts wrap at word breaks as the static control
// draws them; check boxes, radio buttons and push buttons keep their text on one line beside the
// box or inside the button's edges. Other controls (edits, pictures, frames) and empty texts
// always fit.
std::string ClippedText(HWND control);

// ClippedText of every visible control below |parent| that cuts its text.
std::vector<std::string> ClippedTexts(HWND parent);
