// The palette: colour grid, colour and font dialogs, line width, displays and hints, driven
// through the window messages that the user's pointer makes.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "support/editor_fixture.h"
#include "toolkit/logic/dpi_scale.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

// Centre of a grid cell (8 x 2 cells over 168 x 38 pixels).
POINT CellCentre(int cell) { return {168 * (cell % 8) / 8 + 10, 38 * (cell / 8) / 2 + 9}; }

void Post(HWND hwnd, UINT msg, WPARAM wp, int x, int y) {
  PostMessageA(hwnd, msg, wp, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

class PaletteTest : public ShownEditorTest {
 protected:
  HWND Grid() { return editor->ColorGrid1.Handle(); }
  void LeftClickCell(int cell) {
    POINT p = CellCentre(cell);
    Post(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y);
    Post(Grid(), WM_LBUTTONUP, 0, p.x, p.y);
    Pump();
  }
  void RightClickCell(int cell) {
    POINT p = CellCentre(cell);
    Post(Grid(), WM_RBUTTONDOWN, MK_RBUTTON, p.x, p.y);
    Post(Grid(), WM_RBUTTONUP, 0, p.x, p.y);
    Pump();
  }
  void Click(qtk::Window& w, int x = 3, int y = 3) {
    Post(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Post(w.Handle(), WM_LBUTTONUP, 0, x, y);
    Pump();
  }
  // Puts the editor in a tool mode the way the user gets there.
  void EnterMode(int mode) {
    switch (mode) {
      case kToolSelect:
        editor->ChooseTool(kCmdSelect);
        break;
      case kToolLine:
        editor->ChooseTool(kCmdLine);
        break;
      case kToolArrow:
        editor->ToolBar1.SetDown(TScrivletForm1::kArrow1, true);
        editor->ToolButtonClick(kCmdArrow);
        break;
      case kToolText:
        editor->ChooseTool(kCmdText);
        break;
      case kToolTextPoint:
        ChooseTextPoint(10, 10);
        break;
      case kToolPick:
        editor->ChooseTool(kCmdPick);
        break;
      default:
        break;
    }
    ASSERT_EQ(editor->toolMode, mode);
  }
  void ChooseTextPoint(int x, int y) {
    if (editor->toolMode != kToolText && editor->toolMode != kToolTextPoint)
      editor->ChooseTool(kCmdText);
    editor->PB1MouseDown(qtk::MouseButton::Left, x, y);
    editor->PB1MouseUp(qtk::MouseButton::Left, x, y);
  }
  void DrawLine(int x0, int y0, int x1, int y1) {
    editor->PB1MouseDown(qtk::MouseButton::Left, x0, y0);
    editor->PB1MouseMove(x1, y1);
    editor->PB1MouseUp(qtk::MouseButton::Left, x1, y1);
  }
  // A label at (x, y) confirmed from the entry row.
  void ConfirmLabel(int x, int y, const std::string& text) {
    ChooseTextPoint(x, y);
    editor->InsText.SetText(text);
    editor->TextOKButton.Click();
  }
};

// ---- colour grid ---------------------------------------------------------------------------

class PaletteGrid : public PaletteTest {};

TEST_F(PaletteGrid, Start_Should_HoldLayoutColours) {
  EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed);
  EXPECT_EQ(editor->NBK.GetColor(), qtk::clAqua);
  EXPECT_EQ(editor->InsText.GetColor(), 0xFF000005u);
  EXPECT_EQ(editor->InsText.Font().color, 0xFF000008u);
  EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 0);
  EXPECT_FALSE(editor->CheckBox1.Checked());
}

TEST_F(PaletteGrid, LeftClick_Should_SetSwatchAndComplementFrame_When_LineMode) {
  EnterMode(kToolLine);
  LeftClickCell(15);
  EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 15);
  EXPECT_EQ(editor->NowColor.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(editor->NBK.GetColor(), 0x000000u);
  LeftClickCell(9);
  EXPECT_EQ(editor->NowColor.GetColor(), 0x0000FFu);
  EXPECT_EQ(editor->NBK.GetColor(), 0xFFFF00u);
  EXPECT_EQ(editor->InsText.GetColor(), qtk::clWindow);
  EXPECT_FALSE(editor->TextOKButton.Enabled());
}

class PaletteGridMode : public PaletteTest, public ::testing::WithParamInterface<int> {};

TEST_P(PaletteGridMode, LeftClick_Should_ColourTheTargetOfTheToolMode) {
  const int mode = GetParam();
  EnterMode(mode);
  const bool textTarget = mode == kToolSelect || mode == kToolText || mode == kToolTextPoint;
  LeftClickCell(12);  // blue
  EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 12);
  if (textTarget) {
    EXPECT_EQ(editor->InsText.GetColor(), 0xFF0000u);
    EXPECT_TRUE(editor->TextOKButton.Enabled());
    EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed);
    EXPECT_EQ(editor->NBK.GetColor(), qtk::clAqua);
  } else {
    EXPECT_EQ(editor->NowColor.GetColor(), 0xFF0000u);
    EXPECT_EQ(editor->NBK.GetColor(), 0x00FFFFu);
    EXPECT_EQ(editor->InsText.GetColor(), qtk::clWindow);
    EXPECT_FALSE(editor->TextOKButton.Enabled());
  }
  EXPECT_EQ(editor->toolMode, mode);
}

INSTANTIATE_TEST_SUITE_P(Modes, PaletteGridMode,
                         ::testing::Values(kToolNone, kToolSelect, kToolLine, kToolArrow, kToolText,
                                           kToolTextPoint, kToolPick));

TEST_F(PaletteGrid, RightClick_Should_ApplyCurrentColourAgain_WithoutMovingMark) {
  EnterMode(kToolLine);
  LeftClickCell(9);
  EnterMode(kToolText);
  RightClickCell(3);
  EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 9);
  EXPECT_EQ(editor->InsText.GetColor(), qtk::clRed);
  EXPECT_TRUE(editor->TextOKButton.Enabled());

  // In line mode the right button puts the grid colour back on the swatch.
  qtk::ColorDialog::hook = [](qtk::ColorDialog& d) {
    d.color = 0x123456;
    return true;
  };
  EnterMode(kToolLine);
  editor->Act(kCmdColor).Execute();
  ASSERT_EQ(editor->NowColor.GetColor(), 0x123456u);
  RightClickCell(14);
  EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 9);
  EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed);
  EXPECT_EQ(editor->NBK.GetColor(), qtk::clAqua);
}

TEST_F(PaletteGrid, ReleaseOutside_Should_MoveMarkButApplyNothing) {
  for (int mode : {kToolLine, kToolText}) {
    EnterMode(mode);
    POINT p = CellCentre(12);
    Post(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y);
    Pump();
    EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 12);
    Post(Grid(), WM_MOUSEMOVE, MK_LBUTTON, 40, 60);  // below the grid, over column 1
    Post(Grid(), WM_LBUTTONUP, 0, 40, 60);
    Pump();
    EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), 9);  // followed the pointer, clamped
    EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed);
    EXPECT_EQ(editor->NBK.GetColor(), qtk::clAqua);
    EXPECT_EQ(editor->InsText.GetColor(), qtk::clWindow);
    EXPECT_FALSE(editor->TextOKButton.Enabled());
    editor->ColorGrid1.SetForegroundIndex(0);
  }
}

TEST_F(PaletteGrid, TextModeColour_Should_KeepLabelTransparent_When_CheckBox1Checked) {
  EnterMode(kToolText);
  editor->CheckBox1.SetChecked(true);
  LeftClickCell(11);  // yellow
  EXPECT_EQ(editor->InsText.GetColor(), qtk::clYellow);
  EXPECT_TRUE(editor->CheckBox1.Checked());
  ConfirmLabel(10, 10, "abc");
  ASSERT_EQ(editor->doc.Texts().size(), 1u);
  EXPECT_EQ(editor->doc.Texts()[0].BkColor, qtk::clNone);

  // The background dialog instead makes the next label opaque.
  qtk::ColorDialog::hook = [](qtk::ColorDialog& d) {
    d.color = qtk::clLime;
    return true;
  };
  editor->Act(kCmdBKColor).Execute();
  EXPECT_FALSE(editor->CheckBox1.Checked());
  ConfirmLabel(10, 40, "def");
  ASSERT_EQ(editor->doc.Texts().size(), 2u);
  EXPECT_EQ(editor->doc.Texts()[1].BkColor, qtk::clLime);
}

TEST_F(PaletteGrid, Change_Should_LeaveSelectedLine_AndReachNextLine) {
  EnterMode(kToolLine);
  DrawLine(5, 5, 50, 50);
  EnterMode(kToolSelect);
  editor->PB1MouseDown(qtk::MouseButton::Left, 27, 27);
  editor->PB1MouseUp(qtk::MouseButton::Left, 27, 27);
  ASSERT_NE(editor->doc.SelectedLine(), nullptr);
  qtk::ColorDialog::hook = [](qtk::ColorDialog& d) {
    d.color = qtk::clLime;
    return true;
  };
  editor->Act(kCmdColor).Execute();
  editor->SpinEdit1.SetValue(9);
  EXPECT_EQ(editor->doc.Lines()[0].Color, qtk::clRed);
  EXPECT_EQ(editor->doc.Lines()[0].Width, 5);
  EnterMode(kToolLine);
  DrawLine(60, 5, 90, 50);
  ASSERT_EQ(editor->doc.Lines().size(), 2u);
  EXPECT_EQ(editor->doc.Lines()[1].Color, qtk::clLime);
  EXPECT_EQ(editor->doc.Lines()[1].Width, 9);
}

TEST_F(PaletteGrid, ConfirmedLabel_Should_StoreSystemColourReferences_When_NoColourChosen) {
  ConfirmLabel(10, 10, "abc");
  ASSERT_EQ(editor->doc.Texts().size(), 1u);
  EXPECT_EQ(editor->doc.Texts()[0].BkColor, 0xFF000005u);
  EXPECT_EQ(editor->doc.Texts()[0].Font.color, 0xFF000008u);
}

// ---- line width ----------------------------------------------------------------------------

// Each column and row picks the cell painted there (a frame pixel: the cell whose colour is beside
// it), at densities where the cells are not all equally wide.
TEST_F(PaletteGrid, Click_Should_PickThePaintedCell_OnEveryColumnAndRow) {
  SetWindowPos(editor->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  for (int dpi : {120, 144}) {
    MoveToDpi(editor->Handle(), dpi);
    editor->ColorGrid1.SetForegroundIndex(15);  // "FG" away from the cells scanned
    UpdateWindow(Grid());
    const int w = editor->ColorGrid1.Width(), h = editor->ColorGrid1.Height();
    HDC dc = GetDC(Grid());
    for (int i = 0; i < w + h; ++i) {  // along row 0, then down column 1
      const bool across = i < w;
      const int x = across ? i : w * 3 / 16, y = across ? h / 4 : i - w, painted = [&] {
        for (int k : {0, -1, 1})
          for (int cell : {0, 1, 2, 3, 4, 5, 6, 7, 9})
            if (GetPixel(dc, x + k * across, y + k * !across) == qtk::ColorGrid::CellColor(cell))
              return cell;
        return -1;
      }();
      SendMessageA(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      SendMessageA(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      EXPECT_EQ(editor->ColorGrid1.ForegroundIndex(), painted) << dpi << ": " << x << "," << y;
    }
    ReleaseDC(Grid(), dc);
  }
}

class PaletteWidth : public PaletteTest {
 protected:
  // The spinner's upper or lower half, pressed and released.
  void Spin(bool up) {
    int y = up ? 6 : editor->SpinEdit1.Height() - 6;
    Click(editor->SpinEdit1, 10, y);
  }
};

TEST_F(PaletteWidth, Buttons_Should_StepByOne_AndShowValueInLW) {
  EXPECT_EQ(editor->LW.Text(), "5");
  Spin(true);
  EXPECT_EQ(editor->SpinEdit1.Value(), 6);
  EXPECT_EQ(editor->LW.Text(), "6");
  Spin(false);
  Spin(false);
  EXPECT_EQ(editor->SpinEdit1.Value(), 4);
  EXPECT_EQ(editor->LW.Text(), "4");
}

TEST_F(PaletteWidth, Buttons_Should_StopAt1And100) {
  editor->SpinEdit1.SetValue(99);
  Spin(true);
  Spin(true);
  EXPECT_EQ(editor->SpinEdit1.Value(), 100);
  EXPECT_EQ(editor->LW.Text(), "100");
  editor->SpinEdit1.SetValue(2);
  Spin(false);
  Spin(false);
  EXPECT_EQ(editor->SpinEdit1.Value(), 1);
  EXPECT_EQ(editor->LW.Text(), "1");
}

// ---- dialogs -------------------------------------------------------------------------------

class PaletteDialogs : public PaletteTest {
 protected:
  // Each dialog run: what it started with and whether the focus was on FColorButton.
  struct Run {
    qtk::Color color = 0;
    qtk::FontSpec font;
    bool focusOnButton = false;
  };
  void AnswerColour(bool ok, qtk::Color answer) {
    qtk::ColorDialog::hook = [this, ok, answer](qtk::ColorDialog& d) {
      Run run;
      run.color = d.color;
      run.focusOnButton = editor->FColorButton.Focused();
      runs.push_back(run);
      customSeen = d.customColors;
      d.customColors[runs.size() - 1] = 0x010101 * static_cast<qtk::Color>(runs.size());
      d.color = answer;
      return ok;
    };
  }
  void AnswerFont(bool ok, const qtk::FontSpec& answer) {
    qtk::FontDialog::hook = [this, ok, answer](qtk::FontDialog& d) {
      Run run;
      run.font = d.font;
      run.focusOnButton = editor->FColorButton.Focused();
      runs.push_back(run);
      d.font = answer;
      return ok;
    };
  }
  static qtk::FontSpec Gothic20() {
    qtk::FontSpec f;
    f.name = "ＭＳ ゴシック";
    f.height = -20;
    f.style = qtk::fsBold;
    f.color = qtk::clBlue;
    return f;
  }
  std::vector<Run> runs;
  std::array<COLORREF, 16> customSeen{};
};

TEST_F(PaletteDialogs, ActColor_Should_SetSwatchAndFrame_When_Confirmed) {
  AnswerColour(true, 0x123456);
  editor->Act(kCmdColor).Execute();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].color, qtk::clRed);
  EXPECT_TRUE(runs[0].focusOnButton);
  EXPECT_EQ(editor->NowColor.GetColor(), 0x123456u);
  EXPECT_EQ(editor->NBK.GetColor(), 0xEDCBA9u);
  EXPECT_FALSE(editor->TextOKButton.Enabled());
}

TEST_F(PaletteDialogs, ActFontColor_Should_SetTextColourAndEnableConfirm_When_Confirmed) {
  AnswerColour(true, qtk::clLime);
  editor->FColorButton.Click();  // the button runs the command
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].color, 0xFF000008u);
  EXPECT_EQ(editor->InsText.Font().color, qtk::clLime);
  EXPECT_EQ(editor->InsText.Font().name, "ＭＳ Ｐゴシック");
  EXPECT_TRUE(editor->TextOKButton.Enabled());
  EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed);
}

TEST_F(PaletteDialogs, ActBKColor_Should_SetBackgroundAndUncheckTransparency_When_Confirmed) {
  editor->CheckBox1.SetChecked(true);
  AnswerColour(true, qtk::clFuchsia);
  editor->Act(kCmdBKColor).Execute();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].color, 0xFF000005u);
  EXPECT_EQ(editor->InsText.GetColor(), qtk::clFuchsia);
  EXPECT_TRUE(editor->TextOKButton.Enabled());
  EXPECT_FALSE(editor->CheckBox1.Checked());
}

TEST_F(PaletteDialogs, ColourCommands_Should_ShareCustomColours) {
  AnswerColour(true, qtk::clTeal);
  editor->Act(kCmdColor).Execute();
  editor->Act(kCmdFontColor).Execute();
  editor->Act(kCmdBKColor).Execute();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(customSeen[0], 0x010101u);  // defined in the first, seen by the third
  EXPECT_EQ(customSeen[1], 0x020202u);
  EXPECT_EQ(editor->ColorDialog1.customColors[2], 0x030303u);
  EXPECT_EQ(runs[1].color, 0xFF000008u);  // each starts from its own current value
}

TEST_F(PaletteDialogs, ActFont_Should_SetFontNameRowAndFocus_When_Confirmed) {
  const qtk::FontSpec chosen = Gothic20();
  for (int mode : {kToolNone, kToolText, kToolTextPoint}) {
    EnterMode(mode);
    editor->InsText.SetFont(qtk::FontSpec{});
    editor->TextOKButton.SetEnabled(false);
    runs.clear();
    AnswerFont(true, chosen);
    editor->Act(kCmdFont).Execute();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].font, qtk::FontSpec{});
    EXPECT_TRUE(runs[0].focusOnButton);
    EXPECT_EQ(editor->InsText.Font(), chosen);
    EXPECT_EQ(editor->FName.Text(), "ＭＳ ゴシック");
    EXPECT_FALSE(editor->TextOKButton.Enabled());
    EXPECT_LE(editor->InsText.Bounds().bottom, editor->Panel2.Height());
    EXPECT_GT(editor->InsText.Height(), 20);
    if (mode == kToolText)
      EXPECT_TRUE(editor->InsText.Focused()) << mode;
    else
      EXPECT_TRUE(editor->FColorButton.Focused()) << mode;
  }
}

// The dialog sees the screen's height, the entry keeps 96-dpi pixels: 9 pt on every screen.
TEST_F(PaletteDialogs, ActFont_Should_ShowScreenHeight_AndKeep96DpiPixels) {
  for (int dpi : {144, 192}) {
    MoveToDpi(editor->Handle(), dpi);
    qtk::FontSpec nine = Gothic20();
    nine.height = -qtk::ScaleToDpi(12, dpi);
    AnswerFont(true, nine);
    editor->Act(kCmdFont).Execute();
    EXPECT_EQ(runs.back().font.height, nine.height) << dpi;
    EXPECT_EQ(editor->InsText.Font().height, -12) << dpi;
  }
}

// The system's own dialog opens on the entry's face and size, under Wine too, where the face
// exists only as a replacement: read from its lists, then cancelled.
TEST_F(PaletteDialogs, SystemFontDialog_Should_OpenOnTheEntrysFaceAndSize) {
  qtk::FontDialog::hook = nullptr;
  static char face[64], size[8];
  SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM found) {
          char cls[8] = {};
          GetClassNameA(h, cls, sizeof cls);
          if (!lstrcmpA(cls, "#32770") && IsWindowVisible(h)) *reinterpret_cast<HWND*>(found) = h;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !KillTimer(nullptr, id)) return;
    HWND faces = GetDlgItem(dialog, 0x470);  // cmb1, the faces; cmb3, the sizes
    const LRESULT chosen = SendMessageA(faces, CB_GETCURSEL, 0, 0);
    SendMessageA(faces, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(face));
    GetDlgItemTextA(dialog, 0x472, size, sizeof size);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  editor->Act(kCmdFont).Execute();
  EXPECT_STREQ(face, "ＭＳ Ｐゴシック");
  EXPECT_STREQ(size, "9");
}

TEST_F(PaletteDialogs, FNameClick_Should_RunFontDialog) {
  AnswerFont(true, Gothic20());
  Click(editor->FName);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(editor->FName.Text(), "ＭＳ ゴシック");
}

TEST_F(PaletteDialogs, Cancel_Should_ChangeNothingButFocus) {
  editor->CheckBox1.SetChecked(true);
  const qtk::FontSpec font = editor->InsText.Font();
  auto expectUnchanged = [&](const char* what) {
    EXPECT_EQ(editor->NowColor.GetColor(), qtk::clRed) << what;
    EXPECT_EQ(editor->NBK.GetColor(), qtk::clAqua) << what;
    EXPECT_EQ(editor->InsText.GetColor(), qtk::clWindow) << what;
    EXPECT_EQ(editor->InsText.Font(), font) << what;
    EXPECT_EQ(editor->FName.Text(), "ＭＳ Ｐゴシック") << what;
    EXPECT_TRUE(editor->CheckBox1.Checked()) << what;
    EXPECT_FALSE(editor->TextOKButton.Enabled()) << what;
    EXPECT_TRUE(editor->FColorButton.Focused()) << what;
  };
  AnswerColour(false, qtk::clWhite);
  AnswerFont(false, Gothic20());
  qtk::Action* commands[] = {&editor->Act(kCmdColor), &editor->Act(kCmdFontColor),
                             &editor->Act(kCmdBKColor), &editor->Act(kCmdFont)};
  for (qtk::Action* command : commands) {
    editor->InsText.SetFocus();
    command->Execute();
    expectUnchanged(command->Name().c_str());
  }
  EXPECT_EQ(runs.size(), 4u);
}

TEST_F(PaletteDialogs, LoadingSelectedLabel_Should_LeaveFName) {
  AnswerFont(true, Gothic20());
  editor->Act(kCmdFont).Execute();
  ConfirmLabel(10, 10, "abc");
  qtk::FontSpec mincho = Gothic20();
  mincho.name = "ＭＳ 明朝";
  AnswerFont(true, mincho);
  editor->Act(kCmdFont).Execute();
  ASSERT_EQ(editor->FName.Text(), "ＭＳ 明朝");
  EnterMode(kToolSelect);
  editor->PB1MouseDown(qtk::MouseButton::Left, 14, 16);
  editor->PB1MouseUp(qtk::MouseButton::Left, 14, 16);
  ASSERT_NE(editor->doc.SelectedText(), nullptr);
  EXPECT_EQ(editor->InsText.Font().name, "ＭＳ ゴシック");
  EXPECT_EQ(editor->FName.Text(), "ＭＳ 明朝");
}

}  // namespace
}  // namespace quillora::testing_support
