#include "annotations/moji.h"

#include <algorithm>
#include <cstdlib>

namespace quillora {

namespace {

// How far past the surface a label may start and still show: glyph overhang (italics) and the
// frame's pen reach a little beyond the measured cells.
int64_t Slack(const qtk::FontSpec& font) { return 64 + 2 * std::abs(int64_t{font.height}); }

// Brings an edge to the clip box widened by `slack`; pixels inside the box do not change.
int ClampEdge(int64_t v, LONG low, LONG high, int64_t slack) {
  return static_cast<int>(std::clamp<int64_t>(v, low - slack, high + slack));
}

}  // namespace

TMoji::Bounds TMoji::Measure(qtk::Canvas& canvas) const {
  // Measured at the origin and moved in 64 bits: DT_CALCRECT only adds the text's size.
  canvas.SetFont(Font);
  const SIZE size = canvas.CalcRectSize(Text);
  return {int64_t{X}, int64_t{Y}, int64_t{X} + size.cx, int64_t{Y} + size.cy};
}

void TMoji::Draw(qtk::Canvas& canvas, bool selected) const {
  canvas.SetFont(Font);
  if (BkColor != qtk::clNone) {
    canvas.SetBrushColor(BkColor);
    canvas.SetBrushStyle(qtk::BrushStyle::Solid);
  } else {
    canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  }
  RECT box{};
  GetClipBox(canvas.Handle(), &box);
  const int64_t slack = Slack(Font);
  // A label that starts beyond the right or bottom edge cannot show; one that starts before the
  // left or top edge shows only when its text reaches back in. Either way GDI gets small numbers.
  bool shows = X <= box.right + slack && Y <= box.bottom + slack;
  if (shows && (X < box.left - slack || Y < box.top - slack)) {
    SIZE extent = canvas.TextExtent(Text);
    shows = int64_t{X} + extent.cx + slack >= box.left && int64_t{Y} + extent.cy + slack >= box.top;
  }
  if (shows) canvas.PutText(X, Y, Text);
  if (!selected) return;
  const Bounds b = Measure(canvas);
  canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  canvas.SetPenMode(qtk::PenMode::Not);
  canvas.SetPenWidth(2);
  canvas.Rectangle(ClampEdge(b.left, box.left, box.right, slack),
                   ClampEdge(b.top, box.top, box.bottom, slack),
                   ClampEdge(b.right, box.left, box.right, slack),
                   ClampEdge(b.bottom, box.top, box.bottom, slack));
}

TMoji::Bounds TMoji::PaintedBounds(qtk::Canvas& canvas) const {
  canvas.SetFont(Font);
  const SIZE cells = canvas.TextExtent(Text);
  const Bounds b = Measure(canvas);
  // Italic and kerned glyphs lean out of their cells by well under half the line's height; the
  // frame's pen of width 2 reaches one pixel outside the measured rectangle.
  const int64_t pad = std::max<int64_t>(cells.cy, std::abs(int64_t{Font.height})) / 2 + 4;
  return {std::min<int64_t>(b.left, X) - pad, std::min<int64_t>(b.top, Y) - pad,
          std::max<int64_t>(b.right, int64_t{X} + cells.cx) + pad,
          std::max<int64_t>(b.bottom, int64_t{Y} + cells.cy) + pad};
}

bool TMoji::HitTest(int32_t x, int32_t y, qtk::Canvas& canvas) const {
  const Bounds b = Measure(canvas);
  return b.left <= x && x <= b.right && b.top <= y && y <= b.bottom;
}

}  // namespace quillora
