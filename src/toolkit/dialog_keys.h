#pragma once
#include <windows.h>

namespace qtk {

// Moving between the controls of a form from the keyboard, as in a dialog box, for forms that
// are plain windows: the message loop offers each key here before it is dispatched.

// The tab stop after (or before) `from` among the form's controls, in creation order, descending
// into containers; wraps around. A radio group counts once: its checked button (its first when
// none is checked). Null `from` gives the first (or last). Null when the form has none.
HWND NextTabStop(HWND form, HWND from, bool backwards);

// Tab and Shift+Tab walk the tab stops, the arrow keys move within a radio group, Enter presses
// the focused push button. True when the key was used up; every other key is left alone, so
// accelerators and key preview see it as before.
bool HandleDialogKey(HWND form, const MSG& msg);

}  // namespace qtk
