#include "toolkit/metafile.h"

#include <cstdint>

#include "toolkit/error.h"
#include "toolkit/gdi.h"
#include "toolkit/logic/metafile_header.h"

namespace qtk {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kEmfHeaderMinSize = 80;        // ENHMETAHEADER up to szlMillimeters
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

[[noreturn]] void Invalid() { throw Error("メタファイルが有効ではありません"); }

uint16_t U16(const std::string& d, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8);
}
uint32_t U32(const std::string& d, size_t at) {
  return U16(d, at) | uint32_t{U16(d, at + 2)} << 16;
}

// A placeable header carries the picture's box in its own units per inch; the screen's logical
// inch turns that into pixels, and the box becomes the window the records are drawn through.
MetafileBits FromPlaceable(const std::string& d) {
  const auto header = wmf::ReadPlaceable({reinterpret_cast<const uint8_t*>(d.data()), d.size()});
  if (!header) Invalid();
  WindowDC screen(nullptr);
  const auto size = wmf::PlaceablePixels(*header, GetDeviceCaps(screen.get(), LOGPIXELSX),
                                         GetDeviceCaps(screen.get(), LOGPIXELSY));
  if (!size) Invalid();
  MetafileBits m;
  m.format = MetafileBits::Format::Windows;
  m.bytes = d.substr(header->offset, header->bytes);
  m.window =
      RECT{header->left, header->top, header->left + header->unitsX, header->top + header->unitsY};
  m.width = size->width;
  m.height = size->height;
  return m;
}

bool IsEnhanced(const std::string& d) {
  return d.size() >= kEmfHeaderMinSize && U32(d, 0) == EMR_HEADER && U32(d, 40) == kEmfSignature;
}

MetafileBits FromEnhanced(const std::string& d) {
  const uint32_t headerSize = U32(d, 4), bytes = U32(d, 48);
  if (headerSize < kEmfHeaderMinSize || bytes < headerSize || bytes > d.size()) Invalid();
  MetafileBits m;
  m.bytes = d.substr(0, bytes);
  SizeFromFrame(m);
  return m;
}

}  // namespace

// rclFrame is recorded in .01 mm through the reference screen's HORZSIZE/HORZRES (that is how GDI
// fills it in and how its documentation tells callers to), so the same ratio gives back the
// recorded pixels; rclBounds would lose any margin the picture leaves unpainted.
void SizeFromFrame(MetafileBits& m) {
  if (!IsEnhanced(m.bytes)) Invalid();
  WindowDC screen(nullptr);
  int pixelsX = GetDeviceCaps(screen.get(), HORZRES), mmX = GetDeviceCaps(screen.get(), HORZSIZE);
  int pixelsY = GetDeviceCaps(screen.get(), VERTRES), mmY = GetDeviceCaps(screen.get(), VERTSIZE);
  if (mmX <= 0 || mmY <= 0) {
    // No physical size known: fall back to the logical inch.
    pixelsX = GetDeviceCaps(screen.get(), LOGPIXELSX) * 10;
    pixelsY = GetDeviceCaps(screen.get(), LOGPIXELSY) * 10;
    mmX = mmY = 254;
  }
  auto s32 = [&m](size_t at) {
    return static_cast<long long>(static_cast<int32_t>(U32(m.bytes, at)));
  };
  const long long frameX = s32(32) - s32(24), frameY = s32(36) - s32(28);  // rclFrame
  if (frameX <= 0 || frameY <= 0 || frameX > INT32_MAX || frameY > INT32_MAX) Invalid();
  m.width = MulDiv(static_cast<int>(frameX), pixelsX, mmX * 100);
  m.height = MulDiv(static_cast<int>(frameY), pixelsY, mmY * 100);
  if (!wmf::UsablePictureSize(m.width, m.height)) Invalid();
}

MetafileBits ReadMetafile(const std::string& data) {
  if (data.size() >= 4 && U32(data, 0) == kPlaceableKey) return FromPlaceable(data);
  if (IsEnhanced(data)) return FromEnhanced(data);
  Invalid();
}

MetafileBits ReadMetafileFile(const std::string& path) { return ReadMetafile(ReadWholeFile(path)); }

}  // namespace qtk
