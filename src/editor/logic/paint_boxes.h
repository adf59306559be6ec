#pragma once
#include <cstdint>
#include <vector>

#include "annotations/logic/line_record.h"

namespace quillora {

// A rectangle of pixels, right and bottom exclusive. 64-bit edges: annotations may lie anywhere
// in the int32 plane, and a margin around one near the limits must not wrap.
struct Box {
  int64_t left = 0, top = 0, right = 0, bottom = 0;

  bool operator==(const Box&) const = default;
  bool Empty() const { return right <= left || bottom <= top; }
  int64_t Area() const { return Empty() ? 0 : (right - left) * (bottom - top); }
  bool Meets(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  bool Contains(const Box& o) const {
    return left <= o.left && top <= o.top && o.right <= right && o.bottom <= bottom;
  }
  Box Intersect(const Box& o) const;
  Box Union(const Box& o) const;
  Box Grown(int64_t by) const { return {left - by, top - by, right + by, bottom + by}; }
  Box Shifted(int64_t dx, int64_t dy) const {
    return {left + dx, top + dy, right + dx, bottom + dy};
  }
};

// How far from its centre line a stroke of this pen width can paint: half the pen (round caps
// and joins) and a margin for the rasteriser's rounding.
int64_t StrokeReach(int32_t width);

// Every pixel a move-to/line-to stroke of this width can paint.
Box StrokeBox(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int32_t width);

// Every pixel an arrow's head can paint: its corners, and the outline pen around them with
// room for a mitred tip.
Box HeadBox(const LineRecord& line);

// True when the record, drawn as a line or arrow, can paint a pixel of `box`.
bool LineMeets(const LineRecord& line, const Box& box);

// Adds to `boxes` rectangles that together hold every pixel of `clip` the record can paint: the
// stroke cut into short pieces (a long diagonal line then dirties a band along itself, not its
// whole bounding rectangle) and the head.
void AddLineBoxes(const LineRecord& line, const Box& clip, std::vector<Box>& boxes);

// Adds a rectangle, merging it with one it overlaps when the merged rectangle is no larger than
// the two apart; one that is already covered adds nothing.
void AddBox(std::vector<Box>& boxes, const Box& box);

}  // namespace quillora
