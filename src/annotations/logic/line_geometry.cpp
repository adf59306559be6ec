#include "annotations/logic/line_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace quillora {

namespace {

// Round half to even, independent of the floating-point rounding mode in effect.
double RoundHalfEven(double v) {
  const double down = std::floor(v);
  const double frac = v - down;
  if (frac > 0.5) return down + 1;
  if (frac < 0.5) return down;
  return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

// base + round(offset), clamped so points far outside the picture never wrap around.
int32_t OffsetClamped(int32_t base, double offset) {
  const double sum = static_cast<double>(base) + RoundHalfEven(offset);
  const double lo = std::numeric_limits<int32_t>::min();
  const double hi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(sum, lo, hi));
}

bool StrictlyBetween(int64_t v, int64_t a, int64_t b) {
  return std::min(a, b) < v && v < std::max(a, b);
}

}  // namespace

std::array<IntPoint, 3> ArrowHeadCorners(int32_t startX, int32_t startY, int32_t endX, int32_t endY,
                                         int32_t width) {
  const double length = static_cast<double>(3 * static_cast<int64_t>(width) + 6);
  const double half = length * std::tan(15.0 * std::numbers::pi / 180.0);
  // Direction from the end back to the start; atan2(0, 0) is 0, so a zero-length line points right.
  const double theta = std::atan2(static_cast<double>(static_cast<int64_t>(startY) - endY),
                                  static_cast<double>(static_cast<int64_t>(startX) - endX));
  const double s = std::sin(theta), c = std::cos(theta);
  return {
      {{endX, endY},
       {OffsetClamped(endX, length * c - half * s), OffsetClamped(endY, length * s + half * c)},
       {OffsetClamped(endX, length * c + half * s), OffsetClamped(endY, length * s - half * c)}}};
}

bool HitTestLine(const LineRecord& r, int32_t x, int32_t y) {
  const int64_t tolerance = static_cast<int64_t>(r.Width) + 2;
  const int64_t x0 = r.StartX, y0 = r.StartY, x1 = r.EndX, y1 = r.EndY;
  if (x0 != x1 && StrictlyBetween(x, x0, x1)) {
    // Distance to the infinite line y = -k*x + c; the 64-bit products cannot overflow for int32
    // inputs.
    const double dx = static_cast<double>(x1 - x0);
    const double k = static_cast<double>(y0 - y1) / dx;
    const double c = static_cast<double>(y0 * x1 - y1 * x0) / dx;
    const double d = std::fabs(k * x + y - c) / std::sqrt(k * k + 1);
    return d < static_cast<double>(tolerance);
  }
  // Beyond the x range, on an end's x, or vertical: a vertical band around the start point's x.
  return x0 - tolerance < x && x < x0 + tolerance && StrictlyBetween(y, y0, y1);
}

}  // namespace quillora
