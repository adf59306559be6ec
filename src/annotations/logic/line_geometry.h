#pragma once
#include <array>
#include <cstdint>

#include "annotations/logic/line_record.h"

namespace quillora {

struct IntPoint {
  int32_t x = 0, y = 0;
};

// The three corners of the arrow head at the end point: the tip, then the two back corners.
// The head is 3*width+6 long and opens 15 degrees to each side; coordinates are clamped to int32.
std::array<IntPoint, 3> ArrowHeadCorners(int32_t startX, int32_t startY, int32_t endX, int32_t endY,
                                         int32_t width);

// True when (x, y) lies within Width+2 of the line (see the .cpp for the exact zones).
bool HitTestLine(const LineRecord& r, int32_t x, int32_t y);

}  // namespace quillora
