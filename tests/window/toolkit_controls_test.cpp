// Window tests of the toolkit's controls, driven with the messages a user's actions produce.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/action.h"
#include "toolkit/app.h"
#include "toolkit/bars.h"
#include "toolkit/controls.h"
#include "window/toolkit_test_form.h"

namespace {

using namespace qtk_test;
using qtk::MouseButton;

// ---- ColorGrid -----------------------------------------------------------------------------

class ColorGridPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.Create(form.Handle(), 10, 10, 160, 40);  // cells of 20 x 20
    grid.onClick = [this] { ++clicks; };
  }
  TestForm& form = SharedForm();
  qtk::ColorGrid grid;
  int clicks = 0;
};

TEST_F(ColorGridPointer, LeftPress_Should_ChooseTheCellUnderThePointer) {
  SendMessageA(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Lp(45, 30));
  EXPECT_EQ(grid.ForegroundIndex(), 10);
  EXPECT_EQ(grid.ForegroundColor(), qtk::clLime);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(GetCapture(), grid.Handle());
  SendMessageA(grid.Handle(), WM_LBUTTONUP, 0, Lp(45, 30));
  EXPECT_EQ(clicks, 1);
  EXPECT_NE(GetCapture(), grid.Handle());
}

TEST_F(ColorGridPointer, DragOutside_Should_FollowTheEdgeAndNotClick) {
  SendMessageA(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Lp(5, 5));
  EXPECT_EQ(grid.ForegroundIndex(), 0);
  SendMessageA(grid.Handle(), WM_MOUSEMOVE, MK_LBUTTON, Lp(500, -50));
  EXPECT_EQ(grid.ForegroundIndex(), 7);
  SendMessageA(grid.Handle(), WM_MOUSEMOVE, MK_LBUTTON, Lp(-30, 90));
  EXPECT_EQ(grid.ForegroundIndex(), 8);
  SendMessageA(grid.Handle(), WM_LBUTTONUP, 0, Lp(-30, 90));
  EXPECT_EQ(grid.ForegroundIndex(), 8);
  EXPECT_EQ(clicks, 0);
  EXPECT_NE(GetCapture(), grid.Handle());
  // Without a button held the pointer chooses nothing.
  SendMessageA(grid.Handle(), WM_MOUSEMOVE, 0, Lp(150, 5));
  EXPECT_EQ(grid.ForegroundIndex(), 8);
}

TEST_F(ColorGridPointer, RightRelease_Should_ClickAndKeepTheForeground_WhereverItLands) {
  grid.SetForegroundIndex(12);
  SendMessageA(grid.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Lp(5, 5));
  EXPECT_EQ(GetCapture(), grid.Handle()) << "a release outside would not come to the grid";
  SendMessageA(grid.Handle(), WM_RBUTTONUP, 0, Lp(500, 300));
  EXPECT_NE(GetCapture(), grid.Handle());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(grid.ForegroundIndex(), 12);
  EXPECT_EQ(grid.ForegroundColor(), qtk::clBlue);
}

TEST_F(ColorGridPointer, Paint_Should_ShowTheSixteenColours) {
  UpdateWindow(grid.Handle());
  HDC dc = GetDC(grid.Handle());
  for (int i = 0; i < 16; ++i) {
    int x = (i % 8) * 20 + 4, y = (i / 8) * 20 + 4;  // a corner of the cell, clear of "FG"
    EXPECT_EQ(GetPixel(dc, x, y), qtk::ColorGrid::CellColor(i)) << "cell " << i;
  }
  ReleaseDC(grid.Handle(), dc);
}

// ---- SpinEdit ------------------------------------------------------------------------------

class SpinEditClamp : public ::testing::Test {
 protected:
  void SetUp() override {
    spin.Create(form.Handle(), 10, 10, 20, 36, 1, 3, 2);
    spin.onChange = [this] { ++changes; };
    spin.onClick = [this] { ++clicks; };
  }
  void Press(bool up) { LeftClick(spin.Handle(), POINT{10, up ? 6 : 30}); }
  TestForm& form = SharedForm();
  qtk::SpinEdit spin;
  int changes = 0, clicks = 0;
};

TEST_F(SpinEditClamp, UpArrow_Should_StepUpToTheMaximum) {
  Press(true);
  EXPECT_EQ(spin.Value(), 3);
  EXPECT_EQ(changes, 1);
  Press(true);
  EXPECT_EQ(spin.Value(), 3);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 2);
}

TEST_F(SpinEditClamp, DownArrow_Should_StepDownToTheMinimum) {
  Press(false);
  Press(false);
  Press(false);
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_EQ(changes, 1);
  Press(true);
  EXPECT_EQ(spin.Value(), 2);
  EXPECT_EQ(changes, 2);
}

TEST_F(SpinEditClamp, SetValue_Should_ClampAndNotifyOnlyChanges) {
  spin.SetValue(50);
  EXPECT_EQ(spin.Value(), 3);
  spin.SetValue(3);
  EXPECT_EQ(changes, 1);
  spin.SetValue(-4);
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(clicks, 0);
}

TEST_F(SpinEditClamp, ArrowKeys_Should_StepTheValue) {
  SendMessageA(spin.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(spin.Handle(), WM_KEYUP, VK_DOWN, 0);
  EXPECT_EQ(spin.Value(), 1);
}

// ---- ScrollBox -----------------------------------------------------------------------------

class ScrollBoxRange : public ::testing::Test {
 protected:
  void SetUp() override {
    box.Create(form.Handle(), 0, 0, 200, 150, qtk::clSilver);
    picture.Create(box.Handle(), 0, 0, 400, 300, false);
  }
  bool HasBar(int bar) const {
    return GetWindowLongA(box.Handle(), GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL);
  }
  RECT Client() const {
    RECT r{};
    GetClientRect(box.Handle(), &r);
    return r;
  }
  TestForm& form = SharedForm();
  qtk::ScrollBox box;
  qtk::Panel picture;
};

TEST_F(ScrollBoxRange, SetContentSize_Should_ShowOnlyTheBarsThatAreNeeded) {
  box.SetContentSize(100, 100);
  EXPECT_FALSE(HasBar(SB_HORZ));
  EXPECT_FALSE(HasBar(SB_VERT));
  box.SetContentSize(400, 100);
  EXPECT_TRUE(HasBar(SB_HORZ));
  EXPECT_FALSE(HasBar(SB_VERT));
  box.SetContentSize(400, 300);
  EXPECT_TRUE(HasBar(SB_HORZ));
  EXPECT_TRUE(HasBar(SB_VERT));
  SCROLLINFO si{sizeof(si), SIF_ALL};
  GetScrollInfo(box.Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 299);
  EXPECT_EQ(static_cast<int>(si.nPage), Client().bottom);
}

TEST_F(ScrollBoxRange, ScrollRequests_Should_MoveTheContent) {
  box.SetContentSize(400, 300);
  SendMessageA(box.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(box.ScrollPosition().y, 16);
  EXPECT_EQ(picture.Bounds().top, -16);
  SendMessageA(box.Handle(), WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(box.ScrollPosition().x, Client().right);
  EXPECT_EQ(picture.Bounds().left, -Client().right);
  SendMessageA(box.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(box.ScrollPosition().y, 300 - Client().bottom);
  EXPECT_EQ(picture.Bounds().bottom, Client().bottom);
  SendMessageA(box.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(box.ScrollPosition().y, 300 - Client().bottom - 48);
  box.ScrollTo(-5, -5);
  EXPECT_EQ(box.ScrollPosition().x, 0);
  EXPECT_EQ(box.ScrollPosition().y, 0);
  EXPECT_EQ(picture.Bounds().left, 0);
  EXPECT_EQ(picture.Bounds().top, 0);
}

TEST_F(ScrollBoxRange, Growing_Should_ClampThePositionAndDropTheBars) {
  box.SetContentSize(400, 300);
  box.ScrollTo(1000, 1000);
  box.SetBounds(0, 0, 500, 400);
  EXPECT_FALSE(HasBar(SB_HORZ));
  EXPECT_FALSE(HasBar(SB_VERT));
  EXPECT_EQ(box.ScrollPosition().x, 0);
  EXPECT_EQ(box.ScrollPosition().y, 0);
  EXPECT_EQ(picture.Bounds().left, 0);
  EXPECT_EQ(picture.Bounds().top, 0);
}

// A real drag of the thumb: the picture has to move before the button is released.
TEST_F(ScrollBoxRange, ThumbDrag_Should_MoveThePictureWhileDragging) {
  box.SetContentSize(400, 1200);
  Pump();
  SCROLLBARINFO sbi{sizeof(sbi)};
  ASSERT_TRUE(GetScrollBarInfo(box.Handle(), OBJID_VSCROLL, &sbi));
  POINT start{(sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2,
              sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2};
  SetCursorPos(start.x, start.y);
  POINT moved = start;
  moved.y += 40;
  ScreenToClient(box.Handle(), &moved);

  int midDrag = -1, pictureTop = 1;
  form.onMessage = [&](UINT msg, WPARAM, LPARAM) {
    if (msg != WM_APP) return;
    midDrag = box.ScrollPosition().y;
    pictureTop = picture.Bounds().top;
  };
  PostMessageA(box.Handle(), WM_MOUSEMOVE, MK_LBUTTON, Lp(moved.x, moved.y));
  PostMessageA(form.Handle(), WM_APP, 0, 0);
  PostMessageA(box.Handle(), WM_LBUTTONUP, 0, Lp(moved.x, moved.y));
  SendMessageA(box.Handle(), WM_NCLBUTTONDOWN, HTVSCROLL, Lp(start.x, start.y));
  form.onMessage = nullptr;

  EXPECT_GT(midDrag, 0);
  EXPECT_EQ(pictureTop, -midDrag);
  EXPECT_EQ(box.ScrollPosition().y, midDrag);
}

// ---- StatusBar -----------------------------------------------------------------------------

TEST(StatusBarPanels, Create_Should_SitAtTheBottomWithThePanelEdges) {
  TestForm& form = SharedForm();
  qtk::StatusBar bar;
  bar.Create(form.Handle(), {400, 50});
  int edges[4] = {};
  ASSERT_EQ(SendMessageA(bar.Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 400);
  EXPECT_EQ(edges[1], -1);
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(bar.Bounds().bottom, client.bottom);
  EXPECT_EQ(bar.Width(), client.right);
  form.SetSize(500, 300);
  SendMessageA(bar.Handle(), WM_SIZE, 0, 0);
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(bar.Bounds().bottom, client.bottom);
}

TEST(StatusBarPanels, SetPanelText_Should_KeepTheTextWithoutTheCentringTab) {
  TestForm& form = SharedForm();
  qtk::StatusBar bar;
  bar.Create(form.Handle(), {400, 50});
  bar.SetPanelText(0, "ファイルを開きます");
  bar.SetPanelText(1, "X:12 Y:34", true);
  EXPECT_EQ(bar.PanelText(0), "ファイルを開きます");
  EXPECT_EQ(bar.PanelText(1), "X:12 Y:34");
  EXPECT_EQ(bar.PanelText(2), "");
  char text[64] = "";
  SendMessageA(bar.Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "ファイルを開きます");
}

// ---- Buttons and edits ---------------------------------------------------------------------

TEST(ButtonAction, Button_Should_FollowAndRunItsAction) {
  TestForm& form = SharedForm();
  qtk::Action color({.name = "FontColor", .caption = "文字色(&C)", .hint = "文字色|文字の色"});
  int runs = 0;
  color.onExecute = [&] { ++runs; };
  qtk::Button button;
  button.Create(form.Handle(), 10, 10, 80, 24, "文字色");
  button.SetAction(&color);
  EXPECT_EQ(button.Text(), "文字色");  // keeps its own caption
  EXPECT_EQ(button.Hint(), "文字色|文字の色");
  LeftClick(button.Handle(), POINT{10, 10});
  EXPECT_EQ(runs, 1);
  color.SetEnabled(false);
  EXPECT_FALSE(button.Enabled());
  button.Click();
  EXPECT_EQ(runs, 1);
}

TEST(ButtonAction, Button_Should_ShowTheFontAboveIt_When_ItHasNoneOfItsOwn) {
  qtk::Panel panel;
  panel.Create(SharedForm().Handle(), 0, 0, 200, 60, false);
  panel.SetFont(qtk::FontSpec{.name = "ＭＳ Ｐゴシック", .height = -17});
  qtk::Button button;
  button.Create(panel.Handle(), 10, 10, 80, 24, "確　定");
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(button.Handle(), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(font.lfHeight, button.Scale(-17));
}

TEST(ButtonAction, CheckBox_Should_ToggleOnAClick) {
  TestForm& form = SharedForm();
  qtk::CheckBox box;
  box.Create(form.Handle(), 10, 10, 120, 20, "横向き印刷");
  int clicks = 0;
  box.onClick = [&] { ++clicks; };
  LeftClick(box.Handle(), POINT{5, 10});
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
  box.SetChecked(false);
  EXPECT_FALSE(box.Checked());
}

TEST(RadioGroupIndex, Click_Should_ChooseOneItem) {
  TestForm& form = SharedForm();
  qtk::RadioGroup group;
  group.Create(form.Handle(), 10, 10, 150, 100, "向き", {"縦", "横", "自動"});
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(2);
  EXPECT_EQ(group.ItemIndex(), 2);
  LeftClick(group.ItemHandle(0), POINT{5, 5});
  EXPECT_EQ(group.ItemIndex(), 0);
  EXPECT_NE(SendMessageA(group.ItemHandle(2), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(EditBehaviour, AutoSize_Should_FollowTheFont) {
  TestForm& form = SharedForm();
  qtk::Edit edit;
  edit.Create(form.Handle(), 10, 10, 200, 50,
              {.readOnly = false, .border = true, .autoSize = true});
  int small = edit.Height();
  EXPECT_LT(small, 50);
  qtk::FontSpec big;
  big.height = -30;
  edit.SetFont(big);
  EXPECT_GT(edit.Height(), small + 10);
  EXPECT_EQ(edit.Height(), edit.FitHeight());
}

TEST(EditBehaviour, Changes_Should_FireOnChangeAndClicksOnClick) {
  TestForm& form = SharedForm();
  qtk::Edit edit;
  edit.Create(form.Handle(), 10, 10, 200, 22, {.readOnly = true});
  int changes = 0, clicks = 0;
  edit.onChange = [&] { ++changes; };
  edit.onClick = [&] { ++clicks; };
  edit.SetText("ＭＳ ゴシック");
  EXPECT_EQ(changes, 1);
  LeftClick(edit.Handle(), POINT{5, 5});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(edit.Text(), "ＭＳ ゴシック");
}

TEST(EditBehaviour, Memo_Should_ShowLinesReadOnly) {
  TestForm& form = SharedForm();
  qtk::Memo memo;
  memo.Create(form.Handle(), 10, 10, 200, 80);
  memo.SetText("一行目\r\n二行目\r\n三行目");
  EXPECT_EQ(SendMessageA(memo.Handle(), EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_TRUE(GetWindowLongA(memo.Handle(), GWL_STYLE) & ES_READONLY);
  SendMessageA(memo.Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(memo.Text(), "一行目\r\n二行目\r\n三行目");
}

// ---- PaintBox ------------------------------------------------------------------------------

TEST(PaintBoxPointer, Pointer_Should_ReachTheHandlersWithSignedPositions) {
  TestForm& form = SharedForm();
  qtk::PaintBox box;
  box.Create(form.Handle(), 10, 10, 100, 100);
  std::vector<std::string> events;
  auto name = [](MouseButton b) {
    return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M";
  };
  box.onPress = [&](MouseButton b, int x, int y) {
    events.push_back(std::string("press ") + name(b) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  };
  box.onMove = [&](int x, int y) {
    events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  box.onRelease = [&](MouseButton b, int x, int y) {
    events.push_back(std::string("release ") + name(b) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  };
  bool contextMenu = false;
  form.onMessage = [&](UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wp) == box.Handle()) contextMenu = true;
  };

  SendMessageA(box.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Lp(5, 6));
  EXPECT_EQ(GetCapture(), box.Handle());
  SendMessageA(box.Handle(), WM_MOUSEMOVE, MK_LBUTTON, Lp(-20, -3));
  SendMessageA(box.Handle(), WM_LBUTTONUP, 0, Lp(-20, -3));
  EXPECT_NE(GetCapture(), box.Handle());
  SendMessageA(box.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Lp(7, 8));
  SendMessageA(box.Handle(), WM_RBUTTONUP, 0, Lp(7, 8));
  form.onMessage = nullptr;

  EXPECT_EQ(events, (std::vector<std::string>{"press L 5,6", "move -20,-3", "release L -20,-3",
                                              "press R 7,8", "release R 7,8"}));
  EXPECT_TRUE(contextMenu);
}

TEST(PaintBoxPointer, Paint_Should_DrawThroughTheKeptCanvas) {
  TestForm& form = SharedForm();
  qtk::PaintBox box;
  box.Create(form.Handle(), 10, 10, 50, 50);
  box.GetCanvas().SetBrushColor(qtk::clRed);
  int paints = 0;
  RECT painted{};
  box.onPaint = [&](HDC dc, const RECT& area) {
    ++paints;
    painted = area;
    EXPECT_EQ(dc, box.GetCanvas().Handle());
    box.GetCanvas().FillRect(RECT{0, 0, 50, 50});
  };
  box.Invalidate();
  UpdateWindow(box.Handle());
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(painted.right, 50);
  EXPECT_EQ(box.GetCanvas().BrushColor(), qtk::clRed);
  HDC dc = GetDC(box.Handle());
  EXPECT_EQ(GetPixel(dc, 25, 25), qtk::clRed);
  ReleaseDC(box.Handle(), dc);
}

}  // namespace
