// Drawing lines and arrows onto the composed picture.
#include <algorithm>
#include <cmath>

#include "annotations/logic/line_geometry.h"
#include "editor/editor.h"

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

}  // namespace

void TScrivletForm1::DrawLine(const LineRecord& line, bool selected) {
  DrawLine(composedImage, line, selected);
}

void TScrivletForm1::DrawLine(qtk::Bitmap& into, const LineRecord& line, bool selected) {
  qtk::Canvas& canvas = into.GetCanvas();
  canvas.SetPenColor(line.Color);
  canvas.SetPenWidth(line.Width);
  canvas.SetPenMode(selected ? qtk::PenMode::Not : qtk::PenMode::Copy);
  double x0 = line.StartX, y0 = line.StartY, x1 = line.EndX, y1 = line.EndY;
  // Only ends beyond the margin are cut: any drag of the pointer (16-bit positions) stays inside
  // it and reaches GDI unchanged, and a cut lies far outside, past the pen's caps.
  double margin = 65536 + std::abs(static_cast<double>(line.Width));
  if (ClipSegment(x0, y0, x1, y1, -margin, -margin, into.Width() + margin,
                  into.Height() + margin)) {
    canvas.MoveTo(static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)));
    canvas.LineTo(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)));
  }
  if (line.Arrow) DrawArrowHead(into, line, selected);
}

void TScrivletForm1::DrawArrowHead(const LineRecord& line, bool selected) {
  DrawArrowHead(composedImage, line, selected);
}

void TScrivletForm1::DrawArrowHead(qtk::Bitmap& into, const LineRecord& line, bool selected) {
  qtk::Canvas& canvas = into.GetCanvas();
  if (selected) {
    canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  } else {
    canvas.SetBrushStyle(qtk::BrushStyle::Solid);
    canvas.SetBrushColor(line.Color);
  }
  // The corners lie within (3 * width + 6) / cos 15 degrees of the tip and the outline's pen
  // reaches half its width further: a head whose tip is farther outside than that cannot show.
  const int64_t reach = 4 * std::abs(static_cast<int64_t>(line.Width)) + 16;
  if (line.EndX < -reach || line.EndY < -reach || line.EndX > into.Width() + reach ||
      line.EndY > into.Height() + reach)
    return;
  auto corners = ArrowHeadCorners(line.StartX, line.StartY, line.EndX, line.EndY, line.Width);
  POINT points[3];
  for (int i = 0; i < 3; ++i) points[i] = POINT{corners[i].x, corners[i].y};
  canvas.Polygon(points);
}

}  // namespace quillora
