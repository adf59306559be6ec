#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qtk::wmf {

// What a placeable metafile's two headers say: the picture's extent in the file's own units, and
// which bytes behind the 22-byte placeable header are the Windows metafile to hand the system.
struct Placeable {
  int32_t left = 0, top = 0;  // the box's top-left corner (the smaller of each pair), in its units
  int32_t unitsX = 0, unitsY = 0;
  int32_t unitsPerInch = 0;
  size_t offset = 0;  // where the METAHEADER starts
  size_t bytes = 0;   // how many bytes from there make the metafile
};

// Reads the placeable header and the METAHEADER behind it. A header size that also counts the
// placeable header (some writers do that) is read as the system reads it: the bytes that are
// present are the metafile. Nothing for a file without both headers, a zero extent or unit, or
// a size that fits neither reading (records cut off).
std::optional<Placeable> ReadPlaceable(std::span<const uint8_t> file);

// The picture's size in pixels at the screen's logical inch, rounded as MulDiv rounds; nothing
// when it is not a picture the readers take (UsablePictureSize).
struct PixelSize {
  int32_t width = 0, height = 0;
};
std::optional<PixelSize> PlaceablePixels(const Placeable& header, int32_t dpiX, int32_t dpiY);

// The readers' limits: both sides 1 to 32767 and at most 2^28 pixels in all.
bool UsablePictureSize(int64_t width, int64_t height);

}  // namespace qtk::wmf
