#include "toolkit/logic/bmp_codec.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace qtk::bmp {
namespace {

constexpr const char* kInvalidMessage = "ビットマップ イメージは有効ではありません";
constexpr const char* kTooBigMessage = "ビットマップが大きすぎます";

// Twice the 16-bit GDI coordinate range covers every real screen capture.
constexpr int64_t kMaxDimension = 32767 * 2;
// 2^28 pixels is 768 MiB of BGR: beyond that the allocation itself is the failure.
constexpr int64_t kMaxPixels = int64_t{1} << 28;
// RLE can skip whole rows with two bytes, so a small file could claim a vast image; real files stay
// far below this.
constexpr int64_t kMaxRlePixelsPerFileByte = 4096;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;

[[noreturn]] void ThrowInvalid() { throw ImageError(kInvalidMessage); }
[[noreturn]] void ThrowTooBig() { throw ImageError(kTooBigMessage); }

uint16_t U16(std::span<const uint8_t> d, size_t at) {
  return static_cast<uint16_t>(d[at] | d[at + 1] << 8);
}

uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return static_cast<uint32_t>(d[at]) | static_cast<uint32_t>(d[at + 1]) << 8 |
         static_cast<uint32_t>(d[at + 2]) << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// Widens an n-bit channel value to 8 bits by repeating its bits, so full scale maps to 255.
uint8_t Expand(uint32_t v, int n) {
  if (n == 0) return 0;
  uint32_t out = 0;
  for (int pos = 8; pos > 0;) {
    pos -= n;
    out |= pos >= 0 ? v << pos : v >> -pos;
  }
  return static_cast<uint8_t>(out);
}

// One colour channel of a 16- or 32-bit pixel: mask, position and a lookup to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int drop = 0;  // low bits discarded when the channel is wider than 8 bits
  std::array<uint8_t, 256> table{};

  // `m` is non-zero bits in one contiguous run, or zero for a channel that is always dark.
  void Init(uint32_t m) {
    mask = m;
    if (m == 0) return;
    shift = std::countr_zero(m);
    const uint32_t v = m >> shift;
    const int bits = std::popcount(v);
    drop = std::max(0, bits - 8);
    const int kept = bits - drop;
    for (uint32_t i = 0; i < (1u << kept); ++i) table[i] = Expand(i, kept);
  }

  uint8_t operator()(uint32_t px) const {
    return mask == 0 ? 0 : table[((px & mask) >> shift) >> drop];
  }
};

// Everything the header says, checked, with the palette already converted to BGR.
struct Layout {
  int32_t width = 0;
  int32_t height = 0;
  bool bottomUp = true;
  int bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t masks[3] = {0, 0, 0};           // red, green, blue
  std::array<uint8_t, 256 * 3> palette{};  // entries the file lacks stay black
  std::span<const uint8_t> pixels;
};

bool IsKnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

Layout ParseHeaders(std::span<const uint8_t> file) {
  if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') ThrowInvalid();
  const uint32_t offBits = U32(file, 10);
  const uint32_t headerSize = U32(file, 14);
  if (!IsKnownHeaderSize(headerSize) || file.size() < kFileHeaderSize + headerSize) ThrowInvalid();

  Layout l;
  const bool core = headerSize == kCoreHeaderSize;
  int64_t width = 0;
  int64_t height = 0;
  uint32_t planes = 0;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;
  if (core) {
    width = U16(file, 18);
    height = U16(file, 20);
    planes = U16(file, 22);
    l.bpp = U16(file, 24);
    if (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 24) ThrowInvalid();
  } else {
    width = static_cast<int32_t>(U32(file, 18));
    height = static_cast<int32_t>(U32(file, 22));
    planes = U16(file, 26);
    l.bpp = U16(file, 28);
    l.compression = U32(file, 30);
    sizeImage = U32(file, 34);
    clrUsed = U32(file, 46);
    if (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 16 && l.bpp != 24 && l.bpp != 32)
      ThrowInvalid();
  }
  if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) ThrowInvalid();
  l.bottomUp = height > 0;
  height = std::abs(height);

  const bool rle = l.compression == kBiRle8 || l.compression == kBiRle4;
  switch (l.compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4:
      // RLE is defined only for its own depth, and only bottom-up.
      if (l.bpp != (l.compression == kBiRle8 ? 8 : 4) || !l.bottomUp) ThrowInvalid();
      break;
    case kBiBitfields:
      if (l.bpp != 16 && l.bpp != 32) ThrowInvalid();
      break;
    default:
      ThrowInvalid();
  }

  if (width > kMaxDimension || height > kMaxDimension || width * height > kMaxPixels) ThrowTooBig();
  if (rle && width * height > kMaxRlePixelsPerFileByte * static_cast<int64_t>(file.size()))
    ThrowTooBig();
  l.width = static_cast<int32_t>(width);
  l.height = static_cast<int32_t>(height);

  // The colour table (or the 40-byte header's three masks) follows the header.
  size_t tableStart = kFileHeaderSize + headerSize;
  if (l.compression == kBiBitfields) {
    const size_t maskAt = kFileHeaderSize + kInfoHeaderSize;
    if (headerSize == kInfoHeaderSize) tableStart += 12;
    if (file.size() < maskAt + 12) ThrowInvalid();
    for (int i = 0; i < 3; ++i) l.masks[i] = U32(file, maskAt + 4 * i);
    if (l.bpp == 16) {
      for (uint32_t& m : l.masks) m &= 0xFFFF;
    }
  } else if (l.bpp == 16) {
    l.masks[0] = 0x7C00;
    l.masks[1] = 0x03E0;
    l.masks[2] = 0x001F;
  } else if (l.bpp == 32) {
    l.masks[0] = 0xFF0000;
    l.masks[1] = 0x00FF00;
    l.masks[2] = 0x0000FF;
  }

  for (const uint32_t m : l.masks) {
    // A channel's bits must be contiguous; anything else is not a valid bitmap.
    const uint32_t v = m == 0 ? 0 : m >> std::countr_zero(m);
    if ((v & (v + 1)) != 0) ThrowInvalid();
  }

  if (l.bpp <= 8) {
    const size_t entrySize = core ? 3 : 4;
    const size_t full = size_t{1} << l.bpp;
    size_t count = clrUsed == 0 ? full : std::min<size_t>(clrUsed, full);
    // Core files carry no count; some writers store a short table, which the pixel offset reveals.
    if (core && offBits >= tableStart) count = std::min(count, (offBits - tableStart) / entrySize);
    if (tableStart + count * entrySize > file.size()) ThrowInvalid();
    for (size_t i = 0; i < count; ++i)
      std::memcpy(&l.palette[i * 3], &file[tableStart + i * entrySize], 3);
  }

  if (offBits < tableStart || offBits > file.size()) ThrowInvalid();
  l.pixels = file.subspan(offBits);
  if (rle) {
    // A non-zero biSizeImage bounds the compressed stream; when it overstates, the file's end does.
    if (sizeImage != 0 && sizeImage < l.pixels.size()) l.pixels = l.pixels.first(sizeImage);
  } else {
    const uint64_t rowBits = static_cast<uint64_t>(width) * l.bpp;
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    // The last row's padding is not needed to draw it.
    const uint64_t need = stride * static_cast<uint64_t>(height - 1) + (rowBits + 7) / 8;
    if (need > l.pixels.size()) ThrowInvalid();
  }
  return l;
}

PixelBuffer Allocate(const Layout& l, const PixelAllocator& alloc) {
  PixelBuffer out = alloc(l.width, l.height);
  if (out.bits == nullptr || out.width != l.width || out.height != l.height ||
      out.stride < static_cast<size_t>(l.width) * 3) {
    throw std::logic_error("PixelAllocator returned a buffer of the wrong size");
  }
  return out;
}

void PutIndex(uint8_t* dst, const Layout& l, uint32_t index) {
  std::memcpy(dst, &l.palette[index * 3], 3);
}

void DecodeRow(const uint8_t* src, uint8_t* dst, const Layout& l, const Channel* channels) {
  const int32_t w = l.width;
  switch (l.bpp) {
    case 1:
      for (int32_t x = 0; x < w; ++x) PutIndex(dst + x * 3, l, (src[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      for (int32_t x = 0; x < w; ++x)
        PutIndex(dst + x * 3, l, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
      break;
    case 8:
      for (int32_t x = 0; x < w; ++x) PutIndex(dst + x * 3, l, src[x]);
      break;
    case 24:
      std::memcpy(dst, src, static_cast<size_t>(w) * 3);
      break;
    case 16:
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t px = static_cast<uint32_t>(src[x * 2] | src[x * 2 + 1] << 8);
        dst[x * 3 + 0] = channels[2](px);
        dst[x * 3 + 1] = channels[1](px);
        dst[x * 3 + 2] = channels[0](px);
      }
      break;
    case 32:
      if (l.masks[0] == 0xFF0000 && l.masks[1] == 0xFF00 && l.masks[2] == 0xFF) {
        // Plain BGRX: drop the fourth byte.
        for (int32_t x = 0; x < w; ++x) std::memcpy(dst + x * 3, src + x * 4, 3);
        break;
      }
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t px = static_cast<uint32_t>(src[x * 4]) |
                            static_cast<uint32_t>(src[x * 4 + 1]) << 8 |
                            static_cast<uint32_t>(src[x * 4 + 2]) << 16 |
                            static_cast<uint32_t>(src[x * 4 + 3]) << 24;
        dst[x * 3 + 0] = channels[2](px);
        dst[x * 3 + 1] = channels[1](px);
        dst[x * 3 + 2] = channels[0](px);
      }
      break;
    default:
      break;
  }
}

void DecodeUncompressed(const Layout& l, const PixelBuffer& out) {
  Channel channels[3];
  for (int i = 0; i < 3; ++i) channels[i].Init(l.masks[i]);
  const size_t srcStride = (static_cast<size_t>(l.width) * l.bpp + 31) / 32 * 4;
  for (int32_t r = 0; r < l.height; ++r) {
    const int32_t y = l.bottomUp ? l.height - 1 - r : r;
    DecodeRow(l.pixels.data() + r * srcStride, out.bits + static_cast<size_t>(y) * out.stride, l,
              channels);
  }
}

// Runs the RLE8/RLE4 commands; pixels the stream never reaches stay black (as on a fresh DIB
// section).
void DecodeRle(const Layout& l, const PixelBuffer& out) {
  const bool rle4 = l.compression == kBiRle4;
  for (int32_t y = 0; y < l.height; ++y)
    std::memset(out.bits + y * out.stride, 0, static_cast<size_t>(l.width) * 3);

  const std::span<const uint8_t> d = l.pixels;
  size_t pos = 0;
  int64_t x = 0;
  int64_t y = 0;  // counted from the bottom row
  uint8_t* row = nullptr;
  auto selectRow = [&] {
    row = y < l.height ? out.bits + static_cast<size_t>(l.height - 1 - y) * out.stride : nullptr;
  };
  // Pixels beyond the right edge are dropped rather than wrapped onto the next row.
  auto put = [&](uint32_t index) {
    if (x < l.width) PutIndex(row + x * 3, l, index);
    ++x;
  };
  selectRow();
  while (row != nullptr) {
    if (pos == d.size()) return;  // a stream without an end marker: keep what was drawn
    if (pos + 2 > d.size()) ThrowInvalid();
    const uint8_t n = d[pos];
    const uint8_t c = d[pos + 1];
    pos += 2;
    if (n > 0) {
      const uint32_t hi = rle4 ? c >> 4 : c;
      const uint32_t lo = rle4 ? c & 0xF : c;
      for (int i = 0; i < n; ++i) put((i & 1) ? lo : hi);
      continue;
    }
    if (c == 0) {  // end of line
      x = 0;
      ++y;
      selectRow();
    } else if (c == 1) {  // end of bitmap
      return;
    } else if (c == 2) {  // delta: move right and up
      if (pos + 2 > d.size()) ThrowInvalid();
      x += d[pos];
      y += d[pos + 1];
      pos += 2;
      selectRow();
    } else {  // absolute run of c pixels, padded to a 16-bit boundary
      const size_t bytes = rle4 ? (c + 1u) / 2 : c;
      if (pos + bytes > d.size()) ThrowInvalid();
      for (uint32_t i = 0; i < c; ++i) {
        const uint8_t b = d[pos + (rle4 ? i / 2 : i)];
        put(rle4 ? ((i & 1) ? b & 0xF : b >> 4) : b);
      }
      pos = std::min(d.size(), pos + bytes + (bytes & 1));
    }
  }
}

}  // namespace

void Decode(std::span<const uint8_t> file, const PixelAllocator& alloc) {
  const Layout layout = ParseHeaders(file);
  const PixelBuffer out = Allocate(layout, alloc);
  if (layout.compression == kBiRle8 || layout.compression == kBiRle4) {
    DecodeRle(layout, out);
  } else {
    DecodeUncompressed(layout, out);
  }
}

size_t Stride24(int32_t width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

std::array<uint8_t, 54> Header24(int32_t width, int32_t height) {
  std::array<uint8_t, 54> h{};
  const auto imageSize = static_cast<uint32_t>(Stride24(width) * static_cast<size_t>(height));
  h[0] = 'B';
  h[1] = 'M';
  Put32(&h[2], 54 + imageSize);
  Put32(&h[10], 54);
  Put32(&h[14], 40);
  Put32(&h[18], static_cast<uint32_t>(width));
  Put32(&h[22], static_cast<uint32_t>(height));
  Put16(&h[26], 1);
  Put16(&h[28], 24);
  Put32(&h[30], kBiRgb);
  Put32(&h[34], imageSize);
  // Resolution, colours used and important colours stay 0.
  return h;
}

}  // namespace qtk::bmp
