#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>

#include "toolkit/logic/pixel_buffer.h"

namespace qtk::jpeg {

// Decompresses a whole JPEG file into 24-bit BGR through `alloc` (called once, after the header is
// read). With `quantize`, or for a greyscale file, the image is reduced to 236 colours with
// dithering first. Throws ImageError "JPEG エラー #n" (n is the library's message code); warnings
// are ignored.
void Decode(std::span<const uint8_t> file, bool quantize, const PixelAllocator& alloc);

// For previews: the largest of the library's reduced scales 1/1, 1/2, 1/4, 1/8 at which the picture
// still has every pixel it shows once shrunk to fit a box (never enlarged).
int ReducedScale(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight);
// Decode at that reduced scale, in colour; the size limits are those of Decode, for the whole
// picture. Returns the picture's own width and height.
std::pair<int32_t, int32_t> DecodeReduced(std::span<const uint8_t> file, int32_t boxWidth,
                                          int32_t boxHeight, const PixelAllocator& alloc);

// Compresses `src` as a baseline, single-scan, quality 90 JFIF stream, handing it to `sink` in
// pieces of up to 64 KiB. An empty source produces nothing. Errors throw ImageError; exceptions
// from `sink` pass through.
void Encode(const PixelBuffer& src,
            const std::function<void(const uint8_t* data, size_t size)>& sink);

}  // namespace qtk::jpeg
