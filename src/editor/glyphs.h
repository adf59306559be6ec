#pragma once
#include "toolkit/gdi.h"

namespace quillora {

constexpr int kGlyphCount = 19;
// The tool-bar glyphs: 19 images of 16 x 16 in one strip, white as the transparent key.
// In use: 0 select, 2 colour pick, 5 line, 6 arrow, 10 text, 13 save, 14 print, 15 delete,
// 16 open, 17 new, 18 reload.
qtk::BitmapObject CreateGlyphStrip();

}  // namespace quillora
