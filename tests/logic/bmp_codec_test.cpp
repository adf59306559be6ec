#include "toolkit/logic/bmp_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

using qtk::ImageError;
using Bytes = std::vector<uint8_t>;

const std::string kInvalid = "ビットマップ イメージは有効ではありません";
const std::string kTooBig = "ビットマップが大きすぎます";

struct Bgr {
  uint8_t b, g, r;
  bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
  return os << "(b=" << int(c.b) << " g=" << int(c.g) << " r=" << int(c.r) << ")";
}

// A decoded image; the buffer starts filled with 0xCD so pixels the decoder forgets to write stand
// out.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
  Bytes bits;
  int allocations = 0;

  Bgr At(int x, int y) const {
    const uint8_t* p = &bits[y * stride + x * 3];
    return {p[0], p[1], p[2]};
  }
};

Image Decode(const Bytes& file) {
  Image img;
  qtk::bmp::Decode(file, [&](int32_t w, int32_t h) {
    ++img.allocations;
    img.width = w;
    img.height = h;
    img.stride = qtk::bmp::Stride24(w);
    img.bits.assign(img.stride * h, 0xCD);
    return qtk::PixelBuffer{w, h, img.stride, img.bits.data()};
  });
  return img;
}

void Le16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BITMAPINFOHEADER of `size` bytes (40, 52, 56, 108 or 124); masks go at offset 40 when the
// header has room.
Bytes InfoHeader(int32_t w, int32_t h, uint16_t bpp, uint32_t compression = 0, uint32_t clrUsed = 0,
                 uint32_t size = 40, std::initializer_list<uint32_t> masks = {}) {
  Bytes b;
  Le32(b, size);
  Le32(b, static_cast<uint32_t>(w));
  Le32(b, static_cast<uint32_t>(h));
  Le16(b, 1);
  Le16(b, bpp);
  Le32(b, compression);
  Le32(b, 0);  // biSizeImage
  Le32(b, 2835);
  Le32(b, 2835);
  Le32(b, clrUsed);
  Le32(b, 0);
  for (uint32_t m : masks) {
    if (b.size() < size) Le32(b, m);
  }
  b.resize(size, 0);
  return b;
}

Bytes CoreHeader(uint16_t w, uint16_t h, uint16_t bpp) {
  Bytes b;
  Le32(b, 12);
  Le16(b, w);
  Le16(b, h);
  Le16(b, 1);
  Le16(b, bpp);
  return b;
}

// File header + header + colour table (or masks) + `gap` filler bytes + pixels; bfOffBits points at
// the pixels.
Bytes File(const Bytes& header, const Bytes& table, const Bytes& pixels, size_t gap = 0) {
  Bytes f = {'B', 'M'};
  const uint32_t off = static_cast<uint32_t>(14 + header.size() + table.size() + gap);
  Le32(f, off + static_cast<uint32_t>(pixels.size()));
  Le32(f, 0);
  Le32(f, off);
  f.insert(f.end(), header.begin(), header.end());
  f.insert(f.end(), table.begin(), table.end());
  f.insert(f.end(), gap, 0xEE);
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

// Rows as given, each padded to a multiple of four bytes.
Bytes Rows(std::initializer_list<Bytes> rows) {
  Bytes out;
  for (const Bytes& r : rows) {
    out.insert(out.end(), r.begin(), r.end());
    out.resize((out.size() + 3) & ~size_t{3}, 0);
  }
  return out;
}

Bytes Palette(std::initializer_list<Bgr> colours, bool quads = true) {
  Bytes b;
  for (const Bgr& c : colours) {
    b.insert(b.end(), {c.b, c.g, c.r});
    if (quads) b.push_back(0);
  }
  return b;
}

Bytes Masks(uint32_t r, uint32_t g, uint32_t b) {
  Bytes m;
  Le32(m, r);
  Le32(m, g);
  Le32(m, b);
  return m;
}

const Bgr kBlack{0, 0, 0};
const Bgr kRed{0, 0, 255};
const Bgr kGreen{0, 255, 0};
const Bgr kBlue{255, 0, 0};
const Bgr kWhite{255, 255, 255};

// A small valid 8-bit bottom-up file reused by the damage tests.
Bytes Valid8Bit() {
  return File(InfoHeader(2, 2, 8, 0, 2), Palette({kRed, kBlue}), Rows({{0, 1}, {1, 0}}));
}

void ExpectError(const Bytes& file, const std::string& message) {
  int allocations = 0;
  try {
    qtk::bmp::Decode(file, [&](int32_t w, int32_t h) -> qtk::PixelBuffer {
      ++allocations;
      throw std::logic_error("allocator must not be reached");
    });
    ADD_FAILURE() << "no error thrown";
  } catch (const ImageError& e) {
    EXPECT_EQ(message, e.what());
  }
  EXPECT_EQ(0, allocations);
}

// ---------------------------------------------------------------------------------------------
// Uncompressed forms

TEST(BmpDecode, Decode_24BitBottomUp_Should_FlipRowsToTopDown) {
  const Bytes file =
      File(InfoHeader(3, 2, 24), {},
           Rows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}));

  const Image img = Decode(file);

  ASSERT_EQ(1, img.allocations);
  ASSERT_EQ(3, img.width);
  ASSERT_EQ(2, img.height);
  EXPECT_EQ((Bgr{10, 11, 12}), img.At(0, 0));
  EXPECT_EQ((Bgr{16, 17, 18}), img.At(2, 0));
  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 1));
  EXPECT_EQ((Bgr{7, 8, 9}), img.At(2, 1));
}

TEST(BmpDecode, Decode_24BitTopDown_Should_KeepRowOrder) {
  const Bytes file = File(InfoHeader(1, -2, 24), {}, Rows({{1, 2, 3}, {4, 5, 6}}));

  const Image img = Decode(file);

  ASSERT_EQ(2, img.height);
  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 0));
  EXPECT_EQ((Bgr{4, 5, 6}), img.At(0, 1));
}

TEST(BmpDecode, Decode_32BitRgb_Should_IgnoreFourthByte) {
  const Bytes file = File(InfoHeader(2, 1, 32), {}, Rows({{1, 2, 3, 0xFF, 4, 5, 6, 0x80}}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 0));
  EXPECT_EQ((Bgr{4, 5, 6}), img.At(1, 0));
}

TEST(BmpDecode, Decode_32BitBitfieldsTenBitChannels_Should_KeepHighEightBits) {
  // R = 0x3FF, G = 0x200, B = 0x155 in a 10-10-10 layout.
  const uint32_t px = 0x3FFu << 20 | 0x200u << 10 | 0x155u;
  Bytes pixels;
  Le32(pixels, px);
  const Bytes file =
      File(InfoHeader(1, 1, 32, 3), Masks(0x3FF00000, 0x000FFC00, 0x000003FF), pixels);

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{0x55, 0x80, 0xFF}), img.At(0, 0));
}

TEST(BmpDecode, Decode_32BitBitfieldsReversedBytes_Should_FollowMasks) {
  const Bytes file =
      File(InfoHeader(1, 1, 32, 3), Masks(0x000000FF, 0x0000FF00, 0x00FF0000), {10, 20, 30, 40});

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{30, 20, 10}), img.At(0, 0));
}

TEST(BmpDecode, Decode_16BitRgb_Should_Read555AndReplicateHighBits) {
  // Pixel 0: r=31 g=16 b=1; pixel 1: r=0 g=0 b=31.
  Bytes row;
  Le16(row, 31u << 10 | 16u << 5 | 1u);
  Le16(row, 31u);
  const Bytes file = File(InfoHeader(2, 1, 16), {}, Rows({row}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{8, 132, 255}), img.At(0, 0));
  EXPECT_EQ((Bgr{255, 0, 0}), img.At(1, 0));
}

TEST(BmpDecode, Decode_16BitBitfields565_Should_ExpandSixBitGreen) {
  // r=16 g=1 b=31, then r=0 g=32 b=0, then g=63.
  Bytes row;
  Le16(row, 16u << 11 | 1u << 5 | 31u);
  Le16(row, 32u << 5);
  Le16(row, 63u << 5);
  const Bytes file = File(InfoHeader(3, 1, 16, 3), Masks(0xF800, 0x07E0, 0x001F), Rows({row}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{255, 4, 132}), img.At(0, 0));
  EXPECT_EQ((Bgr{0, 130, 0}), img.At(1, 0));
  EXPECT_EQ((Bgr{0, 255, 0}), img.At(2, 0));
}

TEST(BmpDecode, Decode_16BitBitfields444_Should_ReplicateFourBitChannels) {
  Bytes row;
  Le16(row, 0x8F1);  // r=8 g=15 b=1
  const Bytes file = File(InfoHeader(1, 1, 16, 3), Masks(0x0F00, 0x00F0, 0x000F), Rows({row}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{0x11, 0xFF, 0x88}), img.At(0, 0));
}

TEST(BmpDecode, Decode_MasksInsideLongerHeaders_Should_UseThem) {
  Bytes row;
  Le16(row, 31u << 11);  // full red in 5-6-5
  for (uint32_t size : {52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(size);
    const Bytes file =
        File(InfoHeader(1, 1, 16, 3, 0, size, {0xF800, 0x07E0, 0x001F}), {}, Rows({row}));

    const Image img = Decode(file);

    EXPECT_EQ(kRed, img.At(0, 0));
  }
}

TEST(BmpDecode, Decode_V5HeaderRgb_Should_IgnoreMaskFields) {
  const Bytes file = File(InfoHeader(1, 1, 32, 0, 0, 124, {0xFF, 0xFF, 0xFF}), {}, {1, 2, 3, 4});

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 0));
}

TEST(BmpDecode, Decode_8BitFullPalette_Should_MapEveryIndex) {
  Bytes table;
  for (int i = 0; i < 256; ++i)
    table.insert(table.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
  const Bytes file = File(InfoHeader(3, 1, 8), table, Rows({{0, 200, 255}}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{0, 255, 0}), img.At(0, 0));
  EXPECT_EQ((Bgr{200, 55, 100}), img.At(1, 0));
  EXPECT_EQ((Bgr{255, 0, 127}), img.At(2, 0));
}

TEST(BmpDecode, Decode_IndexBeyondShortPalette_Should_BeBlack) {
  const Bytes file = File(InfoHeader(3, 1, 8, 0, 2), Palette({kRed, kWhite}), Rows({{1, 2, 255}}));

  const Image img = Decode(file);

  EXPECT_EQ(kWhite, img.At(0, 0));
  EXPECT_EQ(kBlack, img.At(1, 0));
  EXPECT_EQ(kBlack, img.At(2, 0));
}

TEST(BmpDecode, Decode_4BitOddWidth_Should_ReadHighNibbleFirst) {
  const Bytes file =
      File(InfoHeader(3, 1, 4, 0, 4), Palette({kBlack, kRed, kGreen, kBlue}), Rows({{0x12, 0x30}}));

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(0, 0));
  EXPECT_EQ(kGreen, img.At(1, 0));
  EXPECT_EQ(kBlue, img.At(2, 0));
}

TEST(BmpDecode, Decode_1BitAcrossBytes_Should_ReadMostSignificantBitFirst) {
  const Bytes file =
      File(InfoHeader(10, 1, 1), Palette({kBlack, kWhite}), Rows({{0b10100000, 0b01000000}}));

  const Image img = Decode(file);

  const Bgr expected[10] = {kWhite, kBlack, kWhite, kBlack, kBlack,
                            kBlack, kBlack, kBlack, kBlack, kWhite};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(expected[x], img.At(x, 0)) << "x=" << x;
}

TEST(BmpDecode, Decode_CoreHeader8Bit_Should_ReadTriplePalette) {
  Bytes table = Palette({kGreen, kBlue}, false);
  table.resize(256 * 3, 0);
  const Bytes file = File(CoreHeader(2, 2, 8), table, Rows({{0, 1}, {1, 1}}));

  const Image img = Decode(file);

  EXPECT_EQ(kBlue, img.At(0, 0));
  EXPECT_EQ(kGreen, img.At(0, 1));
  EXPECT_EQ(kBlue, img.At(1, 1));
}

TEST(BmpDecode, Decode_CoreHeaderShortPalette_Should_StopAtPixelOffset) {
  const Bytes file = File(CoreHeader(2, 1, 8), Palette({kRed, kGreen}, false), Rows({{1, 0}}));

  const Image img = Decode(file);

  EXPECT_EQ(kGreen, img.At(0, 0));
  EXPECT_EQ(kRed, img.At(1, 0));
}

TEST(BmpDecode, Decode_CoreHeader24Bit_Should_CopyPixels) {
  const Bytes file = File(CoreHeader(1, 1, 24), {}, Rows({{7, 8, 9}}));

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{7, 8, 9}), img.At(0, 0));
}

TEST(BmpDecode, Decode_PixelOffsetAfterGap_Should_ReadFromOffset) {
  const Bytes file = File(InfoHeader(1, 1, 24), {}, Rows({{1, 2, 3}}), 10);

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 0));
}

TEST(BmpDecode, Decode_LastRowWithoutPadding_Should_Decode) {
  Bytes file = File(InfoHeader(1, 2, 24), {}, Rows({{1, 2, 3}, {4, 5, 6}}));
  file.pop_back();  // the final row's padding byte

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{4, 5, 6}), img.At(0, 0));
  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 1));
}

// ---------------------------------------------------------------------------------------------
// Run-length forms

TEST(BmpRle, Decode_Rle8AllCommands_Should_DrawRunsAndLeaveRestBlack) {
  // 4x3, bottom row first: run of 2 red, absolute [2,1,2] (odd: one pad byte), EOL;
  // delta (1,1) to x=1 of the top row (skipping the middle row), run of 1 blue, EOB.
  const Bytes rle = {2, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1};
  const Bytes file = File(InfoHeader(4, 3, 8, 1, 4), Palette({kBlack, kRed, kGreen, kBlue}), rle);

  const Image img = Decode(file);

  const Bgr bottom[4] = {kRed, kRed, kGreen, kRed};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(bottom[x], img.At(x, 2)) << "x=" << x;
  for (int x = 0; x < 4; ++x) EXPECT_EQ(kBlack, img.At(x, 1)) << "x=" << x;
  EXPECT_EQ(kBlack, img.At(0, 0));
  EXPECT_EQ(kBlue, img.At(1, 0));
  EXPECT_EQ(kBlack, img.At(2, 0));
  EXPECT_EQ(kBlack, img.At(3, 0));
}

TEST(BmpRle, Decode_Rle4_Should_AlternateNibblesAndPadAbsoluteRuns) {
  // Bottom row: run of 3 alternating 1,2; EOL; top row: absolute 3 pixels [3,1,2] in two bytes
  // (already even), EOL.
  const Bytes rle = {3, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 0, 1};
  const Bytes file = File(InfoHeader(3, 2, 4, 2, 4), Palette({kBlack, kRed, kGreen, kBlue}), rle);

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(0, 1));
  EXPECT_EQ(kGreen, img.At(1, 1));
  EXPECT_EQ(kRed, img.At(2, 1));
  EXPECT_EQ(kBlue, img.At(0, 0));
  EXPECT_EQ(kRed, img.At(1, 0));
  EXPECT_EQ(kGreen, img.At(2, 0));
}

TEST(BmpRle, Decode_RunPastRowEnd_Should_ClipInsteadOfWrapping) {
  const Bytes rle = {200, 1, 0, 0, 0, 1};
  const Bytes file = File(InfoHeader(2, 2, 8, 1, 2), Palette({kBlack, kRed}), rle);

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(0, 1));
  EXPECT_EQ(kRed, img.At(1, 1));
  EXPECT_EQ(kBlack, img.At(0, 0));
  EXPECT_EQ(kBlack, img.At(1, 0));
}

TEST(BmpRle, Decode_DeltaPastTop_Should_StopAndKeepDrawnPixels) {
  const Bytes rle = {1, 1, 0, 2, 0, 200, 5, 1};
  const Bytes file = File(InfoHeader(2, 2, 8, 1, 2), Palette({kBlack, kRed}), rle);

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(0, 1));
  EXPECT_EQ(kBlack, img.At(1, 1));
  EXPECT_EQ(kBlack, img.At(0, 0));
}

TEST(BmpRle, Decode_StreamWithoutEndMarker_Should_KeepDrawnPixels) {
  const Bytes rle = {2, 1};
  const Bytes file = File(InfoHeader(2, 2, 8, 1, 2), Palette({kBlack, kRed}), rle);

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(1, 1));
  EXPECT_EQ(kBlack, img.At(1, 0));
}

TEST(BmpRle, Decode_SizeImageShorterThanData_Should_IgnoreTrailingBytes) {
  Bytes header = InfoHeader(2, 1, 8, 1, 3);
  Put32(header, 20, 2);  // biSizeImage: only the first command counts
  const Bytes file = File(header, Palette({kBlack, kRed, kGreen}), {1, 1, 1, 2, 0, 1});

  const Image img = Decode(file);

  EXPECT_EQ(kRed, img.At(0, 0));
  EXPECT_EQ(kBlack, img.At(1, 0));
}

// ---------------------------------------------------------------------------------------------
// Damaged files

TEST(BmpDamaged, Decode_EmptyOrTinyFile_Should_ThrowInvalid) {
  ExpectError({}, kInvalid);
  ExpectError({'B', 'M', 0, 0}, kInvalid);
}

TEST(BmpDamaged, Decode_WrongSignature_Should_ThrowInvalid) {
  Bytes file = Valid8Bit();
  file[1] = 'A';
  ExpectError(file, kInvalid);
}

TEST(BmpDamaged, Decode_BadHeaderFields_Should_ThrowInvalid) {
  struct Case {
    const char* name;
    size_t at;
    uint32_t value;
    int bytes;
  };
  const Case cases[] = {
      {"header size 64", 14, 64, 4},
      {"header size huge", 14, 0xFFFFFFF0, 4},
      {"width 0", 18, 0, 4},
      {"width negative", 18, 0xFFFFFFFF, 4},
      {"height 0", 22, 0, 4},
      {"height INT32_MIN", 22, 0x80000000, 4},
      {"planes 2", 26, 2, 2},
      {"bpp 7", 28, 7, 2},
      {"bpp 0", 28, 0, 2},
      {"compression JPEG", 30, 4, 4},
      {"RLE4 on 8 bits", 30, 2, 4},
      {"bitfields on 8 bits", 30, 3, 4},
      {"offset past end", 10, 5000, 4},
      {"offset inside header", 10, 20, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = Valid8Bit();
    for (int i = 0; i < c.bytes; ++i) file[c.at + i] = static_cast<uint8_t>(c.value >> (8 * i));
    ExpectError(file, kInvalid);
  }
}

TEST(BmpDamaged, Decode_Bitfields24Bit_Should_ThrowInvalid) {
  ExpectError(File(InfoHeader(1, 1, 24, 3), Masks(0xFF0000, 0xFF00, 0xFF), {1, 2, 3, 0}), kInvalid);
}

TEST(BmpDamaged, Decode_RleTopDown_Should_ThrowInvalid) {
  ExpectError(File(InfoHeader(2, -2, 8, 1), Palette({kRed}), {0, 1}), kInvalid);
}

TEST(BmpDamaged, Decode_TruncatedPixels_Should_ThrowInvalid) {
  Bytes file = File(InfoHeader(2, 2, 24), {}, Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
  file.resize(file.size() - 3);  // the last pixel is cut short
  ExpectError(file, kInvalid);
}

TEST(BmpDamaged, Decode_PaletteBeyondFile_Should_ThrowInvalid) {
  Bytes file = Valid8Bit();
  Put32(file, 46, 200);  // biClrUsed claims 200 entries
  ExpectError(file, kInvalid);
}

TEST(BmpDamaged, Decode_MasksBeyondFile_Should_ThrowInvalid) {
  Bytes file = File(InfoHeader(1, 1, 16, 3), {}, {});
  Put32(file, 10, static_cast<uint32_t>(file.size()));
  ExpectError(file, kInvalid);
}

TEST(BmpDamaged, Decode_NonContiguousMask_Should_ThrowInvalid) {
  ExpectError(File(InfoHeader(1, 1, 16, 3), Masks(0xF00F, 0x07E0, 0x0010), {0, 0, 0, 0}), kInvalid);
}

TEST(BmpDamaged, Decode_HugeDimensions_Should_ThrowTooBig) {
  ExpectError(File(InfoHeader(100000, 1, 24), {}, {0, 0, 0, 0}), kTooBig);
  ExpectError(File(InfoHeader(30000, 30000, 1), Palette({kRed, kRed}), {0, 0, 0, 0}), kTooBig);
}

TEST(BmpDamaged, Decode_HugeRleFromTinyFile_Should_ThrowTooBig) {
  ExpectError(File(InfoHeader(8000, 8000, 8, 1, 1), Palette({kRed}), {0, 1}), kTooBig);
}

TEST(BmpDamaged, Decode_RleCutInsideCommand_Should_ThrowInvalid) {
  const Bytes cuts[] = {{0, 5, 1, 1}, {0, 2, 1}, {3}};
  for (const Bytes& rle : cuts) {
    const Bytes file = File(InfoHeader(8, 2, 8, 1, 2), Palette({kBlack, kRed}), rle);
    EXPECT_THROW(Decode(file), ImageError);
  }
}

TEST(BmpDamaged, Decode_MutatedFiles_Should_NeverCrashOrOverAllocate) {
  Bytes rle = File(InfoHeader(6, 4, 8, 1, 3), Palette({kRed, kGreen, kBlue}),
                   {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 2, 1, 4, 2, 0, 1});
  Bytes rle4 = File(InfoHeader(5, 3, 4, 2, 3), Palette({kRed, kGreen, kBlue}),
                    {5, 0x12, 0, 0, 0, 3, 0x21, 0x00, 0, 1});
  Bytes bitfields = File(InfoHeader(3, -2, 16, 3, 0, 56, {0xF800, 0x07E0, 0x001F}), {},
                         Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
  Bytes core = File(CoreHeader(5, 2, 1), Palette({kRed, kBlue}, false), Rows({{0xA8}, {0x50}}));
  const Bytes seeds[] = {Valid8Bit(), rle, rle4, bitfields, core};

  uint32_t state = 12345;
  auto next = [&] { return state = state * 1103515245u + 12345u, state >> 8; };
  int decoded = 0;
  for (int i = 0; i < 4000; ++i) {
    Bytes file = seeds[i % 5];
    const int flips = 1 + next() % 3;
    for (int f = 0; f < flips; ++f) {
      // Half the damage lands in the headers, where it matters most.
      const size_t at =
          (next() & 1) ? next() % std::min<size_t>(file.size(), 70) : next() % file.size();
      file[at] = (next() & 1) ? static_cast<uint8_t>(next())
                              : static_cast<uint8_t>(file[at] ^ (1u << (next() % 8)));
    }
    if (next() % 4 == 0) file.resize(next() % file.size());
    try {
      qtk::bmp::Decode(file, [&](int32_t w, int32_t h) {
        // Nothing may be allocated beyond what the file's size can justify.
        EXPECT_LE(int64_t{w} * h, int64_t{4096} * static_cast<int64_t>(file.size()));
        static std::vector<uint8_t> bits;
        const size_t stride = qtk::bmp::Stride24(w);
        bits.assign(stride * h, 0);
        return qtk::PixelBuffer{w, h, stride, bits.data()};
      });
      ++decoded;
    } catch (const ImageError&) {
    }
  }
  EXPECT_GT(decoded, 0);  // the loop exercised the pixel decoders, not only header rejection
}

// ---------------------------------------------------------------------------------------------
// Writing headers

TEST(BmpHeader, Stride24_Should_RoundRowsUpToFourBytes) {
  EXPECT_EQ(4u, qtk::bmp::Stride24(1));
  EXPECT_EQ(8u, qtk::bmp::Stride24(2));
  EXPECT_EQ(12u, qtk::bmp::Stride24(3));
  EXPECT_EQ(12u, qtk::bmp::Stride24(4));
  EXPECT_EQ(16u, qtk::bmp::Stride24(5));
  EXPECT_EQ(11520u, qtk::bmp::Stride24(3840));
}

TEST(BmpHeader, Header24_Should_FillFileAndInfoHeaders) {
  const auto h = qtk::bmp::Header24(5, 3);
  auto u32 = [&](size_t at) {
    return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 |
           uint32_t(h[at + 3]) << 24;
  };
  auto u16 = [&](size_t at) { return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8; };

  EXPECT_EQ('B', h[0]);
  EXPECT_EQ('M', h[1]);
  EXPECT_EQ(54u + 16 * 3, u32(2));
  EXPECT_EQ(0u, u32(6));
  EXPECT_EQ(54u, u32(10));
  EXPECT_EQ(40u, u32(14));
  EXPECT_EQ(5u, u32(18));
  EXPECT_EQ(3u, u32(22));
  EXPECT_EQ(1u, u16(26));
  EXPECT_EQ(24u, u16(28));
  EXPECT_EQ(0u, u32(30));
  EXPECT_EQ(16u * 3, u32(34));
  for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(0u, u32(at)) << "offset " << at;
}

TEST(BmpHeader, Header24_Should_RoundTripThroughDecode) {
  const auto header = qtk::bmp::Header24(2, 2);
  Bytes file(header.begin(), header.end());
  const Bytes pixels = Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  file.insert(file.end(), pixels.begin(), pixels.end());

  const Image img = Decode(file);

  EXPECT_EQ((Bgr{7, 8, 9}), img.At(0, 0));
  EXPECT_EQ((Bgr{10, 11, 12}), img.At(1, 0));
  EXPECT_EQ((Bgr{1, 2, 3}), img.At(0, 1));
  EXPECT_EQ((Bgr{4, 5, 6}), img.At(1, 1));
}

}  // namespace
