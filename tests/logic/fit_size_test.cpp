#include "toolkit/logic/fit_size.h"

#include <gtest/gtest.h>

#include <string>

TEST(FitSize, FitWithin_Should_ShrinkKeepingProportions_AndNeverEnlarge) {
  struct Case {
    int32_t w, h, boxW, boxH, fitW, fitH;
  };
  const Case cases[] = {
      {800, 600, 200, 200, 200, 150},  // wide: the width decides
      {600, 800, 200, 200, 150, 200},  // tall: the height decides
      {100, 50, 200, 200, 100, 50},    // small: as it is
      {10000, 1, 200, 200, 200, 1},    // a hairline keeps one pixel
      {0, 10, 200, 200, 0, 0},         // no picture
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    const qtk::FitSize fit = qtk::FitWithin(c.w, c.h, c.boxW, c.boxH);
    EXPECT_EQ(fit.width, c.fitW);
    EXPECT_EQ(fit.height, c.fitH);
  }
}
