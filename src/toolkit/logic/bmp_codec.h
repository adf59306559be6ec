#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "toolkit/logic/pixel_buffer.h"

namespace qtk::bmp {

// Reads a whole .bmp file (every form Windows reads) into 24-bit BGR through `alloc`.
// `alloc` is called once, only after the headers are validated. Throws ImageError on bad input.
void Decode(std::span<const uint8_t> file, const PixelAllocator& alloc);

// Bytes per row of a 24-bit DIB: width*3 rounded up to a multiple of 4.
size_t Stride24(int32_t width);

// BITMAPFILEHEADER + BITMAPINFOHEADER (40 bytes) for a bottom-up 24-bit BI_RGB image; width, height
// >= 0.
std::array<uint8_t, 54> Header24(int32_t width, int32_t height);

}  // namespace qtk::bmp
