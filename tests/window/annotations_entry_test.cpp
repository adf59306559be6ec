// The text entry row: confirming labels, loading a selected label back, the confirm button, the
// text-point marker on the screen and the row's height.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "toolkit/logic/dpi_scale.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kLime = 0x00FF00;

qtk::FontSpec BigItalic() {
  qtk::FontSpec f;
  f.name = "Arial";
  f.height = -30;
  f.style = qtk::fsItalic | qtk::fsBold;
  f.charset = ANSI_CHARSET;
  f.color = 0x0080FF;
  return f;
}

class AnnotTextConfirm : public PictureTest {};

TEST_F(AnnotTextConfirm, Confirm_Should_MakeLabelFromEntryRow_AtTextPoint) {
  Tool(TScrivletForm1::kText1);
  Click(70, 80);
  ASSERT_EQ(editor->toolMode, kToolTextPoint);
  editor->InsText.SetText("ラベル");
  editor->TextOKButton.Click();
  ASSERT_EQ(editor->doc.Texts().size(), 1u);
  const TMoji& m = editor->doc.Texts()[0];
  EXPECT_EQ(m.Text, "ラベル");
  EXPECT_EQ(m.X, 70);
  EXPECT_EQ(m.Y, 80);
  EXPECT_EQ(m.Font, editor->InsText.Font());
  // The entry field's own colours are system-colour references and stay so.
  EXPECT_EQ(m.BkColor, qtk::clWindow);
  EXPECT_EQ(m.Font.color, qtk::clWindowText);
  EXPECT_EQ(editor->toolMode, kToolText);
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_EQ(editor->InsText.Text(), "ラベル");
  EXPECT_NE(CountNot(kWhite), 0);
}

TEST_F(AnnotTextConfirm, Confirm_Should_GiveTwoEqualLabels_When_ConfirmedAtTwoPoints) {
  editor->InsText.SetFont(BigItalic());
  PlaceLabel(10, 10, "twin", kLime);
  Click(200, 150);
  editor->TextOKButton.Click();
  ASSERT_EQ(editor->doc.Texts().size(), 2u);
  const TMoji &a = editor->doc.Texts()[0], &b = editor->doc.Texts()[1];
  EXPECT_EQ(b.Text, a.Text);
  EXPECT_EQ(b.Font, a.Font);
  EXPECT_EQ(b.Font, BigItalic());
  EXPECT_EQ(b.BkColor, kLime);
  EXPECT_EQ(b.X, 200);
  EXPECT_EQ(b.Y, 150);
}

TEST_F(AnnotTextConfirm, Confirm_Should_MakeTransparentLabel_When_CheckBoxChecked) {
  const TMoji& m = PlaceLabel(10, 10, "clear", qtk::clNone);
  EXPECT_EQ(m.BkColor, qtk::clNone);
}

TEST_F(AnnotTextConfirm, Confirm_Should_AppendEmptyLabel_When_EntryEmpty) {
  PlaceLabel(10, 10, "");
  EXPECT_EQ(editor->doc.Texts().size(), 1u);
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(AnnotTextConfirm, Confirm_Should_OnlyDisableButton_When_NoPointOrNoSelection) {
  Tool(TScrivletForm1::kText1);
  editor->InsText.SetText("typed");
  EXPECT_TRUE(editor->TextOKButton.Enabled());
  editor->TextOKButtonClick();
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_TRUE(editor->doc.Texts().empty());
  Tool(TScrivletForm1::kSelect1);
  editor->InsText.SetText("typed");
  editor->TextOKButtonClick();
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_TRUE(editor->doc.Texts().empty());
  EXPECT_EQ(editor->toolMode, kToolSelect);
}

TEST_F(AnnotTextConfirm, Confirm_Should_RewriteSelectedLabel_AndKeepItsPlace) {
  const TMoji& m = PlaceLabel(30, 40, "before", kLime);
  Tool(TScrivletForm1::kSelect1);
  Click(32, 42);
  ASSERT_EQ(editor->doc.SelectedText(), &m);
  editor->InsText.SetText("after");
  editor->InsText.SetFont(BigItalic());
  editor->CheckBox1.SetChecked(true);
  editor->TextOKButton.Click();
  EXPECT_EQ(m.Text, "after");
  EXPECT_EQ(m.Font, BigItalic());
  EXPECT_EQ(m.BkColor, qtk::clNone);
  EXPECT_EQ(m.X, 30);
  EXPECT_EQ(m.Y, 40);
  EXPECT_EQ(editor->doc.SelectedText(), &m);
  EXPECT_EQ(editor->toolMode, kToolSelect);
  EXPECT_FALSE(editor->TextOKButton.Enabled());
}

TEST_F(AnnotTextConfirm, InsTextChange_Should_EnableButton_InAnyMode) {
  EXPECT_EQ(editor->toolMode, kToolNone);
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  SendMessageA(editor->InsText.Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(editor->InsText.Text(), "x");
  EXPECT_TRUE(editor->TextOKButton.Enabled());
}

class AnnotTextLoad : public PictureTest {};

TEST_F(AnnotTextLoad, Release_Should_LoadLabelIntoEntryRow_NotPress) {
  editor->InsText.SetFont(BigItalic());
  const TMoji& m = PlaceLabel(30, 40, "loaded", 0x123456);
  Tool(TScrivletForm1::kSelect1);
  editor->InsText.SetFont(qtk::FontSpec{});
  editor->InsText.SetColor(qtk::clWindow);
  Press(35, 45);
  ASSERT_EQ(editor->doc.SelectedText(), &m);
  EXPECT_EQ(editor->InsText.Text(), "");
  EXPECT_EQ(editor->InsText.Font(), qtk::FontSpec{});
  Release(35, 45);
  EXPECT_EQ(editor->InsText.Text(), "loaded");
  EXPECT_EQ(editor->InsText.Font(), BigItalic());
  EXPECT_EQ(editor->InsText.GetColor(), 0x123456u);
  EXPECT_FALSE(editor->CheckBox1.Checked());
  EXPECT_TRUE(editor->TextOKButton.Enabled());
}

TEST_F(AnnotTextLoad, Release_Should_GiveWhiteAndCheckedBox_When_LabelTransparent) {
  const TMoji& m = PlaceLabel(30, 40, "clear", qtk::clNone);
  Tool(TScrivletForm1::kSelect1);
  Click(32, 42);
  ASSERT_EQ(editor->doc.SelectedText(), &m);
  EXPECT_EQ(editor->InsText.GetColor(), kWhite);
  EXPECT_TRUE(editor->CheckBox1.Checked());
  // Unchecked and confirmed without a colour: a solid white background.
  editor->CheckBox1.SetChecked(false);
  editor->TextOKButton.Click();
  EXPECT_EQ(m.BkColor, kWhite);
}

TEST_F(AnnotTextLoad, Release_Should_KeepSystemColourReference) {
  const TMoji& m = PlaceLabel(30, 40, "system");
  TMoji system = m;
  system.BkColor = qtk::clWindow;
  editor->doc.ChangeText(m, system);
  Tool(TScrivletForm1::kSelect1);
  Click(32, 42);
  ASSERT_EQ(editor->doc.SelectedText(), &m);
  EXPECT_EQ(editor->InsText.GetColor(), qtk::clWindow);
  EXPECT_EQ(editor->InsText.Font().color, qtk::clWindowText);
}

TEST_F(AnnotTextLoad, AdjustTextPanel_Should_FitRowToEntryField) {
  // The row's fit: its lowest child and the one-pixel margin it has above its children.
  auto fit = [&] {
    return std::max({editor->InsText.Bounds().bottom, editor->FName.Bounds().bottom,
                     editor->TextOKButton.Bounds().bottom}) +
           1;
  };
  const int initial = editor->Panel2.Height();
  editor->InsText.SetFont(BigItalic());
  editor->AdjustTextPanel();
  EXPECT_GT(editor->Panel2.Height(), initial);
  EXPECT_EQ(editor->Panel2.Height(), editor->InsText.Bounds().bottom + 1);
  editor->InsText.SetFont(qtk::FontSpec{});
  editor->AdjustTextPanel();
  EXPECT_EQ(editor->Panel2.Height(), fit());
  EXPECT_EQ(editor->Panel2.Height(), initial);
}

class AnnotTextPoint : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    editor->Show();
    // Topmost, so that windows of tests running beside this one cannot cover the picture.
    SetWindowPos(editor->Handle(), HWND_TOPMOST, 0, 0, 700, 500, SWP_SHOWWINDOW);
    Pump();
  }
  uint32_t Screen(int x, int y) {
    UpdateWindow(Picture());
    HDC dc = GetDC(Picture());
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Picture(), dc);
    return c;
  }
};

TEST_F(AnnotTextPoint, Release_Should_MarkPointOnScreenOnly) {
  Tool(TScrivletForm1::kText1);
  Pump();
  Press(30, 200);
  Release(40, 50);
  EXPECT_EQ(editor->textPoint.x, 40);
  EXPECT_EQ(editor->textPoint.y, 50);
  EXPECT_EQ(editor->toolMode, kToolTextPoint);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 40, 55), kWhite);  // not in the picture
  EXPECT_EQ(Screen(40, 55), 0u);  // a 12-pixel inverted bar down from the point
  EXPECT_EQ(Screen(40, 61), 0u);
  EXPECT_EQ(Screen(40, 45), kWhite);
  EXPECT_EQ(Screen(40, 66), kWhite);
  EXPECT_EQ(Screen(60, 55), kWhite);
  // A second press takes it away and goes back to mode 20.
  Press(100, 100);
  EXPECT_EQ(editor->toolMode, kToolText);
  EXPECT_EQ(Screen(40, 55), kWhite);
  Release(100, 100);
  EXPECT_EQ(editor->toolMode, kToolTextPoint);
  EXPECT_EQ(Screen(100, 105), 0u);
  // A repaint keeps the marker; confirming uses the point and takes the marker away.
  InvalidateRect(Picture(), nullptr, FALSE);
  EXPECT_EQ(Screen(100, 105), 0u);
  editor->InsText.SetText("here");
  editor->TextOKButton.Click();
  ASSERT_EQ(editor->doc.Texts().size(), 1u);
  EXPECT_EQ(editor->doc.Texts()[0].X, 100);
  EXPECT_EQ(editor->doc.Texts()[0].Y, 100);
  EXPECT_EQ(Screen(99, 125), kWhite);
}

// The marker lies on the picture, shown one pixel per pixel: 4 wide at any density, and taken
// away whole.
TEST_F(AnnotTextPoint, Marker_Should_BeFourWide_AndGoAwayWhole_AtAnyDensity) {
  Tool(TScrivletForm1::kText1);
  for (int dpi : {96, 192, 288}) {
    SCOPED_TRACE(dpi);
    MoveToDpi(editor->Handle(), dpi);
    Pump();
    Click(40, 50);
    const int half = 2;
    EXPECT_EQ(Screen(40 - half, 55), 0u);
    EXPECT_EQ(Screen(40 + half - 1, 55), 0u);
    EXPECT_EQ(Screen(40 - half - 1, 55), kWhite) << "the marker is 4 wide";
    EXPECT_EQ(Screen(40 + half, 55), kWhite);
    Press(100, 100);
    for (int x = 40 - 2 * half; x <= 40 + 2 * half; ++x)
      EXPECT_EQ(Screen(x, 55), kWhite) << "x=" << x;
    Release(100, 100);
    Press(10, 150);  // the marker at (100, 100) away too, before the next round
  }
}

TEST_F(AnnotTextPoint, DrawTextPoint_Should_DrawNothing_When_PointFarOutside) {
  editor->toolMode = kToolTextPoint;
  editor->textPoint = {INT_MAX, INT_MAX};
  editor->DrawTextPoint();
  editor->textPoint = {5, INT_MAX - 3};
  editor->DrawTextPoint();
  editor->textPoint = {5, INT_MIN};
  editor->DrawTextPoint();
  for (int y = 0; y < 100; y += 7) EXPECT_EQ(Screen(5, y), kWhite) << y;
  editor->textPoint = {5, -6};
  editor->DrawTextPoint();
  EXPECT_EQ(Screen(5, 0), 0u);
  EXPECT_EQ(Screen(5, 5), 0u);
  EXPECT_EQ(Screen(5, 11), kWhite);
}

}  // namespace
}  // namespace quillora::testing_support
