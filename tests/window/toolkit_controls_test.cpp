// Window tests of the toolkit's controls, driven with the messages a user's actions produce.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/action.h"
#include "toolkit/app.h"
#include "toolkit/bars.h"
#include "toolkit/controls.h"

namespace {

using qtk::MouseButton;

LPARAM Lp(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void Pump() { qtk::Application::Get().ProcessMessages(); }

// A visible top-level window at the screen's corner that reports the messages it gets.
class TestForm : public qtk::Form {
public:
  TestForm() {
    CreateForm("QtkControlsTestForm", "controls", WS_OVERLAPPEDWINDOW, 0, 640, 480, nullptr);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
  }
  std::function<void(UINT, WPARAM, LPARAM)> onMessage;

protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (onMessage) onMessage(msg, wp, lp);
    return Form::OnMessage(msg, wp, lp);
  }
};

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void LeftClick(HWND hwnd, POINT pt) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(pt.x, pt.y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, Lp(pt.x, pt.y));
}

// Collects the boxes that the standard error display shows.
class BoxCatcher {
public:
  BoxCatcher() : saved_(qtk::Application::Get().messageBoxHook) {
    qtk::Application::Get().messageBoxHook = [this](const std::string& text, const std::string&,
                                                    UINT) {
      texts.push_back(text);
      return IDOK;
    };
  }
  ~BoxCatcher() { qtk::Application::Get().messageBoxHook = saved_; }
  std::vector<std::string> texts;

private:
  std::function<int(const std::string&, const std::string&, UINT)> saved_;
};

// ---- ToolBar -------------------------------------------------------------------------------

class ToolBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    HDC screen = GetDC(nullptr);
    glyphs_.reset(CreateCompatibleBitmap(screen, 16 * 4, 16));
    ReleaseDC(nullptr, screen);
    bar.Create(form.Handle(), glyphs_.get(), 4);
  }
  qtk::ToolBar::ButtonArgs Toggle(const std::string& name, bool allowAllUp) {
    qtk::ToolBar::ButtonArgs a;
    a.name = name;
    a.caption = name;
    a.hint = name + "|long " + name;
    a.glyph = 1;
    a.toggle = true;
    a.allowAllUp = allowAllUp;
    a.onClick = [this, name] { clicks.push_back(name); };
    return a;
  }
  void AddGroup() {
    bar.AddButton(Toggle("Pick", false));
    bar.AddButton(Toggle("Select", true));
    bar.AddButton(Toggle("Line", true));
  }
  void UserClick(const std::string& name) { LeftClick(bar.Handle(), Centre(bar.ButtonRect(name))); }
  int CommandId(const std::string& name) {
    TBBUTTON tb{};
    SendMessageA(bar.Handle(), TB_GETBUTTON, bar.ButtonIndex(name), reinterpret_cast<LPARAM>(&tb));
    return tb.idCommand;
  }

  TestForm form;
  qtk::BitmapObject glyphs_;
  qtk::ToolBar bar;
  std::vector<std::string> clicks;
};

using ToolBarGroup = ToolBarTest;

TEST_F(ToolBarGroup, UserClick_Should_PutTheOtherTogglesUp) {
  AddGroup();
  UserClick("Select");
  EXPECT_TRUE(bar.Down("Select"));
  UserClick("Line");
  EXPECT_TRUE(bar.Down("Line"));
  EXPECT_FALSE(bar.Down("Select"));
  EXPECT_FALSE(bar.Down("Pick"));
  EXPECT_EQ(clicks, (std::vector<std::string>{"Select", "Line"}));
}

TEST_F(ToolBarGroup, UserClickOnDownButton_Should_KeepItDownWhenAllUpIsNotAllowed) {
  AddGroup();
  UserClick("Pick");
  UserClick("Pick");
  EXPECT_TRUE(bar.Down("Pick"));
  EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(ToolBarGroup, UserClickOnDownButton_Should_PutItUpWhenAllUpIsAllowed) {
  AddGroup();
  UserClick("Line");
  UserClick("Line");
  EXPECT_FALSE(bar.Down("Line"));
  EXPECT_FALSE(bar.Down("Pick"));
  EXPECT_FALSE(bar.Down("Select"));
}

TEST_F(ToolBarGroup, Click_Should_TakeTheUserPath) {
  AddGroup();
  bar.Click("Pick");
  EXPECT_TRUE(bar.Down("Pick"));
  bar.Click("Pick");
  EXPECT_TRUE(bar.Down("Pick"));
  bar.Click("Select");
  EXPECT_TRUE(bar.Down("Select"));
  EXPECT_FALSE(bar.Down("Pick"));
  bar.Click("Select");
  EXPECT_FALSE(bar.Down("Select"));
  EXPECT_EQ(clicks, (std::vector<std::string>{"Pick", "Pick", "Select", "Select"}));
}

TEST_F(ToolBarGroup, SetDown_Should_PutTheOthersUpWithoutAClick) {
  AddGroup();
  bar.SetDown("Line", true);
  bar.SetDown("Select", true);
  EXPECT_TRUE(bar.Down("Select"));
  EXPECT_FALSE(bar.Down("Line"));
  bar.SetDown("Select", false);
  EXPECT_FALSE(bar.Down("Select"));
  EXPECT_TRUE(clicks.empty());
}

TEST_F(ToolBarGroup, HiddenToggle_Should_TakeNoRoom) {
  AddGroup();
  auto hidden = Toggle("Arrow", true);
  hidden.visible = false;
  bar.AddButton(hidden);
  EXPECT_FALSE(bar.ButtonVisible("Arrow"));
  EXPECT_TRUE(bar.ButtonVisible("Line"));
  RECT r = bar.ButtonRect("Arrow");
  EXPECT_EQ(r.right - r.left, 0);
}

using ToolBarActions = ToolBarTest;

TEST_F(ToolBarActions, PushButton_Should_RunItsActionAndFollowItsState) {
  qtk::Action save({.name = "Save", .caption = "保存", .hint = "保存|ファイルに保存します", .glyph = 2});
  int runs = 0;
  save.onExecute = [&] { ++runs; };
  qtk::ToolBar::ButtonArgs a;
  a.name = "SaveButton";
  a.action = &save;
  bar.AddButton(a);
  AddGroup();

  UserClick("SaveButton");
  EXPECT_EQ(runs, 1);
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(CommandId("SaveButton"), 0),
               reinterpret_cast<LPARAM>(bar.Handle()));
  EXPECT_EQ(runs, 2);

  int lineLeft = bar.ButtonRect("Line").left;
  save.SetEnabled(false);
  EXPECT_FALSE(bar.ButtonEnabled("SaveButton"));
  UserClick("SaveButton");
  bar.Click("SaveButton");
  EXPECT_EQ(runs, 2);
  save.SetVisible(false);
  EXPECT_FALSE(bar.ButtonVisible("SaveButton"));
  EXPECT_LT(bar.ButtonRect("Line").left, lineLeft);
  save.SetEnabled(true);
  save.SetVisible(true);
  EXPECT_TRUE(bar.ButtonEnabled("SaveButton"));
  EXPECT_TRUE(bar.ButtonVisible("SaveButton"));
}

TEST_F(ToolBarActions, FailingAction_Should_ShowTheErrorAndKeepGoing) {
  qtk::Action bad({.name = "Bad", .caption = "Bad"});
  bad.onExecute = [] { throw std::runtime_error("壊れました"); };
  qtk::ToolBar::ButtonArgs a;
  a.name = "BadButton";
  a.action = &bad;
  bar.AddButton(a);
  BoxCatcher boxes;
  UserClick("BadButton");
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find("壊れました"), std::string::npos);
}

TEST_F(ToolBarActions, HintAt_Should_GiveTheButtonsHintAndNothingElsewhere) {
  qtk::Action open({.name = "Open", .caption = "開く", .hint = "開く|ファイルを開きます"});
  qtk::ToolBar::ButtonArgs a;
  a.name = "OpenButton";
  a.action = &open;
  bar.AddButton(a);
  qtk::ToolBar::ButtonArgs sep;
  sep.name = "Gap";
  sep.separatorWidth = 8;
  bar.AddButton(sep);
  AddGroup();
  EXPECT_EQ(bar.HintAt(Centre(bar.ButtonRect("OpenButton"))), "開く|ファイルを開きます");
  EXPECT_EQ(bar.HintAt(Centre(bar.ButtonRect("Select"))), "Select|long Select");
  EXPECT_EQ(bar.HintAt(Centre(bar.ButtonRect("Gap"))), "");
  EXPECT_EQ(bar.HintAt(POINT{bar.IdealSize().cx + 50, 5}), "");
}

TEST_F(ToolBarActions, AddControl_Should_PlaceTheWindowAfterTheButtons) {
  AddGroup();
  qtk::Panel panel;
  panel.Create(form.Handle(), 0, 0, 120, 24, false);
  bar.AddControl(panel, 120);
  EXPECT_EQ(GetParent(panel.Handle()), bar.Handle());
  RECT r = panel.Bounds();
  EXPECT_GE(r.left, bar.ButtonRect("Line").right);
  EXPECT_GE(bar.IdealSize().cx, r.right);
  EXPECT_EQ(bar.Width(), bar.IdealSize().cx);
}

// The tool bar asks for a button's tip through its parent, also when that is a band bar.
TEST_F(ToolBarActions, Tooltip_Should_ShowTheShortHintInsideABandBar) {
  qtk::CoolBar cool;
  cool.Create(form.Handle());
  qtk::ToolBar inner;
  inner.Create(cool.Handle(), glyphs_.get(), 4);
  qtk::ToolBar::ButtonArgs a = Toggle("Line", true);
  a.hint = "直線|直線を書きます";
  inner.AddButton(a);
  cool.AddBand(inner, 26);

  HWND tip = reinterpret_cast<HWND>(SendMessageA(inner.Handle(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tip, nullptr);
  TBBUTTON tb{};
  SendMessageA(inner.Handle(), TB_GETBUTTON, inner.ButtonIndex("Line"), reinterpret_cast<LPARAM>(&tb));
  char text[256] = "";
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = inner.Handle();
  ti.uId = static_cast<UINT_PTR>(tb.idCommand);
  ti.lpszText = text;
  SendMessageA(tip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(text, "直線");

  LeftClick(inner.Handle(), Centre(inner.ButtonRect("Line")));
  EXPECT_TRUE(inner.Down("Line"));
  EXPECT_EQ(clicks, (std::vector<std::string>{"Line"}));
}

// ---- CoolBar -------------------------------------------------------------------------------

TEST(CoolBarBands, AddBand_Should_StackTheBandsTopToBottom) {
  TestForm form;
  qtk::CoolBar cool;
  cool.Create(form.Handle());
  qtk::Panel first, second;
  first.Create(cool.Handle(), 0, 0, 300, 22, false);
  second.Create(cool.Handle(), 0, 0, 300, 40, false);
  int changes = 0;
  cool.onHeightChange = [&] { ++changes; };
  cool.AddBand(first, 22);
  cool.AddBand(second, 40);
  SendMessageA(cool.Handle(), WM_SIZE, 0, 0);
  EXPECT_GE(second.Bounds().top, first.Bounds().bottom);
  EXPECT_GE(cool.BarHeight(), 62);
  EXPECT_GT(changes, 0);

  int before = cool.BarHeight();
  changes = 0;
  cool.SetBandMinHeight(1, 60);
  EXPECT_GE(cool.BarHeight(), before + 20);
  EXPECT_GT(changes, 0);
  EXPECT_EQ(cool.Bounds().top, 0);
}

// ---- ColorGrid -----------------------------------------------------------------------------

class ColorGridPointer : public ::testing::Test {
protected:
  void SetUp() override {
    grid.Create(form.Handle(), 10, 10, 160, 40);  // cells of 20 x 20
    grid.onClick = [this] { ++clicks; };
  }
  TestForm form;
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

TEST_F(ColorGridPointer, RightRelease_Should_ClickAndKeepTheForeground) {
  grid.SetForegroundIndex(12);
  SendMessageA(grid.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Lp(5, 5));
  SendMessageA(grid.Handle(), WM_RBUTTONUP, 0, Lp(5, 5));
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
  TestForm form;
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
  TestForm form;
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
  TestForm form;
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
  TestForm form;
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
  TestForm form;
  qtk::Action color({.name = "FontColor", .caption = "文字色(&C)", .hint = "文字色|文字の色"});
  int runs = 0;
  color.onExecute = [&] { ++runs; };
  qtk::Button button;
  button.Create(form.Handle(), 10, 10, 80, 24, "");
  button.SetAction(&color);
  EXPECT_EQ(button.Text(), "文字色(&C)");
  EXPECT_EQ(button.Hint(), "文字色|文字の色");
  LeftClick(button.Handle(), POINT{10, 10});
  EXPECT_EQ(runs, 1);
  color.SetEnabled(false);
  EXPECT_FALSE(button.Enabled());
  button.Click();
  EXPECT_EQ(runs, 1);
}

TEST(ButtonAction, CheckBox_Should_ToggleOnAClick) {
  TestForm form;
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
  TestForm form;
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
  TestForm form;
  qtk::Edit edit;
  edit.Create(form.Handle(), 10, 10, 200, 50, {.readOnly = false, .border = true, .autoSize = true});
  int small = edit.Height();
  EXPECT_LT(small, 50);
  qtk::FontSpec big;
  big.height = -30;
  edit.SetFont(big);
  EXPECT_GT(edit.Height(), small + 10);
  EXPECT_EQ(edit.Height(), edit.FitHeight());
}

TEST(EditBehaviour, Changes_Should_FireOnChangeAndClicksOnClick) {
  TestForm form;
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

// ---- PaintBox ------------------------------------------------------------------------------

TEST(PaintBoxPointer, Pointer_Should_ReachTheHandlersWithSignedPositions) {
  TestForm form;
  qtk::PaintBox box;
  box.Create(form.Handle(), 10, 10, 100, 100);
  std::vector<std::string> events;
  auto name = [](MouseButton b) {
    return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M";
  };
  box.onPress = [&](MouseButton b, int x, int y) {
    events.push_back(std::string("press ") + name(b) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  box.onMove = [&](int x, int y) {
    events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  box.onRelease = [&](MouseButton b, int x, int y) {
    events.push_back(std::string("release ") + name(b) + " " + std::to_string(x) + "," + std::to_string(y));
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
  TestForm form;
  qtk::PaintBox box;
  box.Create(form.Handle(), 10, 10, 50, 50);
  box.GetCanvas().SetBrushColor(qtk::clRed);
  int paints = 0;
  box.onPaint = [&] {
    ++paints;
    box.GetCanvas().FillRect(RECT{0, 0, 50, 50});
  };
  box.Invalidate();
  UpdateWindow(box.Handle());
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(box.GetCanvas().BrushColor(), qtk::clRed);
  HDC dc = GetDC(box.Handle());
  EXPECT_EQ(GetPixel(dc, 25, 25), qtk::clRed);
  ReleaseDC(box.Handle(), dc);
}

}  // namespace
