// The placeable-metafile header reader on arbitrary bytes: the metafile it points at lies inside
// the file, and the picture size it yields, at any screen's logical inch, obeys the readers' size
// rule.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "toolkit/logic/metafile_header.h"

namespace {

void Expect(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto header = qtk::wmf::ReadPlaceable(std::span(data, size));
  if (!header) return 0;
  Expect(header->offset == 22 && header->bytes >= 18 && header->bytes <= size - header->offset);
  Expect(header->unitsX > 0 && header->unitsY > 0 && header->unitsPerInch > 0);
  for (const int32_t dpi : {72, 96, 120, 144, 192, 480}) {
    const auto pixels = qtk::wmf::PlaceablePixels(*header, dpi, dpi + 24);
    if (!pixels) continue;
    const int64_t w = pixels->width, h = pixels->height;
    Expect(w > 0 && h > 0 && w <= 32767 && h <= 32767 && w * h <= (int64_t{1} << 28));
    Expect(qtk::wmf::UsablePictureSize(w, h));
  }
  return 0;
}
