// Lines and arrows as the composition draws them, without a window: pen, head, selected form
// on the screen, order, clipping.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "editor/view/composition.h"
#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;

// A document on a white 640 x 480 picture and what it looks like.
class LinePicture : public ::testing::Test {
 protected:
  void SetUp() override {
    UsePicture(640, 480, [](int, int) { return kWhite; });
  }

  void UsePicture(int width, int height, const std::function<uint32_t(int, int)>& f) {
    qtk::Bitmap p(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixel(p.DC(), x, y, f(x, y));
    doc.ReplacePicture(p, false, "", "");
    Compose();
  }
  const LineRecord& AddLine(const LineRecord& r) { return doc.AddLine(r); }
  void Compose() {
    view.Update(doc, doc.TakeDamage());
    painted_ = false;
  }

  // What the screen shows after the last update, painted whole.
  const qtk::Bitmap& Shown() {
    if (painted_) return shown_;
    shown_.Allocate(doc.Base().Width(), doc.Base().Height());
    view.Paint(shown_.DC(), Box{0, 0, doc.Base().Width(), doc.Base().Height()});
    painted_ = true;
    return shown_;
  }
  uint32_t Px(int x, int y) { return PixelAt(Shown(), x, y); }
  int CountNot(uint32_t colour) { return testing_support::CountNot(Shown(), colour); }
  std::unique_ptr<qtk::Bitmap> Reference() const { return CopyOf(doc.Base()); }
  ::testing::AssertionResult SameAsComposed(const qtk::Bitmap& ref) {
    return SamePixels(Shown(), ref);
  }

  Document doc;
  Composition view;
  qtk::Bitmap shown_;
  bool painted_ = false;
};

// The stroke that DrawLine must give, drawn with plain GDI calls of the same settings.
void Stroke(qtk::Bitmap& ref, POINT a, POINT b, int width, uint32_t colour, bool invert) {
  HDC dc = ref.DC();
  qtk::PenObject pen(CreatePen(PS_SOLID, width, colour));
  qtk::SelectScope scope(dc, pen.get());
  int oldRop = SetROP2(dc, invert ? R2_NOT : R2_COPYPEN);
  MoveToEx(dc, a.x, a.y, nullptr);
  LineTo(dc, b.x, b.y);
  SetROP2(dc, oldRop);
}

// A line followed by the head polygon with the given corners, as an arrow must be drawn.
void ArrowRef(qtk::Bitmap& ref, POINT a, POINT b, int width, uint32_t colour, bool selected,
              const std::vector<POINT>& head) {
  Stroke(ref, a, b, width, colour, selected);
  HDC dc = ref.DC();
  qtk::PenObject pen(CreatePen(PS_SOLID, width, colour));
  qtk::BrushObject brush(CreateSolidBrush(colour));
  qtk::SelectScope penScope(dc, pen.get());
  qtk::SelectScope brushScope(dc, selected ? GetStockObject(NULL_BRUSH) : brush.get());
  int oldRop = SetROP2(dc, selected ? R2_NOT : R2_COPYPEN);
  Polygon(dc, head.data(), static_cast<int>(head.size()));
  SetROP2(dc, oldRop);
}

class AnnotLineDraw : public LinePicture {};

TEST_F(AnnotLineDraw, DrawLine_Should_StrokeInItsColourAndWidth_When_NotSelected) {
  AddLine({100, 100, 300, 180, 5, kRed, false});
  Compose();
  auto ref = Reference();
  Stroke(*ref, {100, 100}, {300, 180}, 5, kRed, false);
  EXPECT_TRUE(SameAsComposed(*ref));
  EXPECT_EQ(Px(200, 140), kRed);
  EXPECT_EQ(Px(200, 150), kWhite);
}

TEST_F(AnnotLineDraw, DrawLine_Should_InvertWhatLiesUnder_When_Selected) {
  UsePicture(640, 480, [](int x, int) { return x < 320 ? kBlack : kWhite; });
  const LineRecord& line = AddLine({100, 240, 540, 240, 9, kRed, false});
  doc.Select(&line);
  Compose();
  EXPECT_EQ(Px(200, 240), kWhite);
  EXPECT_EQ(Px(400, 240), kBlack);
  EXPECT_EQ(Px(200, 236), kWhite);
  EXPECT_EQ(Px(200, 230), kBlack);
  auto ref = Reference();
  Stroke(*ref, {100, 240}, {540, 240}, 9, kRed, true);
  EXPECT_TRUE(SameAsComposed(*ref));

  doc.Deselect();
  Compose();
  EXPECT_EQ(Px(200, 240), kRed);
  EXPECT_EQ(Px(400, 240), kRed);
}

struct HeadCase {
  LineRecord line;
  std::vector<POINT> head;
};

// The corners worked out by hand for the head's 15-degree sides and 3 * width + 6 length.
const HeadCase kHeads[] = {
    {{100, 100, 200, 100, 5, kRed, true}, {{200, 100}, {179, 94}, {179, 106}}},
    {{200, 100, 100, 100, 5, kRed, true}, {{100, 100}, {121, 106}, {121, 94}}},
    {{100, 100, 100, 200, 5, kRed, true}, {{100, 200}, {106, 179}, {94, 179}}},
    {{100, 100, 200, 200, 5, kRed, true}, {{200, 200}, {189, 181}, {181, 189}}},
    {{0, 0, 30, 40, 1, kRed, true}, {{30, 40}, {27, 31}, {23, 34}}},
    {{50, 50, 50, 50, 5, kRed, true}, {{50, 50}, {71, 56}, {71, 44}}},
};

TEST_F(AnnotLineDraw, DrawArrowHead_Should_FillTriangleAtHandWorkedCorners) {
  for (const HeadCase& c : kHeads) {
    doc.ClearAnnotations();
    AddLine(c.line);
    Compose();
    auto ref = Reference();
    ArrowRef(*ref, {c.line.StartX, c.line.StartY}, {c.line.EndX, c.line.EndY}, c.line.Width, kRed,
             false, c.head);
    EXPECT_TRUE(SameAsComposed(*ref)) << "arrow to " << c.line.EndX << "," << c.line.EndY;
  }
}

TEST_F(AnnotLineDraw, DrawArrowHead_Should_OutlineInvertedHead_When_Selected) {
  UsePicture(640, 480, [](int x, int y) { return (x / 7 + y / 5) % 2 ? kBlack : 0x3080C0u; });
  for (const HeadCase& c : kHeads) {
    doc.ClearAnnotations();
    doc.Select(&AddLine(c.line));
    Compose();
    auto ref = Reference();
    ArrowRef(*ref, {c.line.StartX, c.line.StartY}, {c.line.EndX, c.line.EndY}, c.line.Width, kRed,
             true, c.head);
    EXPECT_TRUE(SameAsComposed(*ref)) << "arrow to " << c.line.EndX << "," << c.line.EndY;
  }
  doc.Deselect();
}

TEST_F(AnnotLineDraw, DrawArrowHead_Should_ReachPastStart_When_HeadLongerThanLine) {
  AddLine({300, 240, 340, 240, 100, kBlue, true});
  Compose();
  // 306 pixels back from the tip: well past the start point at 300.
  EXPECT_EQ(Px(100, 240), kBlue);
  EXPECT_EQ(Px(300, 150), kWhite);
  EXPECT_EQ(Px(450, 240), kWhite);
}

TEST_F(AnnotLineDraw, Compose_Should_PaintLaterLineOverEarlier) {
  AddLine({100, 240, 540, 240, 9, kRed, false});
  AddLine({320, 40, 320, 440, 9, kBlue, false});
  Compose();
  EXPECT_EQ(Px(320, 240), kBlue);
  const LineRecord red = doc.Lines()[0];  // the red one, drawn again last
  doc.Remove(doc.Lines()[0]);
  doc.AddLine(red);
  Compose();
  EXPECT_EQ(Px(320, 240), kRed);
}

TEST_F(AnnotLineDraw, Compose_Should_DrawSelectedLineInItsPlace) {
  UsePicture(640, 480, [](int, int) { return kBlack; });
  const LineRecord& under = AddLine({100, 240, 540, 240, 9, kRed, false});
  AddLine({320, 40, 320, 440, 9, kBlue, false});
  doc.Select(&under);
  Compose();
  EXPECT_EQ(Px(200, 240), kWhite);  // inverted black
  EXPECT_EQ(Px(320, 240), kBlue);   // the later line still lies on top
  doc.Deselect();
}

class AnnotLineClip : public LinePicture {};

TEST_F(AnnotLineClip, DrawLine_Should_DrawVisiblePart_When_EndsFarOutside) {
  AddLine({-1000000, 240, 1000000, 240, 5, kRed, false});
  AddLine({320, 240, 320, 2000000000, 7, kBlue, true});
  Compose();
  auto ref = Reference();
  Stroke(*ref, {-50, 240}, {700, 240}, 5, kRed, false);
  Stroke(*ref, {320, 240}, {320, 600}, 7, kBlue, false);
  EXPECT_TRUE(SameAsComposed(*ref));
}

TEST_F(AnnotLineClip, DrawLine_Should_FollowExactLine_When_DragEndsFarOffPicture) {
  // Slope -1 through (600, 50): the pixels (600 - k, 50 + k) lie on it.
  AddLine({600, 50, -29400, 30050, 1, kRed, false});
  AddLine({-30000, -29800, 32000, 32200, 1, kBlue, false});  // through (0, 200)
  Compose();
  for (int k = 0; k < 430; ++k)
    if (k != 375) EXPECT_EQ(Px(600 - k, 50 + k), kRed) << k;  // (225, 425): the blue crosses
  for (int k = 0; k < 280; ++k) EXPECT_EQ(Px(k, 200 + k), kBlue) << k;
  EXPECT_EQ(CountNot(kWhite), 430 + 280 - 1);
}

TEST_F(AnnotLineClip, DrawLine_Should_NotOverflow_When_CoordinatesAtInt32Limits) {
  AddLine({INT_MIN, INT_MIN, INT_MAX, INT_MAX, 3, kRed, false});
  AddLine({INT_MAX, INT_MIN, INT_MAX, INT_MAX, 3, kBlue, true});
  AddLine({INT_MIN, INT_MAX, INT_MIN, INT_MAX, 3, kBlue, true});
  Compose();
  for (int i = 5; i < 475; i += 10) EXPECT_EQ(Px(i, i), kRed) << i;
  EXPECT_EQ(Px(300, 100), kWhite);
  EXPECT_EQ(Px(100, 300), kWhite);
  int other = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) other += Px(x, y) != kWhite && Px(x, y) != kRed;
  EXPECT_EQ(other, 0);
}

TEST_F(AnnotLineClip, DrawArrowHead_Should_ShowPenReach_When_TipJustOutside) {
  // Tip 340 pixels left of the picture; the head (306 long, pen 100 wide) reaches back in.
  AddLine({600, 240, -340, 240, 100, kBlue, true});
  Compose();
  auto ref = Reference();
  ArrowRef(*ref, {600, 240}, {-340, 240}, 100, kBlue, false, {{-340, 240}, {-34, 322}, {-34, 158}});
  EXPECT_TRUE(SameAsComposed(*ref));
  EXPECT_EQ(Px(5, 130), kBlue);
}

TEST_F(AnnotLineClip, DrawArrowHead_Should_DrawNothing_When_TipFarOutside) {
  AddLine({-5000, -5000, -900000, 1500000000, 100, kRed, true});
  AddLine({INT_MAX, INT_MIN, INT_MAX - 10, INT_MAX, 100, kRed, true});
  Compose();
  EXPECT_EQ(CountNot(kWhite), 0);
}

}  // namespace
}  // namespace quillora::testing_support
