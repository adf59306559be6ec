#pragma once
#include "toolkit/gdi.h"

namespace quillora {

constexpr int kGlyphCount = 19;
// The tool-bar glyphs: 19 square images in one strip, white as the transparent key, drawn for a
// screen of `dpi` (16 x 16 at 96 dpi).
// In use: 0 select, 2 colour pick, 5 line, 6 arrow, 10 text, 13 save, 14 print, 15 delete,
// 16 open, 17 new, 18 reload.
qtk::BitmapObject CreateGlyphStrip(int dpi);

}  // namespace quillora
