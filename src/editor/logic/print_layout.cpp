#include "editor/logic/print_layout.h"

#include <limits>

namespace quillora {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  // |a*b| <= 2^62, so the product, its negation and the rounding term all fit in int64.
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t divisor = c;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const int64_t magnitude = ((product < 0 ? -product : product) + divisor / 2) / divisor;
  const int64_t result = product < 0 ? -magnitude : magnitude;
  if (result < std::numeric_limits<int32_t>::min() || result > std::numeric_limits<int32_t>::max())
    return -1;
  return static_cast<int32_t>(result);
}

PrintTarget FitToPage(int32_t w, int32_t h, int32_t pw, int32_t ph) {
  if (w == 0 || h == 0 || pw == 0 || ph == 0) return {0, 0};
  const long double pictureRatio = static_cast<long double>(w) / h;
  const long double pageRatio = static_cast<long double>(pw) / ph;
  // Wider than the page: fill the page width; otherwise (ties included) fill the page height.
  if (pictureRatio > pageRatio) return {pw, MulDiv(h, pw, w)};
  return {MulDiv(w, ph, h), ph};
}

}  // namespace quillora
