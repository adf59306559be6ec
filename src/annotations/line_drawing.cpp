// Drawing lines and arrows.
#include "annotations/line_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "annotations/logic/line_geometry.h"

namespace quillora {

namespace {

// Clips the segment to a box with Liang-Barsky so that coordinates far outside the picture
// (a drag released off screen) reach GDI as small numbers; false when nothing is inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top,
                 double right, double bottom) {
  double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = x0 + t0 * dx;
  y0 = y0 + t0 * dy;
  return true;
}

// The head: filled in the line's colour, or outlined with the inverting pen when selected.
void DrawArrowHead(qtk::Canvas& canvas, const LineRecord& line, bool selected, const RECT& clip) {
  if (selected) {
    canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  } else {
    canvas.SetBrushStyle(qtk::BrushStyle::Solid);
    canvas.SetBrushColor(line.Color);
  }
  // The corners lie within (3 * width + 6) / cos 15 degrees of the tip and the outline's pen
  // reaches half its width further: a head whose tip is farther outside than that cannot show.
  const int64_t reach = 4 * std::abs(static_cast<int64_t>(line.Width)) + 16;
  if (line.EndX < clip.left - reach || line.EndY < clip.top - reach ||
      line.EndX > clip.right + reach || line.EndY > clip.bottom + reach)
    return;
  auto corners = ArrowHeadCorners(line.StartX, line.StartY, line.EndX, line.EndY, line.Width);
  POINT points[3];
  for (int i = 0; i < 3; ++i) points[i] = POINT{corners[i].x, corners[i].y};
  canvas.Polygon(points);
}

}  // namespace

void DrawLine(qtk::Canvas& canvas, const LineRecord& line, bool selected) {
  canvas.SetPenColor(line.Color);
  canvas.SetPenWidth(line.Width);
  canvas.SetPenMode(selected ? qtk::PenMode::Not : qtk::PenMode::Copy);
  double x0 = line.StartX, y0 = line.StartY, x1 = line.EndX, y1 = line.EndY;
  // Only ends beyond a fixed square, far larger than any picture, are cut: any drag of the
  // pointer stays inside it and reaches GDI unchanged, and the cut is the same whatever part of
  // the picture is being drawn, so a line redrawn in pieces is the line drawn whole.
  const double edge = (1 << 20) + std::abs(static_cast<double>(line.Width));
  if (ClipSegment(x0, y0, x1, y1, -edge, -edge, edge, edge)) {
    canvas.MoveTo(static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)));
    canvas.LineTo(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)));
  }
  RECT clip{};
  GetClipBox(canvas.Handle(), &clip);
  if (line.Arrow) DrawArrowHead(canvas, line, selected, clip);
}

}  // namespace quillora
