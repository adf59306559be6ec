#include "toolkit/metafile.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "toolkit/bitmap.h"
#include "toolkit/error.h"
#include "toolkit/fault_guard.h"
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

// A placeable header carries the picture's extent in its own units per inch; the screen's logical
// inch turns that into pixels, and .01 mm units tell the converter the same physical size.
Metafile FromPlaceable(const std::string& d) {
  const auto header =
      wmf::ReadPlaceable({reinterpret_cast<const uint8_t*>(d.data()), d.size()});
  if (!header) Invalid();
  WindowDC screen(nullptr);
  const auto size = wmf::PlaceablePixels(*header, GetDeviceCaps(screen.get(), LOGPIXELSX),
                                         GetDeviceCaps(screen.get(), LOGPIXELSY));
  if (!size) Invalid();

  METAFILEPICT pict{};
  pict.mm = MM_ANISOTROPIC;
  pict.xExt = MulDiv(header->unitsX, 2540, header->unitsPerInch);
  pict.yExt = MulDiv(header->unitsY, 2540, header->unitsPerInch);
  HENHMETAFILE emf = Metafile::ConvertWindowsMetafile(
      reinterpret_cast<const BYTE*>(d.data() + header->offset), static_cast<UINT>(header->bytes),
      screen.get(), pict);
  if (!emf) Invalid();
  return Metafile(emf, size->width, size->height);
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
  if (!wmf::UsablePictureSize(width, height)) {
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

void (*Metafile::onRecordPlayed)() = nullptr;

namespace {

struct Conversion {
  const BYTE* bits;
  UINT size;
  HDC reference;
  const METAFILEPICT* pict;
  HENHMETAFILE result;
};

void ConvertGuarded(void* context) {
  auto* c = static_cast<Conversion*>(context);
  c->result = SetWinMetaFileBits(c->size, c->bits, c->reference, c->pict);
}

struct Playback {
  HDC dc;
  HENHMETAFILE emf;
  RECT target;
};

// What PlayEnhMetaFile does, record by record, so that tests can reach inside the system's player.
int CALLBACK PlayOneRecord(HDC dc, HANDLETABLE* handles, const ENHMETARECORD* record, int count,
                           LPARAM) {
  if (Metafile::onRecordPlayed) Metafile::onRecordPlayed();
  PlayEnhMetaFileRecord(dc, handles, record, static_cast<UINT>(count));
  return 1;
}

void PlayGuarded(void* context) {
  auto* playback = static_cast<Playback*>(context);
  EnumEnhMetaFile(playback->dc, playback->emf, PlayOneRecord, nullptr, &playback->target);
}

}  // namespace

// A fault inside may leave a half-made metafile behind: a handle that is lost, not one to use.
HENHMETAFILE Metafile::ConvertWindowsMetafile(const BYTE* bits, UINT size, HDC reference,
                                              const METAFILEPICT& pict) {
  Conversion conversion{bits, size, reference, &pict, nullptr};
  if (CallCatchingFaults(ConvertGuarded, &conversion) != 0) return nullptr;
  return conversion.result;
}

// The system's player trusts the records it is given; content that makes it fault ends as this
// reader's error instead of ending the program, or vanishing where the window procedure was called.
void Metafile::Play(HDC dc, const RECT& target) const {
  if (!emf_) return;
  Playback playback{dc, emf_, target};
  if (CallCatchingFaults(PlayGuarded, &playback) != 0) Invalid();
}

}  // namespace qtk
