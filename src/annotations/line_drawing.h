#pragma once
#include "annotations/logic/line_record.h"
#include "toolkit/gdi.h"

namespace quillora {

// Draws a line or an arrow on the canvas in its colour and width; a selected one is drawn with
// the inverting pen and an outlined head. Ends far outside the canvas's clip box are cut so that
// GDI gets small numbers.
void DrawLine(qtk::Canvas& canvas, const LineRecord& line, bool selected);

}  // namespace quillora
