#pragma once
#include <cstdint>

namespace quillora {

// (a*b)/c through a 64-bit product, rounded to nearest with halves away from zero.
// Returns -1 when c is 0 or the result does not fit in int32.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

struct PrintTarget {
  int32_t width, height;
};

// The largest size with the picture's aspect ratio that fits a pw x ph page, filling one page side.
// Any zero side (picture or page) means nothing to print: {0, 0}.
PrintTarget FitToPage(int32_t w, int32_t h, int32_t pw, int32_t ph);

}  // namespace quillora
