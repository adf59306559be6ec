#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/color.h"
#include "toolkit/gdi.h"

namespace quillora {

// One text label: a line of text with its own font, text colour and background colour
// (clNone: transparent), anchored by its top-left corner.
class TMoji {
 public:
  TMoji() = default;
  virtual ~TMoji() = default;

  qtk::Color BkColor = 0;
  qtk::FontSpec Font;
  std::string Text;
  int32_t X = 0;
  int32_t Y = 0;

  // The text rectangle as DT_CALCRECT measures it; 64-bit edges, so that a label moved next to
  // the int32 limits cannot wrap its right or bottom edge around. The text is code page 932 text
  // whatever the font's character set, drawn and measured as such.
  struct Bounds {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
  };

  // Draws the label; a selected label gets an inverted frame around its measured text.
  void Draw(qtk::Canvas& canvas, bool selected) const;
  // True when (x, y) lies in the measured text rectangle, all four bounds inclusive. Sets the
  // canvas font to the label's as a side effect.
  bool HitTest(int32_t x, int32_t y, qtk::Canvas& canvas) const;
  // The label's rectangle, the bounds of its hit test and of its selection frame, measured in
  // its own font on the canvas (which keeps that font).
  Bounds Measure(qtk::Canvas& canvas) const;
  // Every pixel that Draw can paint, selected or not: the text's cells, the measured frame and
  // room for glyphs that overhang their cells. Sets the canvas font as HitTest does.
  Bounds PaintedBounds(qtk::Canvas& canvas) const;
};

}  // namespace quillora
