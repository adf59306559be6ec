// The bitmap reader on arbitrary bytes: it may only reject them with its own error, and may only
// ask for pixels its size rules allow for a file of that length.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "toolkit/logic/bmp_codec.h"

namespace {

uint32_t U32(const uint8_t* d) {
  return d[0] | d[1] << 8 | d[2] << 16 | static_cast<uint32_t>(d[3]) << 24;
}

// The reader's rules: sides up to 65534 and 2^28 pixels; RLE at most 4096 pixels per file byte;
// otherwise every row must be present, at least one bit a pixel (the last row's padding may be
// missing).
bool Justified(const uint8_t* data, size_t size, int64_t width, int64_t height) {
  if (width > 65534 || height > 65534 || width * height > (int64_t{1} << 28)) return false;
  const bool rle =
      size >= 34 && U32(data + 14) >= 40 && (U32(data + 30) == 1 || U32(data + 30) == 2);
  if (rle) return width * height <= 4096 * static_cast<int64_t>(size);
  const int64_t stride = (width + 31) / 32 * 4;  // one bit a pixel
  return stride * (height - 1) + (width + 7) / 8 <= static_cast<int64_t>(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> pixels;
  int calls = 0;
  auto rule = [data, size](int64_t w, int64_t h) { return Justified(data, size, w, h); };
  try {
    qtk::bmp::Decode(std::span(data, size), fuzz::CheckedAllocator(pixels, size, rule, calls));
  } catch (const qtk::ImageError&) {
    // a clean rejection
  }
  return 0;
}
