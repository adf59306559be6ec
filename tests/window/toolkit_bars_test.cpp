// Window tests of the tool bar and the band bar, driven with the messages of a user's clicks.
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

  TestForm& form = SharedForm();
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
  qtk::Action save(
      {.name = "Save", .caption = "保存", .hint = "保存|ファイルに保存します", .glyph = 2});
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

TEST_F(ToolBarActions, DisabledButton_Should_ShowAGreyGlyph) {
  // A strip of two glyphs on the white key: the second one solid red.
  HDC screen = GetDC(nullptr);
  qtk::BitmapObject strip(CreateCompatibleBitmap(screen, 32, 16));
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, strip.get());
  RECT all{0, 0, 32, 16}, red{18, 2, 30, 14};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  qtk::BrushObject redBrush(CreateSolidBrush(RGB(255, 0, 0)));
  FillRect(dc, &red, redBrush.get());
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  qtk::ToolBar tools;
  tools.Create(form.Handle(), strip.get(), 2);
  qtk::Action act({.name = "Print", .caption = "印刷", .glyph = 1});
  qtk::ToolBar::ButtonArgs a;
  a.name = "PrintButton";
  a.action = &act;
  tools.AddButton(a);
  auto centrePixel = [&] {
    RedrawWindow(tools.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    POINT c = Centre(tools.ButtonRect("PrintButton"));
    HDC wdc = GetDC(tools.Handle());
    COLORREF p = GetPixel(wdc, c.x, c.y);
    ReleaseDC(tools.Handle(), wdc);
    return p;
  };
  EXPECT_EQ(centrePixel(), RGB(255, 0, 0));
  act.SetEnabled(false);
  COLORREF grey = centrePixel();
  EXPECT_EQ(GetRValue(grey), GetGValue(grey));
  EXPECT_EQ(GetGValue(grey), GetBValue(grey));
  EXPECT_LT(GetRValue(grey), 255);
  // The caller's strip keeps its white background.
  HDC check = CreateCompatibleDC(nullptr);
  old = SelectObject(check, strip.get());
  EXPECT_EQ(GetPixel(check, 1, 1), RGB(255, 255, 255));
  SelectObject(check, old);
  DeleteDC(check);
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
  SendMessageA(inner.Handle(), TB_GETBUTTON, inner.ButtonIndex("Line"),
               reinterpret_cast<LPARAM>(&tb));
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
  TestForm& form = SharedForm();
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

}  // namespace
