#include "editor/logic/print_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillora {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(MulDiv, MulDiv_Should_RoundHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(1, 1, 2), 1);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(MulDiv(1, -3, 2), -2);
  EXPECT_EQ(MulDiv(1, 1, -2), -1);
  EXPECT_EQ(MulDiv(-1, -1, -2), -1);
  EXPECT_EQ(MulDiv(-5, -1, 2), 3);
  EXPECT_EQ(MulDiv(7, 5, 10), 4);
}

TEST(MulDiv, MulDiv_Should_RoundToNearest_When_NotAHalf) {
  EXPECT_EQ(MulDiv(1, 1, 3), 0);
  EXPECT_EQ(MulDiv(2, 1, 3), 1);
  EXPECT_EQ(MulDiv(-2, 1, 3), -1);
  EXPECT_EQ(MulDiv(7, 4, 10), 3);
}

TEST(MulDiv, MulDiv_Should_UseWideProduct_When_ProductExceedsInt32) {
  EXPECT_EQ(MulDiv(kMax, kMax, kMax), kMax);
  EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
  EXPECT_EQ(MulDiv(kMin, kMin, kMin), kMin);
}

TEST(MulDiv, MulDiv_Should_ReturnMinusOne_When_DivisorIsZeroOrResultOverflows) {
  EXPECT_EQ(MulDiv(5, 7, 0), -1);
  EXPECT_EQ(MulDiv(0, 0, 0), -1);
  EXPECT_EQ(MulDiv(kMax, 2, 1), -1);
  EXPECT_EQ(MulDiv(kMin, -1, 1), -1);
  EXPECT_EQ(MulDiv(kMin, kMin, -1), -1);
  EXPECT_EQ(MulDiv(kMin, 1, 1), kMin);
}

void ExpectTarget(PrintTarget actual, int32_t width, int32_t height) {
  EXPECT_EQ(actual.width, width);
  EXPECT_EQ(actual.height, height);
}

TEST(PrintLayout, FitToPage_Should_FillPageWidth_When_PictureIsWiderThanPage) {
  ExpectTarget(FitToPage(1000, 500, 4800, 6600), 4800, 2400);
  ExpectTarget(FitToPage(1000, 500, 6600, 4800), 6600, 3300);
  // 5*100/1000 = 0.5 rounds up.
  ExpectTarget(FitToPage(1000, 5, 100, 100), 100, 1);
}

TEST(PrintLayout, FitToPage_Should_FillPageHeight_When_PictureIsNarrowerThanPage) {
  ExpectTarget(FitToPage(300, 600, 6600, 4800), 2400, 4800);
  // 3*4800/1000 = 14.4 rounds down.
  ExpectTarget(FitToPage(3, 1000, 6600, 4800), 14, 4800);
}

TEST(PrintLayout, FitToPage_Should_ChooseBranchByRatioNotByRoundedResult_When_RatiosAreClose) {
  // The other branch would give 1000x1001 (too tall) or 1001x1000 (too wide).
  ExpectTarget(FitToPage(999, 1000, 1000, 1000), 999, 1000);
  ExpectTarget(FitToPage(1001, 1000, 1000, 1000), 1000, 999);
}

TEST(PrintLayout, FitToPage_Should_FillWholePage_When_RatiosAreEqual) {
  ExpectTarget(FitToPage(480, 640, 2400, 3200), 2400, 3200);
  ExpectTarget(FitToPage(3, 7, 3000, 7000), 3000, 7000);
  ExpectTarget(FitToPage(kMax, kMax, 1, 1), 1, 1);
}

TEST(PrintLayout, FitToPage_Should_ReturnEmpty_When_AnySideIsZero) {
  ExpectTarget(FitToPage(0, 500, 4800, 6600), 0, 0);
  ExpectTarget(FitToPage(1000, 0, 4800, 6600), 0, 0);
  ExpectTarget(FitToPage(1000, 500, 0, 6600), 0, 0);
  ExpectTarget(FitToPage(1000, 500, 4800, 0), 0, 0);
}

}  // namespace
}  // namespace quillora
