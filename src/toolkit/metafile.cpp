#include "toolkit/metafile.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "toolkit/bitmap.h"
#include "toolkit/error.h"
#include "toolkit/gdi.h"

namespace qtk {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr size_t kWmfHeaderSize = 18;           // METAHEADER: 9 words
constexpr size_t kEmfHeaderMinSize = 80;        // ENHMETAHEADER up to szlMillimeters
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr int kMaxSide = 32767;

[[noreturn]] void Invalid() { throw Error("メタファイルが有効ではありません"); }

bool UsableSize(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

uint16_t U16(const std::string& d, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8);
}
int16_t S16(const std::string& d, size_t at) { return static_cast<int16_t>(U16(d, at)); }
uint32_t U32(const std::string& d, size_t at) {
  return U16(d, at) | uint32_t{U16(d, at + 2)} << 16;
}

// A placeable header carries the picture's extent in its own units per inch; the screen's logical
// inch turns that into pixels, and .01 mm units tell the converter the same physical size.
Metafile FromPlaceable(const std::string& d) {
  if (d.size() < kPlaceableHeaderSize + kWmfHeaderSize) Invalid();
  int unitsX = std::abs(S16(d, 10) - S16(d, 6));
  int unitsY = std::abs(S16(d, 12) - S16(d, 8));
  int inch = U16(d, 14);
  if (unitsX == 0 || unitsY == 0 || inch == 0) Invalid();

  const size_t at = kPlaceableHeaderSize;
  uint16_t type = U16(d, at), headerWords = U16(d, at + 2);
  size_t bytes = size_t{U32(d, at + 6)} * 2;
  if ((type != 1 && type != 2) || headerWords != kWmfHeaderSize / 2 || bytes < kWmfHeaderSize ||
      bytes > d.size() - at)
    Invalid();

  WindowDC screen(nullptr);
  int width = MulDiv(unitsX, GetDeviceCaps(screen.get(), LOGPIXELSX), inch);
  int height = MulDiv(unitsY, GetDeviceCaps(screen.get(), LOGPIXELSY), inch);
  if (!UsableSize(width, height)) Invalid();

  METAFILEPICT pict{};
  pict.mm = MM_ANISOTROPIC;
  pict.xExt = MulDiv(unitsX, 2540, inch);
  pict.yExt = MulDiv(unitsY, 2540, inch);
  HENHMETAFILE emf = SetWinMetaFileBits(
      static_cast<UINT>(bytes), reinterpret_cast<const BYTE*>(d.data() + at), screen.get(), &pict);
  if (!emf) Invalid();
  return Metafile(emf, width, height);
}

bool IsEnhanced(const std::string& d) {
  return d.size() >= kEmfHeaderMinSize && U32(d, 0) == EMR_HEADER && U32(d, 40) == kEmfSignature;
}

Metafile FromEnhanced(const std::string& d) {
  uint32_t headerSize = U32(d, 4), bytes = U32(d, 48);
  if (headerSize < kEmfHeaderMinSize || bytes < headerSize || bytes > d.size()) Invalid();
  HENHMETAFILE emf = SetEnhMetaFileBits(bytes, reinterpret_cast<const BYTE*>(d.data()));
  if (!emf) Invalid();
  return Metafile::FromHandle(emf);
}

}  // namespace

Metafile::~Metafile() {
  if (emf_) DeleteEnhMetaFile(emf_);
}

Metafile::Metafile(Metafile&& o) noexcept
    : emf_(std::exchange(o.emf_, nullptr)), width_(o.width_), height_(o.height_) {}

Metafile& Metafile::operator=(Metafile&& o) noexcept {
  if (this != &o) {
    if (emf_) DeleteEnhMetaFile(emf_);
    emf_ = std::exchange(o.emf_, nullptr);
    width_ = o.width_;
    height_ = o.height_;
  }
  return *this;
}

// rclFrame is recorded in .01 mm through the reference screen's HORZSIZE/HORZRES (that is how GDI
// fills it in and how its documentation tells callers to), so the same ratio gives back the
// recorded pixels; rclBounds would lose any margin the picture leaves unpainted.
Metafile Metafile::FromHandle(HENHMETAFILE h) {
  Metafile owner(h);  // deletes the handle if the header turns out unusable
  ENHMETAHEADER header{};
  if (!h || GetEnhMetaFileHeader(h, sizeof header, &header) < kEmfHeaderMinSize) Invalid();
  WindowDC screen(nullptr);
  int pixelsX = GetDeviceCaps(screen.get(), HORZRES), mmX = GetDeviceCaps(screen.get(), HORZSIZE);
  int pixelsY = GetDeviceCaps(screen.get(), VERTRES), mmY = GetDeviceCaps(screen.get(), VERTSIZE);
  if (mmX <= 0 || mmY <= 0) {
    // No physical size known: fall back to the logical inch.
    pixelsX = GetDeviceCaps(screen.get(), LOGPIXELSX) * 10;
    pixelsY = GetDeviceCaps(screen.get(), LOGPIXELSY) * 10;
    mmX = mmY = 254;
  }
  long long frameX = static_cast<long long>(header.rclFrame.right) - header.rclFrame.left;
  long long frameY = static_cast<long long>(header.rclFrame.bottom) - header.rclFrame.top;
  if (frameX <= 0 || frameY <= 0 || frameX > INT32_MAX || frameY > INT32_MAX) Invalid();
  return Metafile(owner.Release(), MulDiv(static_cast<int>(frameX), pixelsX, mmX * 100),
                  MulDiv(static_cast<int>(frameY), pixelsY, mmY * 100));
}

HENHMETAFILE Metafile::Release() { return std::exchange(emf_, nullptr); }

Metafile::Metafile(HENHMETAFILE h, int width, int height) : width_(width), height_(height) {
  if (!UsableSize(width, height)) {
    if (h) DeleteEnhMetaFile(h);
    Invalid();
  }
  emf_ = h;
}

// A new picture replaces the current one only once it has been read completely.
void Metafile::LoadFromFile(const std::string& path) {
  std::string data = ReadWholeFile(path);
  if (data.size() >= 4 && U32(data, 0) == kPlaceableKey)
    *this = FromPlaceable(data);
  else if (IsEnhanced(data))
    *this = FromEnhanced(data);
  else
    Invalid();
}

void Metafile::Play(HDC dc, const RECT& target) const {
  if (emf_) PlayEnhMetaFile(dc, emf_, &target);
}

}  // namespace qtk
