#pragma once
#include "toolkit/window.h"

namespace qtk {

// Keeps the text caret of a read-only edit hidden: the system edit shows one whenever the edit
// takes the focus or gets a new font while focused. Calling it again for the same control is
// harmless.
void KeepCaretHidden(Window& control);

}  // namespace qtk
