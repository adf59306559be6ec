#include "annotations/moji.h"

namespace quillora {

RECT TMoji::Measure(qtk::Canvas& canvas) const {
  RECT r{X, Y, X, Y};
  canvas.RealizeFont();
  DrawTextA(canvas.Handle(), Text.data(), static_cast<int>(Text.size()), &r, DT_CALCRECT);
  return r;
}

void TMoji::Draw(qtk::Canvas& canvas, bool selected) const {
  canvas.SetFont(Font);
  if (BkColor != qtk::clNone) {
    canvas.SetBrushColor(BkColor);
    canvas.SetBrushStyle(qtk::BrushStyle::Solid);
  } else {
    canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  }
  canvas.TextOut(X, Y, Text);
  if (!selected) return;
  RECT r = Measure(canvas);
  canvas.SetBrushStyle(qtk::BrushStyle::Clear);
  canvas.SetPenMode(qtk::PenMode::Not);
  canvas.SetPenWidth(2);
  canvas.Rectangle(X, Y, r.right, r.bottom);
}

bool TMoji::HitTest(int32_t x, int32_t y, qtk::Canvas& canvas) const {
  canvas.SetFont(Font);
  RECT r = Measure(canvas);
  return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

}  // namespace quillora
