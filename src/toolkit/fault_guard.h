#pragma once
#include <windows.h>

namespace qtk {

// Runs body(context) and gives back 0 when it returned, or the code of a processor fault (an
// access violation and the like) that was raised inside it, in our code or in system code it
// called, and that nothing inside handled. The frames between are unwound by the system as a
// compiled __except would unwind them. `body` must hold no C++ object with a destructor and let
// no C++ exception out; C++ exceptions and every other kind of structured exception pass on.
DWORD CallCatchingFaults(void (*body)(void* context), void* context) noexcept;

}  // namespace qtk
