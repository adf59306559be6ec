#include "toolkit/logic/metafile_header.h"

#include <algorithm>

namespace qtk::wmf {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kMetaHeaderSize = 18;  // METAHEADER: 9 words
constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t{1} << 28;  // the bitmap and JPEG readers' ceiling

uint16_t U16(std::span<const uint8_t> d, size_t at) {
  return static_cast<uint16_t>(d[at] | d[at + 1] << 8);
}
int16_t S16(std::span<const uint8_t> d, size_t at) { return static_cast<int16_t>(U16(d, at)); }
uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return U16(d, at) | uint32_t{U16(d, at + 2)} << 16;
}

int32_t Span(int16_t from, int16_t to) {
  const int32_t d = int32_t{to} - from;
  return d < 0 ? -d : d;
}

}  // namespace

std::optional<Placeable> ReadPlaceable(std::span<const uint8_t> file) {
  if (file.size() < kPlaceableSize + kMetaHeaderSize || U32(file, 0) != kPlaceableKey) return {};
  Placeable p;
  p.unitsX = Span(S16(file, 6), S16(file, 10));
  p.unitsY = Span(S16(file, 8), S16(file, 12));
  p.left = std::min(S16(file, 6), S16(file, 10));
  p.top = std::min(S16(file, 8), S16(file, 12));
  p.unitsPerInch = U16(file, 14);
  if (p.unitsX == 0 || p.unitsY == 0 || p.unitsPerInch == 0) return {};

  p.offset = kPlaceableSize;
  const uint16_t type = U16(file, p.offset), headerWords = U16(file, p.offset + 2);
  if ((type != 1 && type != 2) || headerWords != kMetaHeaderSize / 2) return {};
  const uint64_t declared = uint64_t{U32(file, p.offset + 6)} * 2;
  const size_t present = (file.size() - p.offset) & ~size_t{1};  // the system takes whole words
  // Either the size counts the metafile alone and its bytes are all there, or it counts the
  // whole file, placeable header included. A size between the two means records are missing.
  if (declared < kMetaHeaderSize || (declared > present && declared != file.size())) return {};
  p.bytes = declared <= present ? static_cast<size_t>(declared) : present;
  return p;
}

std::optional<PixelSize> PlaceablePixels(const Placeable& header, int32_t dpiX, int32_t dpiY) {
  if (header.unitsPerInch <= 0 || dpiX <= 0 || dpiY <= 0) return {};
  const int64_t inch = header.unitsPerInch;
  const int64_t width = (int64_t{header.unitsX} * dpiX + inch / 2) / inch;
  const int64_t height = (int64_t{header.unitsY} * dpiY + inch / 2) / inch;
  if (!UsablePictureSize(width, height)) return {};
  return PixelSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

bool UsablePictureSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

}  // namespace qtk::wmf
