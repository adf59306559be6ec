#include "annotations/logic/line_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillora {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct ArrowCase {
  int32_t sx, sy, ex, ey, width;
  std::array<IntPoint, 3> expected;
};

void ExpectCorners(const std::array<IntPoint, 3>& actual, const std::array<IntPoint, 3>& expected) {
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(actual[i].x, expected[i].x) << "corner " << i;
    EXPECT_EQ(actual[i].y, expected[i].y) << "corner " << i;
  }
}

TEST(ArrowHead, ArrowHeadCorners_Should_PointBackTowardsStart_When_LineHasDirection) {
  const ArrowCase cases[] = {
      {100, 100, 200, 100, 5, {{{200, 100}, {179, 94}, {179, 106}}}},
      {200, 100, 100, 100, 5, {{{100, 100}, {121, 106}, {121, 94}}}},
      {100, 100, 100, 200, 5, {{{100, 200}, {106, 179}, {94, 179}}}},
      {100, 100, 200, 200, 5, {{{200, 200}, {189, 181}, {181, 189}}}},
      {0, 0, 30, 40, 1, {{{30, 40}, {27, 31}, {23, 34}}}},
  };
  for (const ArrowCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "(" << c.sx << "," << c.sy << ")->(" << c.ex << "," << c.ey << ")");
    ExpectCorners(ArrowHeadCorners(c.sx, c.sy, c.ex, c.ey, c.width), c.expected);
  }
}

TEST(ArrowHead, ArrowHeadCorners_Should_OpenToTheRight_When_StartEqualsEnd) {
  ExpectCorners(ArrowHeadCorners(50, 50, 50, 50, 5), {{{50, 50}, {71, 56}, {71, 44}}});
}

TEST(ArrowHead, ArrowHeadCorners_Should_GrowWithWidth) {
  // Width 100: length 3*100+6 = 306, half-opening 306*tan(15 deg) = 81.99.
  ExpectCorners(ArrowHeadCorners(0, 0, 0, 0, 100), {{{0, 0}, {306, 82}, {306, -82}}});
}

TEST(ArrowHead, ArrowHeadCorners_Should_ClampToInt32_When_CornersLeaveTheRange) {
  ExpectCorners(ArrowHeadCorners(kMax, kMax, kMax, kMax, 5),
                {{{kMax, kMax}, {kMax, kMax}, {kMax, kMax - 6}}});
  const auto huge = ArrowHeadCorners(kMin, kMin, kMin, kMin, kMax);
  EXPECT_EQ(huge[1].x, kMax);
  EXPECT_EQ(huge[2].y, kMin);
  const auto reversed = ArrowHeadCorners(kMax, kMax, kMin, kMin, kMax);
  EXPECT_EQ(reversed[0].x, kMin);
  EXPECT_EQ(reversed[1].y, kMax);
  EXPECT_EQ(reversed[2].x, kMax);
}

LineRecord Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width) {
  LineRecord r;
  r.StartX = x0;
  r.StartY = y0;
  r.EndX = x1;
  r.EndY = y1;
  r.Width = width;
  return r;
}

TEST(HitTestLine, HitTestLine_Should_HitWithinWidthPlusTwo_When_PointIsBetweenEnds) {
  const LineRecord r = Line(100, 100, 200, 100, 5);
  EXPECT_TRUE(HitTestLine(r, 150, 106));
  EXPECT_TRUE(HitTestLine(r, 150, 94));
  EXPECT_FALSE(HitTestLine(r, 150, 107));
  EXPECT_FALSE(HitTestLine(r, 150, 93));
  EXPECT_TRUE(HitTestLine(r, 101, 100));
  EXPECT_TRUE(HitTestLine(r, 199, 100));
}

TEST(HitTestLine, HitTestLine_Should_Miss_When_PointIsOnAnEndOfHorizontalLine) {
  const LineRecord r = Line(100, 100, 200, 100, 5);
  EXPECT_FALSE(HitTestLine(r, 100, 100));
  EXPECT_FALSE(HitTestLine(r, 200, 100));
}

TEST(HitTestLine, HitTestLine_Should_UseBandAroundStartX_When_PointIsOutsideXRange) {
  const LineRecord r = Line(100, 100, 110, 300, 5);
  EXPECT_TRUE(HitTestLine(r, 94, 200));
  EXPECT_FALSE(HitTestLine(r, 115, 200));
  // Close to the end point, but the band follows the start point's x.
  EXPECT_FALSE(HitTestLine(r, 112, 299));
}

TEST(HitTestLine, HitTestLine_Should_UseBandOpenAtEnds_When_LineIsVertical) {
  const LineRecord r = Line(100, 100, 100, 200, 5);
  EXPECT_TRUE(HitTestLine(r, 104, 150));
  EXPECT_FALSE(HitTestLine(r, 107, 150));
  EXPECT_FALSE(HitTestLine(r, 100, 100));
  EXPECT_FALSE(HitTestLine(r, 100, 200));
}

// Probes of the band on each kind of line: inside by width / 2 + 2, the ends open.
TEST(HitTestLine, HitTestLine_Should_FollowTheBand_AtEveryProbe) {
  struct Probe {
    LineRecord line;
    int x, y;
    bool hit;
  };
  const LineRecord h = Line(100, 100, 200, 100, 5), steep = Line(100, 100, 110, 300, 5),
                   v = Line(100, 100, 100, 200, 5), up = Line(100, 200, 100, 100, 5);
  const Probe probes[] = {
      {h, 90, 100, false}, {steep, 105, 200, true}, {v, 94, 150, true},  {v, 106, 150, true},
      {v, 93, 150, false}, {v, 100, 101, true},     {v, 100, 199, true}, {up, 100, 150, true},
  };
  for (const Probe& p : probes)
    EXPECT_EQ(HitTestLine(p.line, p.x, p.y), p.hit)
        << p.line.StartX << "," << p.line.StartY << "-" << p.line.EndX << "," << p.line.EndY
        << " at " << p.x << "," << p.y;
}

TEST(HitTestLine, HitTestLine_Should_NotOverflow_When_CoordinatesAreExtreme) {
  EXPECT_TRUE(HitTestLine(Line(kMin, kMin, kMax, kMax, 5), 0, 0));
  EXPECT_TRUE(HitTestLine(Line(kMin, kMax, kMax, kMin, 5), 0, 0));
  EXPECT_FALSE(HitTestLine(Line(kMin, kMax, kMax, kMin, 5), 0, kMax));
  EXPECT_TRUE(HitTestLine(Line(kMax, kMin, kMax, kMax, kMax), 0, 0));
  EXPECT_FALSE(HitTestLine(Line(kMax, kMin, kMax, kMax, kMax), kMin, 0));
  // The band reaches from kMin - kMax - 2 to kMin + kMax + 2 = 1, exclusive.
  EXPECT_TRUE(HitTestLine(Line(kMin, kMin, kMin, kMax, kMax), 0, 0));
  EXPECT_FALSE(HitTestLine(Line(kMin, kMin, kMin, kMax, kMax), 1, 0));
  EXPECT_FALSE(HitTestLine(Line(kMin, kMin, kMin + 1, kMax, kMin), kMax, kMax));
}

}  // namespace
}  // namespace quillora
