// Text labels on the composed picture: cells, background, frame, order, measuring, hits, and
// labels far outside the picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF, kLime = 0x00FF00, kYellow = 0x00FFFF;

// The label as Draw must give it, with plain GDI calls.
void LabelRef(qtk::Bitmap& ref, const TMoji& m, bool selected) {
  HDC dc = ref.DC();
  qtk::FontObject font = qtk::CreateFontObject(m.Font);
  qtk::SelectScope fontScope(dc, font.get());
  SetTextColor(dc, qtk::ResolveColor(m.Font.color));
  if (m.BkColor == qtk::clNone) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, qtk::ResolveColor(m.BkColor));
  }
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ExtTextOutA(dc, m.X, m.Y, 0, nullptr, m.Text.data(), static_cast<UINT>(m.Text.size()), nullptr);
  if (!selected) return;
  SIZE s = CalcSize(m.Font, m.Text);
  qtk::PenObject pen(CreatePen(PS_SOLID, 2, 0));
  qtk::SelectScope penScope(dc, pen.get());
  qtk::SelectScope brushScope(dc, GetStockObject(NULL_BRUSH));
  int rop = SetROP2(dc, R2_NOT);
  Rectangle(dc, m.X, m.Y, m.X + s.cx, m.Y + s.cy);
  SetROP2(dc, rop);
}

class AnnotTextDraw : public PictureTest {};

TEST_F(AnnotTextDraw, Draw_Should_CoverExactlyItsCells_When_Opaque) {
  const TMoji& blank = PlaceLabel(50, 60, "    ", kLime);
  SIZE cells = CellSize(blank.Font, blank.Text);
  ASSERT_GT(cells.cx, 0);
  EXPECT_EQ(CountNot(kWhite), cells.cx * cells.cy);
  EXPECT_EQ(Px(50, 60), kLime);
  EXPECT_EQ(Px(50 + cells.cx - 1, 60 + cells.cy - 1), kLime);
  EXPECT_EQ(Px(50 + cells.cx, 60), kWhite);
  EXPECT_EQ(Px(50, 60 + cells.cy), kWhite);
  EXPECT_EQ(Px(49, 60), kWhite);
  EXPECT_EQ(Px(50, 59), kWhite);
}

TEST_F(AnnotTextDraw, Draw_Should_MatchPlainTextOutput_InBothForms) {
  UsePicture(640, 480, [](int x, int y) { return (x / 3 + y / 3) % 2 ? 0x204060u : 0xC0E0F0u; });
  const TMoji& opaque = PlaceLabel(40, 50, "Quillora 画像", kYellow);
  const TMoji& clear = PlaceLabel(60, 58, "Wg|", qtk::clNone);
  editor->ComposePicture();
  auto ref = Reference();
  LabelRef(*ref, opaque, false);
  LabelRef(*ref, clear, false);
  EXPECT_TRUE(SameAsComposed(*ref));

  editor->doc.Select(&opaque);
  editor->ComposePicture();
  ref = Reference();
  LabelRef(*ref, opaque, true);
  LabelRef(*ref, clear, false);
  EXPECT_TRUE(SameAsComposed(*ref));
  editor->doc.Deselect();
}

TEST_F(AnnotTextDraw, Draw_Should_LeavePictureUnder_When_Transparent) {
  UsePicture(640, 480, [](int, int) { return kRed; });
  PlaceLabel(50, 60, "    ", qtk::clNone);
  EXPECT_EQ(CountNot(kRed), 0);
}

TEST_F(AnnotTextDraw, Compose_Should_DrawLabelOverLineAddedAfterIt) {
  const TMoji& label = PlaceLabel(100, 100, "      ", kLime);
  SIZE cells = CellSize(label.Font, label.Text);
  const int y = 100 + cells.cy / 2;
  AddLine({20, y, 600, y, 5, kRed, false});
  editor->ComposePicture();
  EXPECT_EQ(Px(100 + cells.cx / 2, y), kLime);
  EXPECT_EQ(Px(60, y), kRed);
  EXPECT_EQ(Px(100 + cells.cx + 10, y), kRed);
}

TEST_F(AnnotTextDraw, Compose_Should_DrawLaterLabelOverEarlier) {
  const TMoji& older = PlaceLabel(100, 100, "      ", kLime);
  PlaceLabel(110, 104, "      ", kYellow);
  editor->ComposePicture();
  EXPECT_EQ(Px(112, 106), kYellow);
  EXPECT_EQ(Px(101, 101), kLime);
  // Selected, the older label keeps its place under the newer one.
  editor->doc.Select(&older);
  editor->ComposePicture();
  EXPECT_EQ(Px(114, 108), kYellow);
  editor->doc.Deselect();
}

TEST_F(AnnotTextDraw, Draw_Should_MeasureAmpersandAsPrefix) {
  const TMoji& label = PlaceLabel(50, 60, "A&B", kLime);
  SIZE measured = CalcSize(label.Font, "A&B");
  SIZE cells = CellSize(label.Font, "A&B");
  ASSERT_EQ(measured.cx, CellSize(label.Font, "AB").cx);
  ASSERT_LT(measured.cx + 1, cells.cx);
  // The background covers all three glyphs, the hit area only the two that DrawTextA counts.
  EXPECT_NE(Px(50 + cells.cx - 1, 60), kWhite);
  EXPECT_EQ(Px(50 + cells.cx, 60), kWhite);
  Tool(TScrivletForm1::kSelect1);
  Click(50 + measured.cx, 60);
  EXPECT_EQ(editor->doc.SelectedText(), &label);
  Click(50 + measured.cx + 1, 60);
  EXPECT_EQ(editor->doc.SelectedText(), nullptr);
  // The frame follows the measured size.
  editor->doc.Select(&label);
  editor->ComposePicture();
  auto ref = Reference();
  LabelRef(*ref, label, true);
  EXPECT_TRUE(SameAsComposed(*ref));
  editor->doc.Deselect();
}

// A label's text is code page 932 text in any font: drawn, framed and hit as the same text
// drawn as Unicode in that font. Where the narrow functions read the bytes the same way (a
// Japanese font, ASCII text) the label is also what plain narrow text output gives.
TEST_F(AnnotTextDraw, Draw_Should_ShowCodePage932Text_InFontOfAnyCharset) {
  struct Case {
    const char* face;
    int charset;
    std::string text;
    std::wstring unicode;
    bool sameAsNarrow;
  };
  const Case cases[] = {
      {"Tahoma", ANSI_CHARSET, "Hello 日本語テキスト", L"Hello 日本語テキスト", false},
      {"Tahoma", ANSI_CHARSET, "Latin only & more", L"Latin only & more", true},
      {"Tahoma", RUSSIAN_CHARSET, "Привет 世界", L"Привет 世界", false},
      {"DejaVu Sans", ANSI_CHARSET, "ｶﾀｶﾅ kana", L"ｶﾀｶﾅ kana", false},
      {"ＭＳ Ｐゴシック", DEFAULT_CHARSET, "既定の字 ABC", L"既定の字 ABC", false},
      {"ＭＳ 明朝", SHIFTJIS_CHARSET, "明朝の字 xyz", L"明朝の字 xyz", true},
  };
  UsePicture(400, 120, [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0x404040u : 0xF0F0F0u; });
  for (const Case& c : cases) {
    qtk::FontSpec font;
    font.name = c.face;
    font.charset = c.charset;
    font.height = -16;
    font.color = kRed;
    editor->InsText.SetFont(font);
    const TMoji& label = PlaceLabel(10, 20, c.text, kYellow);
    for (bool selected : {false, true}) {
      editor->doc.Select(selected ? &label : nullptr);
      editor->ComposePicture();
      auto ref = Reference();
      HDC dc = ref->DC();
      qtk::FontObject made = qtk::CreateFontObject(font);
      qtk::SelectScope fontScope(dc, made.get());
      SetTextColor(dc, kRed);
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, kYellow);
      SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
      ExtTextOutW(dc, 10, 20, 0, nullptr, c.unicode.data(), static_cast<UINT>(c.unicode.size()),
                  nullptr);
      RECT r{10, 20, 10, 20};
      DrawTextW(dc, c.unicode.data(), static_cast<int>(c.unicode.size()), &r, DT_CALCRECT);
      if (selected) {
        qtk::PenObject pen(CreatePen(PS_SOLID, 2, 0));
        qtk::SelectScope penScope(dc, pen.get());
        qtk::SelectScope brushScope(dc, GetStockObject(NULL_BRUSH));
        SetROP2(dc, R2_NOT);
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SetROP2(dc, R2_COPYPEN);
      }
      EXPECT_TRUE(SameAsComposed(*ref)) << c.face << " " << c.charset << " " << selected;
      if (c.sameAsNarrow) {
        auto narrow = Reference();
        LabelRef(*narrow, label, selected);
        EXPECT_TRUE(SameAsComposed(*narrow)) << c.face << " " << selected;
      }
      qtk::Canvas& canvas = editor->view.Measuring();
      EXPECT_TRUE(label.HitTest(r.right, r.bottom, canvas)) << c.face;
      EXPECT_FALSE(label.HitTest(r.right + 1, r.bottom, canvas)) << c.face;
    }
    editor->doc.Deselect();
    editor->doc.ClearAnnotations();
  }
}

class AnnotTextHit : public PictureTest {};

TEST_F(AnnotTextHit, Press_Should_HitOnePixelPastCells_AndNotTwo) {
  const TMoji& label = PlaceLabel(50, 60, "Hello", kLime);
  SIZE s = CalcSize(label.Font, label.Text);
  ASSERT_GT(s.cx, 0);
  ASSERT_GT(s.cy, 0);
  Tool(TScrivletForm1::kSelect1);
  struct Probe {
    int x, y;
    bool hit;
  };
  const Probe probes[] = {
      {50, 60, true},
      {50 + s.cx, 60 + s.cy, true},
      {51 + s.cx, 60 + s.cy, false},
      {50 + s.cx, 61 + s.cy, false},
      {49, 60, false},
      {50, 59, false},
      {50 + s.cx / 2, 60 + s.cy / 2, true},
  };
  for (const Probe& p : probes) {
    Click(p.x, p.y);
    EXPECT_EQ(editor->doc.SelectedText() == &label, p.hit) << p.x << "," << p.y;
    EXPECT_EQ(label.HitTest(p.x, p.y, editor->view.Measuring()), p.hit);
  }
  EXPECT_EQ(editor->view.Measuring().Font(), label.Font);
}

TEST_F(AnnotTextHit, Press_Should_SelectOldestLabel_When_LabelsOverlap) {
  const TMoji& older = PlaceLabel(100, 100, "Overlap", kLime);
  PlaceLabel(104, 102, "Overlap", kYellow);
  Tool(TScrivletForm1::kSelect1);
  Click(108, 106);
  EXPECT_EQ(editor->doc.SelectedText(), &older);
}

TEST_F(AnnotTextHit, Press_Should_HitVisiblePart_When_LabelPartlyOutside) {
  const TMoji& label = PlaceLabel(100, 100, "      ", kLime);
  MoveLabel(label, -10, 100);
  Tool(TScrivletForm1::kSelect1);
  Click(2, 105);
  EXPECT_EQ(editor->doc.SelectedText(), &label);
  EXPECT_EQ(Px(0, 105), kLime);
}

class AnnotTextFar : public PictureTest {};

TEST_F(AnnotTextFar, Drag_Should_DrawNothing_When_LabelMovedFarOutside) {
  const TMoji& label = PlaceLabel(50, 60, "Far away", kLime);
  Tool(TScrivletForm1::kSelect1);
  editor->PB1MouseDown(qtk::MouseButton::Left, 55, 65);
  ASSERT_EQ(editor->doc.SelectedText(), &label);
  editor->PB1MouseMove(55 - 100050, 65);
  EXPECT_EQ(label.X, -100000);
  EXPECT_EQ(CountNot(kWhite), 0);
  editor->PB1MouseMove(INT_MAX, INT_MIN);  // x by INT_MAX + 99995; y saturates
  EXPECT_EQ(label.X, INT_MAX - 5);
  EXPECT_EQ(label.Y, INT_MIN);
  EXPECT_EQ(CountNot(kWhite), 0);
  editor->PB1MouseMove(INT_MIN, INT_MAX);  // x saturates; y by 2^32 - 1
  EXPECT_EQ(label.X, INT_MIN);
  EXPECT_EQ(label.Y, INT_MAX);
  EXPECT_EQ(CountNot(kWhite), 0);
  editor->PB1MouseMove(INT_MAX, INT_MAX);
  EXPECT_EQ(label.X, INT_MAX);
  EXPECT_EQ(label.Y, INT_MAX);
  EXPECT_EQ(CountNot(kWhite), 0);
  editor->PB1MouseUp(qtk::MouseButton::Left, INT_MAX, INT_MAX);
  EXPECT_EQ(CountNot(kWhite), 0);
  EXPECT_EQ(editor->InsText.Text(), "Far away");
}

TEST_F(AnnotTextFar, HitTest_Should_KeepBoundsPastInt32Limits) {
  TMoji label = PlaceLabel(50, 60, "Edge", kLime);
  qtk::Canvas& canvas = editor->view.Measuring();
  label.X = INT_MAX - 2;
  label.Y = INT_MAX - 2;
  EXPECT_TRUE(label.HitTest(INT_MAX, INT_MAX, canvas));
  EXPECT_FALSE(label.HitTest(INT_MAX - 3, INT_MAX, canvas));
  TMoji::Bounds b = label.Measure(canvas);
  EXPECT_GT(b.right, int64_t{INT_MAX});
  label.X = -100000;
  label.Y = 5;
  EXPECT_TRUE(label.HitTest(-99999, 6, canvas));
  EXPECT_FALSE(label.HitTest(0, 6, canvas));
}

TEST_F(AnnotTextFar, Draw_Should_ShowTail_When_LongLabelStartsFarLeft) {
  std::string text(400, 'W');
  const TMoji& label = PlaceLabel(50, 60, text, kLime);
  SIZE cells = CellSize(label.Font, text);
  MoveLabel(label, 600 - cells.cx, label.Y);  // only the last 600 pixels lie in the picture
  ASSERT_LT(label.X, -64 - 24);
  editor->ComposePicture();
  auto ref = Reference();
  LabelRef(*ref, label, false);
  EXPECT_TRUE(SameAsComposed(*ref));
  EXPECT_NE(Px(10, 61), kWhite);
  EXPECT_EQ(Px(600, 61), kWhite);
}

}  // namespace
}  // namespace quillora::testing_support
