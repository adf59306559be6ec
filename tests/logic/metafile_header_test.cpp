#include "toolkit/logic/metafile_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using qtk::wmf::PlaceablePixels;
using qtk::wmf::ReadPlaceable;

void Put16(std::vector<uint8_t>& d, size_t at, uint16_t v) {
  d[at] = static_cast<uint8_t>(v);
  d[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A placeable file: bounding box 0,0 - right,bottom in `inch` units, then a METAHEADER declaring
// `sizeWords` and `recordBytes` bytes after it.
std::vector<uint8_t> File(int16_t right, int16_t bottom, uint16_t inch, uint32_t sizeWords,
                          size_t recordBytes = 6) {
  std::vector<uint8_t> d(22 + 18 + recordBytes, 0);
  Put16(d, 0, 0xCDD7);
  Put16(d, 2, 0x9AC6);
  Put16(d, 10, static_cast<uint16_t>(right));
  Put16(d, 12, static_cast<uint16_t>(bottom));
  Put16(d, 14, inch);
  Put16(d, 22, 1);      // memory metafile
  Put16(d, 24, 9);      // header words
  Put16(d, 26, 0x300);  // version
  Put16(d, 28, static_cast<uint16_t>(sizeWords));
  Put16(d, 30, static_cast<uint16_t>(sizeWords >> 16));
  return d;
}

TEST(PlaceableHeader, Size_Should_BeHandedAsDeclared_OrAsPresent_When_ItCountsThePlaceableHeader) {
  struct Case {
    const char* what;
    uint32_t words;
    size_t expected;
  } cases[] = {
      {"exact", 12, 24},
      {"shorter than the file", 10, 20},
      {"counts the 22-byte placeable header", 23, 24},
  };
  for (const Case& c : cases) {
    const auto header = ReadPlaceable(File(100, 50, 96, c.words));
    ASSERT_TRUE(header) << c.what;
    EXPECT_EQ(header->offset, 22u) << c.what;
    EXPECT_EQ(header->bytes, c.expected) << c.what;
    EXPECT_EQ(header->unitsX, 100) << c.what;
    EXPECT_EQ(header->unitsY, 50) << c.what;
  }
}

TEST(PlaceableHeader, Box_Should_GiveItsTopLeftCorner_When_GivenReversed) {
  std::vector<uint8_t> d = File(-20, 30, 96, 12);  // right -20 left of left 0; bottom 30
  Put16(d, 8, 70);                                 // top 70, below bottom
  const auto header = ReadPlaceable(d);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->left, -20);
  EXPECT_EQ(header->top, 30);
  EXPECT_EQ(header->unitsX, 20);
  EXPECT_EQ(header->unitsY, 40);
}

TEST(PlaceableHeader, BrokenFiles_Should_BeRefused) {
  std::vector<uint8_t> noKey = File(100, 50, 96, 12);
  noKey[0] = 0;
  std::vector<uint8_t> badHeaderWords = File(100, 50, 96, 12);
  Put16(badHeaderWords, 24, 8);
  const std::vector<uint8_t> cases[] = {
      std::vector<uint8_t>(30, 0),  // too short for both headers
      noKey,
      badHeaderWords,
      File(0, 50, 96, 12),    // zero width
      File(100, 0, 96, 12),   // zero height
      File(100, 50, 0, 12),   // no units per inch
      File(100, 50, 96, 8),   // smaller than its own header
      File(100, 50, 96, 24),  // more than the whole file
      File(100, 50, 96, 13),  // more than is there, less than the whole file: records cut off
      File(100, 50, 96, 0x80000000u),
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_FALSE(ReadPlaceable(cases[i])) << i;
}

TEST(PlaceableHeader, Pixels_Should_FollowTheLogicalInch_AndStopAtTheReadersLimit) {
  const auto small = ReadPlaceable(File(1440, 720, 1440, 12));
  ASSERT_TRUE(small);
  const auto px = PlaceablePixels(*small, 96, 120);
  ASSERT_TRUE(px);
  EXPECT_EQ(px->width, 96);
  EXPECT_EQ(px->height, 60);
  // 32767 x 32767 fits each side but not the 2^28 pixels; 16384 x 16384 is exactly the limit.
  EXPECT_FALSE(PlaceablePixels(*ReadPlaceable(File(32767, 32767, 96, 12)), 96, 96));
  EXPECT_TRUE(PlaceablePixels(*ReadPlaceable(File(16384, 16384, 96, 12)), 96, 96));
  EXPECT_FALSE(PlaceablePixels(*ReadPlaceable(File(16384, 16385, 96, 12)), 96, 96));
  EXPECT_FALSE(PlaceablePixels(*small, 0, 96));
}

}  // namespace
