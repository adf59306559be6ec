#include "editor/logic/paint_boxes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "annotations/logic/line_geometry.h"

namespace quillora {

namespace {

// Length of the pieces a stroke is cut into for its dirty rectangles.
constexpr double kPiece = 64;

// Liang-Barsky: cuts the segment to the box; false when nothing of it is inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, const Box& b) {
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - double(b.left), double(b.right) - x0, y0 - double(b.top),
                       double(b.bottom) - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = ax;
  y0 = ay;
  return true;
}

Box PointsBox(double x0, double y0, double x1, double y1, int64_t reach) {
  return {static_cast<int64_t>(std::floor(std::min(x0, x1))) - reach,
          static_cast<int64_t>(std::floor(std::min(y0, y1))) - reach,
          static_cast<int64_t>(std::ceil(std::max(x0, x1))) + reach + 1,
          static_cast<int64_t>(std::ceil(std::max(y0, y1))) + reach + 1};
}

}  // namespace

Box Box::Intersect(const Box& o) const {
  return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
          std::min(bottom, o.bottom)};
}

Box Box::Union(const Box& o) const {
  if (Empty()) return o;
  if (o.Empty()) return *this;
  return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
          std::max(bottom, o.bottom)};
}

int64_t StrokeReach(int32_t width) { return std::max<int64_t>(width, 0) / 2 + 3; }

Box StrokeBox(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int32_t width) {
  return PointsBox(double(x0), double(y0), double(x1), double(y1), StrokeReach(width));
}

Box HeadBox(const LineRecord& line) {
  const auto c = ArrowHeadCorners(line.StartX, line.StartY, line.EndX, line.EndY, line.Width);
  Box b{c[0].x, c[0].y, c[0].x, c[0].y};
  for (const IntPoint& p : c)
    b = {std::min<int64_t>(b.left, p.x), std::min<int64_t>(b.top, p.y),
         std::max<int64_t>(b.right, p.x), std::max<int64_t>(b.bottom, p.y)};
  // A mitre at the 30-degree tip reaches (width / 2) / sin 15 degrees, under twice the width.
  const int64_t reach = 2 * std::max<int64_t>(line.Width, 0) + 4;
  return {b.left - reach, b.top - reach, b.right + reach + 1, b.bottom + reach + 1};
}

bool LineMeets(const LineRecord& line, const Box& box) {
  if (line.Arrow && HeadBox(line).Meets(box)) return true;
  double x0 = line.StartX, y0 = line.StartY, x1 = line.EndX, y1 = line.EndY;
  return Clip(x0, y0, x1, y1, box.Grown(StrokeReach(line.Width) + 1));
}

void AddLineBoxes(const LineRecord& line, const Box& clip, std::vector<Box>& boxes) {
  const int64_t reach = StrokeReach(line.Width);
  double x0 = line.StartX, y0 = line.StartY, x1 = line.EndX, y1 = line.EndY;
  if (Clip(x0, y0, x1, y1, clip.Grown(reach + 1))) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int pieces = std::max(1, static_cast<int>(std::ceil(length / kPiece)));
    for (int i = 0; i < pieces; ++i) {
      const double a = double(i) / pieces, b = double(i + 1) / pieces;
      const Box piece = PointsBox(x0 + a * (x1 - x0), y0 + a * (y1 - y0), x0 + b * (x1 - x0),
                                  y0 + b * (y1 - y0), reach)
                            .Intersect(clip);
      if (!piece.Empty()) AddBox(boxes, piece);
    }
  }
  if (line.Arrow) {
    const Box head = HeadBox(line).Intersect(clip);
    if (!head.Empty()) AddBox(boxes, head);
  }
}

void AddBox(std::vector<Box>& boxes, const Box& box) {
  if (box.Empty()) return;
  Box b = box;
  for (size_t i = 0; i < boxes.size();) {
    if (boxes[i].Contains(b)) return;
    const Box u = boxes[i].Union(b);
    if (b.Contains(boxes[i]) || (boxes[i].Meets(b) && u.Area() <= boxes[i].Area() + b.Area())) {
      b = u;
      boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(i));
      i = 0;  // the grown rectangle may now swallow one passed before
      continue;
    }
    ++i;
  }
  boxes.push_back(b);
}

}  // namespace quillora
