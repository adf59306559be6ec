#include "toolkit/logic/jpeg_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <ctime>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

using qtk::ImageError;
using Bytes = std::vector<uint8_t>;

std::string ErrorText(int code) { return "JPEG エラー #" + std::to_string(code); }

// A BGR image owning its memory; rows are padded beyond the minimum so stride handling is
// exercised.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
  Bytes bits;
  int allocations = 0;

  Image() = default;
  Image(int32_t w, int32_t h) { Resize(w, h); }

  void Resize(int32_t w, int32_t h) {
    width = w;
    height = h;
    stride = ((static_cast<size_t>(w) * 3 + 3) & ~size_t{3}) + 4;
    bits.assign(stride * h, 0xCD);
  }
  uint8_t* Px(int x, int y) { return &bits[y * stride + x * 3]; }
  const uint8_t* Px(int x, int y) const { return &bits[y * stride + x * 3]; }
  qtk::PixelBuffer Buffer() { return {width, height, stride, bits.data()}; }
};

// Smooth colour ramps: what a JPEG at quality 90 reproduces closely.
Image Gradient(int32_t w, int32_t h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = img.Px(x, y);
      p[0] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));
      p[1] = static_cast<uint8_t>(y * 255 / std::max(1, h - 1));
      p[2] = static_cast<uint8_t>(255 - (x + y) * 255 / std::max(1, w + h - 2));
    }
  }
  return img;
}

Bytes Encode(Image& img) {
  Bytes out;
  qtk::jpeg::Encode(img.Buffer(), [&](const uint8_t* data, size_t size) {
    out.insert(out.end(), data, data + size);
  });
  return out;
}

Image Decode(const Bytes& file, bool quantize = false) {
  Image img;
  qtk::jpeg::Decode(file, quantize, [&](int32_t w, int32_t h) {
    ++img.allocations;
    img.Resize(w, h);
    return img.Buffer();
  });
  return img;
}

struct Difference {
  int max = 0;
  double mean = 0;
};

Difference Compare(const Image& a, const Image& b) {
  Difference d;
  long total = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width * 3; ++x) {
      const int diff = std::abs(a.bits[y * a.stride + x] - b.bits[y * b.stride + x]);
      d.max = std::max(d.max, diff);
      total += diff;
    }
  }
  d.mean = static_cast<double>(total) / (a.width * a.height * 3);
  return d;
}

// Compresses raw samples with the library directly, for the file kinds Encode never writes.
Bytes LibjpegCompress(int w, int h, int components, J_COLOR_SPACE space, const Bytes& samples,
                      bool progressive) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&samples[c.next_scanline * w * components]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(mem, mem + size);
  std::free(mem);
  return out;
}

Bytes PackedBgr(const Image& img) {
  Bytes out;
  for (int y = 0; y < img.height; ++y)
    out.insert(out.end(), img.Px(0, y), img.Px(0, y) + img.width * 3);
  return out;
}

struct Segment {
  uint8_t marker = 0;
  Bytes payload;
};

// Splits a JPEG stream into its marker segments, stepping over entropy-coded data after each SOS.
std::vector<Segment> Segments(const Bytes& jpg) {
  std::vector<Segment> out;
  if (jpg.size() < 2 || jpg[0] != 0xFF || jpg[1] != 0xD8) return out;
  size_t i = 2;
  while (i + 2 <= jpg.size() && jpg[i] == 0xFF) {
    const uint8_t marker = jpg[i + 1];
    if (marker == 0xD9) {
      out.push_back({marker, {}});
      break;
    }
    if (i + 4 > jpg.size()) break;
    const size_t length = size_t{jpg[i + 2]} << 8 | jpg[i + 3];
    if (i + 2 + length > jpg.size()) break;
    out.push_back({marker, Bytes(jpg.begin() + i + 4, jpg.begin() + i + 2 + length)});
    i += 2 + length;
    if (marker == 0xDA) {
      auto isMarker = [&](size_t at) {
        return jpg[at] == 0xFF && jpg[at + 1] != 0 && (jpg[at + 1] & 0xF8) != 0xD0;
      };
      while (i + 1 < jpg.size() && !isMarker(i)) ++i;
    }
  }
  return out;
}

size_t CountMarkers(const std::vector<Segment>& segments, uint8_t marker) {
  return std::count_if(segments.begin(), segments.end(),
                       [&](const Segment& s) { return s.marker == marker; });
}

const Segment* Find(const std::vector<Segment>& segments, uint8_t marker) {
  for (const Segment& s : segments) {
    if (s.marker == marker) return &s;
  }
  return nullptr;
}

// Position k of the zig-zag scan as an index into the row-major 8x8 block.
std::array<int, 64> ZigzagOrder() {
  std::array<int, 64> order{};
  int k = 0;
  for (int s = 0; s < 15; ++s) {
    const int lo = std::max(0, s - 7);
    const int hi = std::min(s, 7);
    for (int i = 0; i <= hi - lo; ++i) {
      const int y = (s % 2 == 0) ? hi - i : lo + i;
      order[k++] = y * 8 + (s - y);
    }
  }
  return order;
}

// The quality-scaled table the library derives from a standard one: (base * scale + 50) / 100,
// within 1..255.
std::array<int, 64> ScaledTable(const int (&base)[64], int quality) {
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  std::array<int, 64> out{};
  for (int i = 0; i < 64; ++i) out[i] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
  return out;
}

// Annex K tables of the JPEG standard, row-major.
const int kStdLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                               58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                               22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                               77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                               103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
const int kStdChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                 24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

void ExpectDecodeError(const Bytes& file, const std::string& message, int expectedAllocations = 0) {
  int allocations = 0;
  try {
    Image img;
    qtk::jpeg::Decode(file, false, [&](int32_t w, int32_t h) -> qtk::PixelBuffer {
      if (++allocations > expectedAllocations)
        throw std::logic_error("allocator must not be reached");
      img.Resize(w, h);
      return img.Buffer();
    });
    ADD_FAILURE() << "no error thrown";
  } catch (const ImageError& e) {
    EXPECT_EQ(message, e.what());
  }
  EXPECT_EQ(expectedAllocations, allocations);
}

// ---------------------------------------------------------------------------------------------
// Encoding

TEST(JpegEncode, Encode_Gradient_Should_RoundTripWithinTolerance) {
  Image source = Gradient(37, 29);

  const Image decoded = Decode(Encode(source));

  ASSERT_EQ(1, decoded.allocations);
  ASSERT_EQ(37, decoded.width);
  ASSERT_EQ(29, decoded.height);
  const Difference d = Compare(source, decoded);
  EXPECT_LE(d.max, 24);
  EXPECT_LE(d.mean, 3.0);
}

TEST(JpegEncode, Encode_Should_WriteBaselineSingleScanThreeComponents) {
  Image source = Gradient(40, 24);

  const auto segments = Segments(Encode(source));

  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(0xD9, segments.back().marker);
  EXPECT_EQ(1u, CountMarkers(segments, 0xC0));
  for (uint8_t sof : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA}) EXPECT_EQ(0u, CountMarkers(segments, sof));
  EXPECT_EQ(1u, CountMarkers(segments, 0xDA));
  const Segment* sof0 = Find(segments, 0xC0);
  ASSERT_NE(nullptr, sof0);
  ASSERT_GE(sof0->payload.size(), 6u);
  EXPECT_EQ(8, sof0->payload[0]);
  EXPECT_EQ(24, sof0->payload[1] << 8 | sof0->payload[2]);
  EXPECT_EQ(40, sof0->payload[3] << 8 | sof0->payload[4]);
  EXPECT_EQ(3, sof0->payload[5]);
  const Segment* sos = Find(segments, 0xDA);
  ASSERT_NE(nullptr, sos);
  EXPECT_EQ(3, sos->payload[0]);  // all three components interleaved in the one scan
}

TEST(JpegEncode, Encode_Should_UseQuality90StandardTables) {
  Image source = Gradient(16, 16);

  const auto segments = Segments(Encode(source));

  std::array<int, 64> tables[2] = {};
  bool seen[2] = {false, false};
  for (const Segment& s : segments) {
    if (s.marker != 0xDB) continue;
    for (size_t at = 0; at + 65 <= s.payload.size(); at += 65) {
      const int precision = s.payload[at] >> 4;
      const int id = s.payload[at] & 0xF;
      ASSERT_EQ(0, precision);
      ASSERT_LT(id, 2);
      seen[id] = true;
      for (int k = 0; k < 64; ++k) tables[id][k] = s.payload[at + 1 + k];
    }
  }
  ASSERT_TRUE(seen[0]);
  ASSERT_TRUE(seen[1]);
  const auto zigzag = ZigzagOrder();
  const auto luminance = ScaledTable(kStdLuminance, 90);
  const auto chrominance = ScaledTable(kStdChrominance, 90);
  EXPECT_EQ(3, tables[0][0]);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(luminance[zigzag[k]], tables[0][k]) << "luminance k=" << k;
    EXPECT_EQ(chrominance[zigzag[k]], tables[1][k]) << "chrominance k=" << k;
  }
}

TEST(JpegEncode, Encode_EmptySource_Should_NotCallSink) {
  uint8_t pixel[4] = {};
  int calls = 0;
  auto sink = [&](const uint8_t*, size_t) { ++calls; };

  qtk::jpeg::Encode({0, 5, 4, pixel}, sink);
  qtk::jpeg::Encode({5, 0, 16, pixel}, sink);

  EXPECT_EQ(0, calls);
}

TEST(JpegEncode, Encode_LargeOutput_Should_ArriveIn64KiBChunks) {
  Image noise(512, 512);
  uint32_t state = 7;
  for (uint8_t& b : noise.bits)
    b = static_cast<uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
  std::vector<size_t> chunks;
  Bytes joined;

  qtk::jpeg::Encode(noise.Buffer(), [&](const uint8_t* data, size_t size) {
    chunks.push_back(size);
    joined.insert(joined.end(), data, data + size);
  });

  ASSERT_GE(chunks.size(), 2u);
  for (size_t i = 0; i + 1 < chunks.size(); ++i) EXPECT_EQ(65536u, chunks[i]);
  EXPECT_GT(chunks.back(), 0u);
  EXPECT_LE(chunks.back(), 65536u);
  EXPECT_EQ(512, Decode(joined).width);
}

TEST(JpegEncode, Encode_SinkThrows_Should_PassExceptionThrough) {
  Image noise(256, 256);
  for (size_t i = 0; i < noise.bits.size(); ++i)
    noise.bits[i] = static_cast<uint8_t>(i * 7919 >> 3);

  try {
    qtk::jpeg::Encode(noise.Buffer(),
                      [](const uint8_t*, size_t) { throw std::runtime_error("disk full"); });
    FAIL() << "no exception";
  } catch (const ImageError&) {
    FAIL() << "the sink's exception was replaced";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("disk full", e.what());
  }
}

TEST(JpegEncode, Encode_WiderThanJpegAllows_Should_ThrowImageError) {
  Image wide(70000, 1);
  int calls = 0;

  try {
    qtk::jpeg::Encode(wide.Buffer(), [&](const uint8_t*, size_t) { ++calls; });
    FAIL() << "no exception";
  } catch (const ImageError& e) {
    EXPECT_EQ(ErrorText(JERR_IMAGE_TOO_BIG), e.what());
  }
  EXPECT_EQ(0, calls);
}

// ---------------------------------------------------------------------------------------------
// Decoding

TEST(JpegDecode, Decode_Quantized_Should_UseAtMost236ColoursCloseToSource) {
  Image source = Gradient(64, 64);
  const Bytes file = Encode(source);
  auto colours = [](const Image& img) {
    std::set<uint32_t> set;
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < img.width; ++x) {
        const uint8_t* p = img.Px(x, y);
        set.insert(p[0] | p[1] << 8 | p[2] << 16);
      }
    }
    return set.size();
  };

  const Image full = Decode(file, false);
  const Image quantized = Decode(file, true);

  EXPECT_GT(colours(full), 236u);
  EXPECT_LE(colours(quantized), 236u);
  EXPECT_LE(Compare(source, quantized).mean, 10.0);
}

TEST(JpegDecode, Decode_Greyscale_Should_ProduceGreyPixels) {
  const int w = 64, h = 8;
  Bytes samples(w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) samples[y * w + x] = static_cast<uint8_t>(x * 4);
  }
  const Bytes file = LibjpegCompress(w, h, 1, JCS_GRAYSCALE, samples, false);

  const Image img = Decode(file, false);

  ASSERT_EQ(w, img.width);
  int worst = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = img.Px(x, y);
      ASSERT_EQ(p[0], p[1]) << x << "," << y;
      ASSERT_EQ(p[0], p[2]) << x << "," << y;
      worst = std::max(worst, std::abs(p[0] - samples[y * w + x]));
    }
  }
  EXPECT_LE(worst, 10);
}

TEST(JpegDecode, Decode_Progressive_Should_DecodeEveryScan) {
  Image source = Gradient(48, 40);
  const Bytes file = LibjpegCompress(48, 40, 3, JCS_EXT_BGR, PackedBgr(source), true);
  ASSERT_EQ(1u, CountMarkers(Segments(file), 0xC2));

  const Image decoded = Decode(file);

  const Difference d = Compare(source, decoded);
  EXPECT_LE(d.max, 24);
  EXPECT_LE(d.mean, 3.0);
}

TEST(JpegDecode, Decode_AdobeCmyk_Should_ConvertInvertedInks) {
  // Left block: full cyan ink (stored inverted as 0); right block: no ink at all.
  const int w = 16, h = 8;
  Bytes samples(w * h * 4, 255);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < 8; ++x) samples[(y * w + x) * 4] = 0;
  }
  const Bytes file = LibjpegCompress(w, h, 4, JCS_CMYK, samples, false);

  const Image img = Decode(file);

  const uint8_t* cyan = img.Px(2, 3);
  const uint8_t* white = img.Px(12, 3);
  EXPECT_NEAR(255, cyan[0], 4);
  EXPECT_NEAR(255, cyan[1], 4);
  EXPECT_NEAR(0, cyan[2], 4);
  EXPECT_NEAR(255, white[0], 4);
  EXPECT_NEAR(255, white[1], 4);
  EXPECT_NEAR(255, white[2], 4);
}

TEST(JpegDecode, Decode_AllocatorThrows_Should_PassExceptionThrough) {
  Image source = Gradient(16, 16);
  const Bytes file = Encode(source);

  EXPECT_THROW(
      qtk::jpeg::Decode(file, false,
                        [](int32_t, int32_t) -> qtk::PixelBuffer { throw std::bad_alloc(); }),
      std::bad_alloc);
}

// ---------------------------------------------------------------------------------------------
// Damaged files

TEST(JpegReduced, ReducedScale_Should_KeepEveryPixelTheFittedPictureShows) {
  struct Case {
    int32_t w, h, boxW, boxH, denom;
  };
  const Case cases[] = {
      {4000, 3000, 200, 200, 8},  // 500 x 375 still covers 200 x 150
      {1000, 1000, 300, 300, 2},  // 1/4 would give 250 < 300
      {100, 100, 300, 300, 1},    // smaller than the box: never enlarged, so full size
      {1600, 100, 200, 200, 8},   // fitted by its width: 200 x 13
      {0, 100, 200, 200, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(qtk::jpeg::ReducedScale(c.w, c.h, c.boxW, c.boxH), c.denom);
  }
}

TEST(JpegReduced, DecodeReduced_Should_DecodeAtAnEighth_AndStillRefuseImpossibleSizes) {
  Image source = Gradient(800, 600);
  const Bytes file = Encode(source);
  Image small;
  const auto whole = qtk::jpeg::DecodeReduced(file, 100, 100, [&](int32_t w, int32_t h) {
    small.Resize(w, h);
    return small.Buffer();
  });
  EXPECT_EQ(whole, std::make_pair(800, 600));
  EXPECT_EQ(small.width, 100);
  EXPECT_EQ(small.height, 75);
  // The corner colours of the ramp survive the reduction.
  EXPECT_NEAR(small.Px(99, 0)[0], 255, 12);
  EXPECT_NEAR(small.Px(0, 74)[1], 255, 12);

  Bytes huge = Encode(source);
  const uint8_t kSof0[] = {0xFF, 0xC0};
  const size_t at = static_cast<size_t>(
                        std::search(huge.begin(), huge.end(), std::begin(kSof0), std::end(kSof0)) -
                        huge.begin()) +
                    5;
  huge[at] = huge[at + 2] = 0xEA;  // 60000 x 60000: too big for the file, however reduced
  huge[at + 1] = huge[at + 3] = 0x60;
  EXPECT_THROW(qtk::jpeg::DecodeReduced(huge, 100, 100,
                                        [&](int32_t w, int32_t h) {
                                          small.Resize(w, h);
                                          return small.Buffer();
                                        }),
               ImageError);
}

TEST(JpegDamaged, Decode_EmptyFile_Should_ThrowInputEmpty) {
  ExpectDecodeError({}, ErrorText(JERR_INPUT_EMPTY));
}

TEST(JpegDamaged, Decode_NotAJpeg_Should_ThrowNoSoi) {
  ExpectDecodeError({'B', 'M', 1, 2, 3, 4, 5, 6}, ErrorText(JERR_NO_SOI));
}

TEST(JpegDamaged, Decode_CutBeforeImageData_Should_ThrowWithoutAllocating) {
  Image source = Gradient(16, 16);
  Bytes file = Encode(source);
  const uint8_t kSos[] = {0xFF, 0xDA};
  const auto sos = std::search(file.begin(), file.end(), std::begin(kSos), std::end(kSos));
  ASSERT_NE(file.end(), sos);
  file.erase(sos, file.end());

  ExpectDecodeError(file, ErrorText(JERR_SOF_NO_SOS));
}

TEST(JpegDamaged, Decode_DimensionsTheFileCannotHold_Should_ThrowTooBig) {
  Image source = Gradient(16, 16);
  const Bytes original = Encode(source);
  const uint8_t kSof0[] = {0xFF, 0xC0};
  const auto sof =
      std::search(original.begin(), original.end(), std::begin(kSof0), std::end(kSof0));
  ASSERT_NE(original.end(), sof);
  const size_t at = static_cast<size_t>(sof - original.begin()) + 5;  // height, then width
  for (uint16_t side : {60000, 4000}) {
    SCOPED_TRACE(side);
    Bytes file = original;
    file[at] = file[at + 2] = static_cast<uint8_t>(side >> 8);
    file[at + 1] = file[at + 3] = static_cast<uint8_t>(side);

    ExpectDecodeError(file, ErrorText(JERR_IMAGE_TOO_BIG));
  }
}

// A progressive 4:4:4 header claiming 16384 x 16384, padded with comments to 128 KiB: enough bytes
// for the output alone, but the library would add a 1.5 GiB coefficient buffer and a long decode.
Bytes ProgressiveHugeHeader() {
  Bytes f = {0xFF, 0xD8};
  auto segment = [&](uint8_t marker, const Bytes& payload) {
    const size_t length = payload.size() + 2;
    f.insert(f.end(),
             {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    f.insert(f.end(), payload.begin(), payload.end());
  };
  Bytes dqt(65, 1);
  dqt[0] = 0;
  segment(0xDB, dqt);
  segment(0xC2, {8, 0x40, 0x00, 0x40, 0x00, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
  Bytes dht = {0x00, 1};  // DC table 0: a single one-bit code for category 0
  dht.resize(17, 0);
  dht.push_back(0);
  segment(0xC4, dht);
  const size_t tail = 14 + 1 + 2;  // the scan header, a byte of data and EOI
  while (f.size() < 131072 - tail)
    segment(0xFE, Bytes(std::min<size_t>(65533, 131072 - tail - f.size() - 4), 'x'));
  segment(0xDA, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 0, 0});
  f.insert(f.end(), {0x00, 0xFF, 0xD9});
  return f;
}

TEST(JpegDamaged, Decode_ProgressiveHeaderBeyondItsBudget_Should_ThrowTooBigAtOnce) {
  const Bytes file = ProgressiveHugeHeader();
  ASSERT_EQ(131072u, file.size());
  for (const bool quantize : {false, true}) {
    SCOPED_TRACE(quantize);
    // <chrono> cannot be built for the Windows target here (one of its literals has no code
    // page 932 form); the processor clock serves, the decode being all computation.
    const std::clock_t start = std::clock();
    try {
      qtk::jpeg::Decode(file, quantize, [](int32_t, int32_t) -> qtk::PixelBuffer {
        throw std::logic_error("allocator must not be reached");
      });
      ADD_FAILURE() << "no error thrown";
    } catch (const ImageError& e) {
      EXPECT_EQ(ErrorText(JERR_IMAGE_TOO_BIG), e.what());
    }
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 0.5);
  }
}

TEST(JpegDamaged, Decode_ScansRepeatedBeyondReason_Should_ThrowTooBig) {
  Image source = Gradient(64, 64);
  const Bytes original = LibjpegCompress(64, 64, 3, JCS_EXT_BGR, PackedBgr(source), true);
  const uint8_t kSos[] = {0xFF, 0xDA};
  const auto last =
      std::find_end(original.begin(), original.end(), std::begin(kSos), std::end(kSos));
  ASSERT_NE(original.end(), last);
  const Bytes scan(last, original.end() - 2);  // the final refinement scan, without EOI
  for (const int copies : {2, 200}) {
    SCOPED_TRACE(copies);
    Bytes file(original.begin(), original.end() - 2);
    for (int i = 0; i < copies; ++i) file.insert(file.end(), scan.begin(), scan.end());
    file.insert(file.end(), {0xFF, 0xD9});
    if (copies == 2) {
      EXPECT_EQ(64, Decode(file).width);
    } else {
      ExpectDecodeError(file, ErrorText(JERR_IMAGE_TOO_BIG), 1);
    }
  }
}

TEST(JpegDamaged, Decode_TruncatedData_Should_DecodeSilently) {
  Image source = Gradient(64, 64);
  Bytes file = Encode(source);
  const uint8_t kSos[] = {0xFF, 0xDA};
  const size_t scan = static_cast<size_t>(
      std::search(file.begin(), file.end(), std::begin(kSos), std::end(kSos)) - file.begin());
  ASSERT_LT(scan, file.size());
  file.resize(scan + (file.size() - scan) / 2);  // half of the entropy-coded data survives

  testing::internal::CaptureStderr();
  const Image decoded = Decode(file);
  const std::string printed = testing::internal::GetCapturedStderr();

  EXPECT_EQ("", printed);
  ASSERT_EQ(64, decoded.height);
  for (int x = 0; x < 64; ++x)
    EXPECT_NEAR(source.Px(x, 0)[1], decoded.Px(x, 0)[1], 24) << "x=" << x;
}

TEST(JpegDamaged, Decode_MutatedFiles_Should_OnlyThrowImageError) {
  Image source = Gradient(24, 24);
  const Bytes original = Encode(source);
  uint32_t state = 99;
  auto next = [&] { return state = state * 1103515245u + 12345u, state >> 8; };
  int decoded = 0;
  for (int i = 0; i < 400; ++i) {
    Bytes file = original;
    const int flips = 1 + next() % 4;
    for (int f = 0; f < flips; ++f) file[next() % file.size()] = static_cast<uint8_t>(next());
    if (next() % 5 == 0) file.resize(next() % file.size());
    try {
      Decode(file, i % 2 == 1);
      ++decoded;
    } catch (const ImageError& e) {
      EXPECT_EQ(0u, std::string(e.what()).rfind("JPEG エラー #", 0)) << e.what();
    }
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace
