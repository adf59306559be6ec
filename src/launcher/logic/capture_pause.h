#pragma once
#include <cstdint>
#include <functional>

namespace quillora {

// Busy pause that keeps handling window messages: runs pump() repeatedly while the time since
// start, taken as the difference of two 32-bit tick counts modulo 2^32, is at most `ms`.
// Returns false at once (after the current pump) when `cancelled()` turns true.
bool CapturePause(uint32_t ms, const std::function<uint32_t()>& tick,
                  const std::function<void()>& pump, const std::function<bool()>& cancelled);

}  // namespace quillora
