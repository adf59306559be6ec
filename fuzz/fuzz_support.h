#pragma once
// Shared by the fuzz targets: an allocator that checks each request against the reader's promise
// before handing out real memory (so the sanitizers see every write into it).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "toolkit/logic/pixel_buffer.h"

namespace fuzz {

// Pictures above `decodeLimit` pixels are checked, then declined: they only repeat the rows of
// smaller ones (a width up to the readers' limit still fits in a few rows), and decoding them under
// the sanitizers would spend the time on nothing new.
constexpr int64_t kDefaultDecodeLimit = int64_t{1} << 22;

[[noreturn]] inline void Broken(const char* promise, int32_t width, int32_t height, size_t size) {
  std::fprintf(stderr, "broken promise: %s (%d x %d from %zu bytes)\n", promise, width, height,
               size);
  std::abort();
}

// Owns the pixels of one decode; `justified(width, height)` says whether the reader may ask for
// them.
template <typename Rule>
qtk::PixelAllocator CheckedAllocator(std::vector<uint8_t>& memory, size_t fileSize, Rule justified,
                                     int& calls, int64_t decodeLimit = kDefaultDecodeLimit) {
  return [&memory, fileSize, justified, &calls, decodeLimit](int32_t width,
                                                             int32_t height) -> qtk::PixelBuffer {
    if (++calls != 1) Broken("allocator called more than once", width, height, fileSize);
    if (width <= 0 || height <= 0) Broken("empty picture requested", width, height, fileSize);
    if (!justified(int64_t{width}, int64_t{height}))
      Broken("more pixels than the file justifies", width, height, fileSize);
    if (int64_t{width} * height > decodeLimit) throw qtk::ImageError("fuzz: picture declined");
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    memory.assign(stride * static_cast<size_t>(height), 0);
    return {width, height, stride, memory.data()};
  };
}

}  // namespace fuzz
