// Tool modes and the left button on the picture: displays, tool buttons and menu items, line and
// select gestures, colour pick, status-bar position, buttons other than the left one.
#include <windows.h>

#include <gtest/gtest.h>

#include "toolkit/app.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF;

struct ModeRow {
  const char* button;
  int32_t mode;
  uint32_t colour;
  const char* name;
  const char* message;
};

const ModeRow kModes[] = {
    {TScrivletForm1::kSelect1, 1, 0x00FFFF, "  部分選択", " 文字背景色を\r\n 選択出来ます"},
    {TScrivletForm1::kLine1, 10, 0xFFFF00, "  直線描画", " 直線の色を\r\n 選択出来ます"},
    {TScrivletForm1::kArrow1, 15, 0xFFFFFF, "  矢印描画", " 矢印の色を\r\n 選択出来ます"},
    {TScrivletForm1::kText1, 20, 0x00FF00, "  文字描画", " 文字背景色を\r\n 選択出来ます"},
    {TScrivletForm1::kSpoide1, 50, 0xFFFF00, "  色の抽出", " 画像の中から\r\n 色を抽出！！"},
};

class PointerTools : public PictureTest {
 protected:
  void RunMenuItem(const char* name) {
    unsigned id = editor->PopupMenu2->CommandOf(name);
    ASSERT_NE(id, 0u) << name;
    qtk::Application::Get().RunCommand(id);
  }
};

TEST_F(PointerTools, UpdateToolMode_Should_SetModeAndDisplays_ForEveryButton) {
  EXPECT_EQ(editor->toolMode, 0);
  EXPECT_EQ(editor->NowMode.Text(), " NowMode");
  EXPECT_FALSE(editor->ToolBar1.ButtonVisible(TScrivletForm1::kArrow1));
  for (const ModeRow& row : kModes) {
    editor->ToolBar1.Click(row.button);
    EXPECT_EQ(editor->toolMode, row.mode) << row.button;
    EXPECT_TRUE(editor->ToolBar1.Down(row.button)) << row.button;
    EXPECT_EQ(editor->NowMode.Font().color, row.colour) << row.button;
    EXPECT_EQ(editor->NowMode.Text(), row.name) << row.button;
    EXPECT_EQ(editor->SelColor.Text(), row.message) << row.button;
    for (const ModeRow& other : kModes)
      if (other.button != row.button) EXPECT_FALSE(editor->ToolBar1.Down(other.button));
  }
}

TEST_F(PointerTools, UpdateToolMode_Should_ReachArrowMode_When_HiddenButtonPutDown) {
  Tool(TScrivletForm1::kLine1);
  editor->ToolBar1.SetDown(TScrivletForm1::kArrow1, true);
  EXPECT_FALSE(editor->ToolBar1.Down(TScrivletForm1::kLine1));
  editor->ToolButtonClick(kCmdArrow);
  EXPECT_EQ(editor->toolMode, kToolArrow);
  EXPECT_EQ(editor->NowMode.Text(), "  矢印描画");
  Press(10, 10);
  Move(40, 40);
  Release(40, 40);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_TRUE(editor->doc.Lines()[0].Arrow);
}

TEST_F(PointerTools, UpdateToolMode_Should_KeepMode_When_DownButtonClickedUp) {
  Tool(TScrivletForm1::kLine1);
  editor->doc.Select(&AddLine({1, 1, 50, 50, 5, kRed, false}));
  editor->InsText.SetText("typed");
  editor->ToolBar1.Click(TScrivletForm1::kLine1);
  EXPECT_FALSE(editor->ToolBar1.Down(TScrivletForm1::kLine1));
  EXPECT_EQ(editor->toolMode, kToolLine);
  EXPECT_EQ(editor->NowMode.Text(), "  直線描画");
  EXPECT_EQ(editor->doc.SelectedLine(), nullptr);
  EXPECT_EQ(editor->InsText.Text(), "");
  EXPECT_FALSE(editor->TextOKButton.Enabled());
}

TEST_F(PointerTools, Spoide1_Should_StayDown_When_ClickedAgain) {
  Tool(TScrivletForm1::kSpoide1);
  editor->ToolBar1.Click(TScrivletForm1::kSpoide1);
  EXPECT_TRUE(editor->ToolBar1.Down(TScrivletForm1::kSpoide1));
  EXPECT_EQ(editor->toolMode, kToolPick);
}

TEST_F(PointerTools, MenuItems_Should_PutButtonDownAndSetMode) {
  struct Item {
    const char* name;
    const char* button;
    int32_t mode;
  };
  const Item items[] = {{"Spoide2", TScrivletForm1::kSpoide1, 50},
                        {"Select2", TScrivletForm1::kSelect1, 1},
                        {"Line2", TScrivletForm1::kLine1, 10},
                        {"Text2", TScrivletForm1::kText1, 20}};
  for (const Item& item : items) {
    RunMenuItem(item.name);
    EXPECT_EQ(editor->toolMode, item.mode) << item.name;
    EXPECT_TRUE(editor->ToolBar1.Down(item.button)) << item.name;
  }
}

TEST_F(PointerTools, MenuItem_Should_EmptyEntry_When_ChosenFromEntryFieldsOwnMenu) {
  ASSERT_EQ(editor->InsText.PopupMenu(), editor->PopupMenu2.get());
  editor->InsText.SetText("lost on tool change");
  EXPECT_TRUE(editor->TextOKButton.Enabled());
  qtk::Application::Get().RunCommand(editor->InsText.PopupMenu()->CommandOf("Select2"));
  EXPECT_EQ(editor->toolMode, kToolSelect);
  EXPECT_EQ(editor->InsText.Text(), "");
  EXPECT_FALSE(editor->TextOKButton.Enabled());
}

TEST_F(PointerTools, MenuItem_Should_DropTextPoint_When_TextChosenAgain) {
  Tool(TScrivletForm1::kText1);
  Click(30, 30);
  ASSERT_EQ(editor->toolMode, kToolTextPoint);
  RunMenuItem("Text2");
  EXPECT_EQ(editor->toolMode, kToolText);
  EXPECT_EQ(editor->NowMode.Text(), "  文字描画");
}

class PointerLine : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    Tool(TScrivletForm1::kLine1);
  }
};

TEST_F(PointerLine, Press_Should_AppendZeroLengthRecordFromPalette_AndDrawNothing) {
  editor->SpinEdit1.SetValue(9);
  editor->NowColor.SetColor(0x123456);
  editor->doc.MarkSaved();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  Press(10, 20);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  const LineRecord& r = editor->doc.Lines()[0];
  EXPECT_EQ(r.StartX, 10);
  EXPECT_EQ(r.StartY, 20);
  EXPECT_EQ(r.EndX, 10);
  EXPECT_EQ(r.EndY, 20);
  EXPECT_EQ(r.Width, 9);
  EXPECT_EQ(r.Color, 0x123456u);
  EXPECT_FALSE(r.Arrow);
  EXPECT_TRUE(editor->dragging);
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
  EXPECT_EQ(CountNot(kWhite), 0);
  Release(10, 20);
}

TEST_F(PointerLine, Moves_Should_StretchEnd_AndReleasePositionIsNotUsed) {
  Press(10, 10);
  Move(50, 60);
  EXPECT_EQ(Px(30, 35), 0x0000FFu);  // NowColor's layout colour, red
  Move(100, 40);
  Release(300, 300);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(editor->doc.Lines()[0].EndX, 100);
  EXPECT_EQ(editor->doc.Lines()[0].EndY, 40);
  EXPECT_FALSE(editor->dragging);
}

TEST_F(PointerLine, Release_Should_DropRecord_When_StartEqualsEnd) {
  Click(10, 10);
  EXPECT_TRUE(editor->doc.Lines().empty());
  Press(20, 20);
  Move(40, 40);
  Move(20, 20);
  Release(20, 20);
  EXPECT_TRUE(editor->doc.Lines().empty());
  Drag(5, 5, 5, 6);
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
}

TEST_F(PointerLine, Release_Should_KeepEndOutsidePicture_When_DragLeavesIt) {
  Press(100, 100);
  Move(-50, 700);
  Release(-50, 700);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(editor->doc.Lines()[0].EndX, -50);
  EXPECT_EQ(editor->doc.Lines()[0].EndY, 700);
  EXPECT_EQ(Px(100, 100), kRed);
  EXPECT_EQ(Px(25, 400), kRed);
}

TEST_F(PointerLine, Move_Should_ShowPositionInStatusBar_AlsoOutsidePicture) {
  Hover(0, 0);
  EXPECT_EQ(editor->StatusBar1.PanelText(1), " X:0 Y:0");
  Hover(120, 45);
  EXPECT_EQ(editor->StatusBar1.PanelText(1), " X:120 Y:45");
  Press(10, 12);
  Move(-3, 12);
  EXPECT_EQ(editor->StatusBar1.PanelText(1), " X:-3 Y:12");
  Release(-3, 12);
}

class PointerSelect : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    Tool(TScrivletForm1::kSelect1);
  }
};

TEST_F(PointerSelect, Drag_Should_MoveLineByTotalDisplacement_OverSeveralMoves) {
  const LineRecord& line = AddLine({100, 100, 200, 150, 5, kRed, false});
  Press(150, 125);
  ASSERT_EQ(editor->doc.SelectedLine(), &line);
  Move(160, 120);
  Move(175, 118);
  Move(172, 116);
  Move(180, 115);
  Release(180, 115);
  EXPECT_EQ(line.StartX, 130);
  EXPECT_EQ(line.EndX, 230);
  EXPECT_EQ(line.StartY, 90);
  EXPECT_EQ(line.EndY, 140);
  EXPECT_EQ(editor->doc.SelectedLine(), &line);
}

TEST_F(PointerSelect, Click_Should_LeaveLineSelected_AndDrawItInverted) {
  const LineRecord& line = AddLine({100, 100, 300, 100, 5, kRed, false});
  Press(200, 101);
  EXPECT_EQ(Px(200, 100), kRed);  // the press does not compose the selected form
  Release(200, 101);
  EXPECT_EQ(editor->doc.SelectedLine(), &line);
  EXPECT_EQ(Px(200, 100), 0u);
  EXPECT_FALSE(editor->dragging);
}

TEST_F(PointerSelect, Press_Should_ClearSelection_When_NothingHit) {
  const LineRecord& line = AddLine({100, 100, 300, 100, 5, kRed, false});
  Click(200, 100);
  ASSERT_EQ(editor->doc.SelectedLine(), &line);
  editor->InsText.SetText("typed");
  Press(400, 400);
  EXPECT_EQ(editor->doc.SelectedLine(), nullptr);
  EXPECT_EQ(editor->InsText.Text(), "");
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_FALSE(editor->dragging);
  Move(200, 200);
  Release(200, 200);
  EXPECT_EQ(line.StartY, 100);
}

TEST_F(PointerSelect, Drag_Should_MoveLabel_AndShowFrameFromFirstMove) {
  const TMoji& label = PlaceLabel(50, 60, "      ", 0x00FF00);
  Tool(TScrivletForm1::kSelect1);
  Press(52, 62);
  ASSERT_EQ(editor->doc.SelectedText(), &label);
  EXPECT_EQ(Px(50, 60), 0x00FF00u);  // no frame yet
  Move(62, 57);
  EXPECT_EQ(label.X, 60);
  EXPECT_EQ(label.Y, 55);
  EXPECT_NE(Px(60, 55), 0x00FF00u);  // inverted by the frame
  Release(62, 57);
}

class PointerGesture : public PictureTest {};

TEST_F(PointerGesture, OtherButtons_Should_ChangeNothing) {
  Tool(TScrivletForm1::kLine1);
  editor->doc.MarkSaved();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  editor->PB1.SetPopupMenu(nullptr);  // no context menu loop in a test
  SendMessageA(Picture(), WM_RBUTTONDOWN, MK_RBUTTON, At(10, 10));
  SendMessageA(Picture(), WM_MOUSEMOVE, MK_RBUTTON, At(30, 30));
  SendMessageA(Picture(), WM_RBUTTONUP, 0, At(30, 30));
  SendMessageA(Picture(), WM_MBUTTONDOWN, MK_MBUTTON, At(10, 10));
  SendMessageA(Picture(), WM_MOUSEMOVE, MK_MBUTTON, At(30, 30));
  SendMessageA(Picture(), WM_MBUTTONUP, 0, At(30, 30));
  editor->PB1.SetPopupMenu(editor->PopupMenu2.get());
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_FALSE(editor->Act(kCmdSave).Enabled());
  EXPECT_FALSE(editor->dragging);
  EXPECT_TRUE(editor->doc.Lines().empty());
}

TEST_F(PointerGesture, Release_Should_DoNothing_WithoutPress) {
  for (const char* tool :
       {TScrivletForm1::kLine1, TScrivletForm1::kText1, TScrivletForm1::kSelect1}) {
    Tool(tool);
    AddLine({5, 5, 5, 5, 5, kRed, false});  // a zero-length record made by nobody's press
    editor->doc.MarkSaved();
    Release(30, 30);
    EXPECT_EQ(editor->doc.Lines().size(), 1u) << tool;
    EXPECT_EQ(editor->textPoint.x, 0) << tool;
    EXPECT_NE(editor->toolMode, kToolTextPoint) << tool;
    EXPECT_FALSE(editor->doc.Modified()) << tool;
    editor->doc.ClearAnnotations();
  }
}

TEST_F(PointerGesture, Press_Should_OnlyMarkModified_When_NoTool) {
  editor->doc.MarkSaved();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  Press(10, 10);
  Move(20, 20);
  Release(20, 20);
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
  EXPECT_FALSE(editor->dragging);
  EXPECT_EQ(editor->toolMode, kToolNone);
  EXPECT_TRUE(editor->doc.Lines().empty());
}

TEST_F(PointerGesture, Pick_Should_TakeRedPixelAndInvertFrame) {
  UsePicture(64, 48, [](int x, int) { return x < 32 ? kRed : kWhite; });
  Tool(TScrivletForm1::kSpoide1);
  editor->doc.MarkSaved();
  Press(5, 5);
  EXPECT_EQ(editor->NowColor.GetColor(), 0x0000FFu);
  EXPECT_EQ(editor->NBK.GetColor(), 0xFFFF00u);
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_FALSE(editor->dragging);
  EXPECT_EQ(editor->toolMode, kToolPick);
  Release(5, 5);
  Click(40, 5);
  EXPECT_EQ(editor->NowColor.GetColor(), kWhite);
  EXPECT_EQ(editor->NBK.GetColor(), 0u);
}

TEST_F(PointerGesture, TextTool_Should_TakeReleasePosition_AndFocusEntry) {
  editor->Show();
  Pump();
  Tool(TScrivletForm1::kText1);
  Press(10, 10);
  Move(40, 30);
  Release(40, 30);
  EXPECT_EQ(editor->textPoint.x, 40);
  EXPECT_EQ(editor->textPoint.y, 30);
  EXPECT_EQ(editor->toolMode, kToolTextPoint);
  EXPECT_TRUE(editor->TextOKButton.Enabled());
  EXPECT_TRUE(editor->InsText.Focused());
  editor->Hide();
}

}  // namespace
}  // namespace quillora::testing_support
