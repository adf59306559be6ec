#include "toolkit/logic/dpi_scale.h"

#include <gtest/gtest.h>

namespace qtk {
namespace {

TEST(DpiScale, ScaleToDpi_Should_RoundToNearestHalvesAwayFromZero) {
  struct Case {
    int value, dpi, expected;
  } cases[] = {
      {542, 96, 542},  {-12, 96, -12},  {0, 144, 0},   {50, 120, 63},    // 62.5 -> 63
      {-12, 120, -15}, {-13, 120, -16}, {21, 144, 32}, {-21, 144, -32},  // -31.5 -> -32
      {383, 192, 766}, {1, 120, 1},     {3, 144, 5},   {7, 72, 5},       // 5.25 -> 5
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

TEST(DpiScale, SaneDpi_Should_FallBackTo96ForNonsense) {
  EXPECT_EQ(SaneDpi(144), 144);
  EXPECT_EQ(SaneDpi(0), 96);
  EXPECT_EQ(SaneDpi(-1), 96);
  EXPECT_EQ(SaneDpi(100000), 96);
}

}  // namespace
}  // namespace qtk
