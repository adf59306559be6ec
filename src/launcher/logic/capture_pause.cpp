#include "launcher/logic/capture_pause.h"

namespace quillora {

bool CapturePause(uint32_t ms, const std::function<uint32_t()>& tick,
                  const std::function<void()>& pump, const std::function<bool()>& cancelled) {
  const uint32_t start = tick();
  // Unsigned subtraction measures elapsed time correctly across the 49.7-day tick wrap-around.
  while (static_cast<uint32_t>(tick() - start) <= ms) {
    pump();
    if (cancelled()) return false;
  }
  return true;
}

}  // namespace quillora
