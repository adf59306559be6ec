#pragma once
#include <cstdint>

namespace quillora {

// One straight line drawn on the picture, optionally with an arrow head at its end point.
struct LineRecord {
  int32_t StartX = 0, StartY = 0, EndX = 0, EndY = 0, Width = 0;
  uint32_t Color = 0;
  bool Arrow = false;

  bool operator==(const LineRecord&) const = default;
};

}  // namespace quillora
