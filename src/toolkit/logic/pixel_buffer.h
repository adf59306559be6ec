#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace qtk {

// A 24-bit top-down BGR image in caller-owned memory: rows `stride` bytes apart (stride >= width*3,
// a multiple of 4).
struct PixelBuffer {
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
  uint8_t* bits = nullptr;
};

// Called once by a decoder when it knows the size; returns where to write. May throw.
// The returned buffer must have exactly the requested width and height.
using PixelAllocator = std::function<PixelBuffer(int32_t width, int32_t height)>;

// A decoder or reader error; message() is shown to the user as it is (Shift-JIS bytes on Windows).
class ImageError : public std::runtime_error {
 public:
  using runtime_error::runtime_error;
};

}  // namespace qtk
