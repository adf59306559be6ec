// The palette's displays: hints in the status bar, tooltips, and no text caret in a read-only
// display or the spinner.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

class PaletteDisplay : public ShownEditorTest {
 protected:
  void Click(HWND hwnd, int x = 3, int y = 3) {
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
  }
};

// ---- hints ---------------------------------------------------------------------------------

class PaletteHints : public PaletteDisplay {
 protected:
  void SetUp() override {
    PaletteDisplay::SetUp();
    qtk::Application::Get().SetHint("");  // an earlier window's last hint
  }
  // Panel 0 as the status bar control shows it.
  std::string Panel0() {
    // The length message counts characters, not bytes: a roomy buffer instead.
    std::vector<char> buffer(4096, '\0');
    SendMessageA(editor->StatusBar1.Handle(), SB_GETTEXTA, 0,
                 reinterpret_cast<LPARAM>(buffer.data()));
    std::string text(buffer.data());
    EXPECT_EQ(text, editor->StatusBar1.PanelText(0));
    return text;
  }
  // The pointer moves over a window; hints are worked out in the message loop. The system's
  // pointer goes there too: a pointer elsewhere would be leaving the window.
  std::string MoveOver(HWND hwnd, int x = 2, int y = 2) {
    POINT at{x, y};
    ClientToScreen(hwnd, &at);
    SetCursorPos(at.x, at.y);
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Pump();
    return Panel0();
  }
  std::string MoveOver(qtk::Window& w) {
    return MoveOver(w.Handle(), w.Width() / 2, w.Height() / 2);
  }
  std::string MoveOverButton(const char* name) {
    RECT r = editor->ToolBar1.ButtonRect(name);
    return MoveOver(editor->ToolBar1.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::string Highlight(HWND owner, unsigned id, HMENU menu) {
    PostMessageA(owner, WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    Pump();
    return Panel0();
  }
};

TEST_F(PaletteHints, Controls_Should_PutLongHintInPanel0_WithOrWithoutTooltip) {
  EXPECT_EQ(MoveOver(editor->ColorGrid1), "クリックされた色が選択色になります。");
  EXPECT_EQ(MoveOver(editor->SelColor), "カラーパレットの状態を表示しています。");
  EXPECT_EQ(MoveOver(editor->NowMode), "現在の状態を表示しています。");
  EXPECT_EQ(MoveOver(editor->LW), "この幅で線が描画されます。");
  EXPECT_EQ(MoveOver(editor->NowColor), "この色で線が描画されます。");
  EXPECT_EQ(MoveOver(editor->SpinEdit1), "線の太さを設定します。");
  EXPECT_EQ(MoveOver(editor->FName), "現在のフォント名を表示します。 クリックすると設定できます。");
  EXPECT_EQ(MoveOver(editor->FColorButton), "文字の色を選択できます。");
  EXPECT_EQ(MoveOver(editor->CheckBox1), "文字の背景色を透明にします。");
  EXPECT_EQ(MoveOver(editor->CheckBox2), "印刷方向を設定出来ます。");
}

TEST_F(PaletteHints, NoHint_Should_TakeEnclosingHint_OrEmptyPanel) {
  ASSERT_EQ(MoveOver(editor->ColorGrid1), "クリックされた色が選択色になります。");
  EXPECT_EQ(MoveOver(editor->MHyouji), "");  // neither it nor its panels have one
  EXPECT_EQ(MoveOver(editor->LCB), "");
  EXPECT_EQ(MoveOver(editor->PB1), "");
  editor->Panel3.SetHint("表示|表示パネルです。");
  EXPECT_EQ(MoveOver(editor->MHyouji), "表示パネルです。");
  EXPECT_EQ(MoveOver(editor->LineW), "表示パネルです。");
  EXPECT_EQ(MoveOver(editor->LW), "この幅で線が描画されます。");  // its own comes first
}

// The real pointer leaves the client areas: over the menu bar, the picture's scroll bar, out of
// the window. Panel 0 empties each time.
TEST_F(PaletteHints, LeavingTheClientAreas_Should_EmptyPanel0) {
  SetWindowPos(editor->Handle(), HWND_TOPMOST, 50, 50, 700, 500, SWP_SHOWWINDOW);
  TempDir dir;
  WriteFile(dir.File("big.bmp"), MakeBmp24(1500, 1200, [](int, int) { return 0xFFFFFFu; }));
  editor->LoadPicture(dir.File("big.bmp"));
  RECT box{};
  GetWindowRect(editor->ScrollBox1.Handle(), &box);
  const int menuBar = box.top - editor->CoolBar1.BarHeight() - GetSystemMetrics(SM_CYMENU) / 2;
  for (POINT exit : {POINT{box.left + 300, menuBar}, POINT{box.right - 5, box.top + 60},
                     POINT{box.right + 30, box.top}}) {
    ASSERT_EQ(MoveOver(editor->ColorGrid1), "クリックされた色が選択色になります。");
    SetCursorPos(exit.x, exit.y);
    for (int i = 0; i < 100 && !editor->StatusBar1.PanelText(0).empty(); ++i) Sleep(20), Pump();
    EXPECT_EQ(Panel0(), "") << exit.x << "," << exit.y;
  }
}

// The editor goes with a hint up; the pointer's leaving, told afterwards, must reach no dead form
// (it wrote into freed memory, and a later test's allocation crashed).
TEST_F(PaletteHints, HintHook_Should_GoWithTheEditor) {
  ASSERT_FALSE(MoveOver(editor->ColorGrid1).empty());
  editor.reset();
  EXPECT_FALSE(qtk::Application::Get().onHint);
  qtk::Application::Get().SetHint("");  // what the late WM_MOUSELEAVE does
}

TEST_F(PaletteHints, ToolButtons_Should_PutTheirHintsInPanel0) {
  EXPECT_EQ(MoveOverButton("ToolButton7"), "印刷します。");
  EXPECT_EQ(MoveOverButton("ToolButton4"), "新規作成状態にします。");
  EXPECT_EQ(MoveOverButton(TScrivletForm1::kSpoide1), "画像から色を抽出します。");
  EXPECT_EQ(MoveOverButton(TScrivletForm1::kLine1), "直線を書きます");
  EXPECT_EQ(MoveOverButton(TScrivletForm1::kText1), "文字を書きます");
}

// A menu rebuilt on every change of an action keeps its items' ids (new ones each time would,
// after some 21,500 changes, pass what a 16-bit WM_COMMAND id can reach).
TEST_F(PaletteHints, MenuItems_Should_KeepTheirIds_AcrossRebuilds) {
  qtk::Menu& bar = *editor->MainMenu1;
  const unsigned saveAs = bar.CommandOf("SaveAs1");
  for (int i = 0; i < 4; ++i) editor->Act(kCmdFont).SetEnabled(i % 2 != 0);
  EXPECT_EQ(bar.CommandOf("SaveAs1"), saveAs);
  int runs = 0;
  editor->Act(kCmdSaveAs).onExecute = [&runs] { ++runs; };
  SendMessageA(editor->Handle(), WM_COMMAND, saveAs, 0);
  EXPECT_EQ(runs, 1);
}

TEST_F(PaletteHints, HighlightedMenuItems_Should_PutTheirHintsInPanel0) {
  qtk::Menu& bar = *editor->MainMenu1;
  HWND form = editor->Handle();
  HMENU file = GetSubMenu(bar.Handle(), 0);
  EXPECT_EQ(Highlight(form, bar.CommandOf("Print1"), file), "印刷します。");
  EXPECT_EQ(Highlight(form, bar.CommandOf("SaveAs1"), file), "名前を付けて保存します。");
  EXPECT_EQ(Highlight(form, bar.CommandOf("Exit1"), file), "このソフトを終了します。");
  EXPECT_EQ(Highlight(form, bar.CommandOf("Font1"), GetSubMenu(bar.Handle(), 1)),
            "文字フォントを設定します。");
  EXPECT_EQ(Highlight(form, bar.CommandOf("About1"), GetSubMenu(bar.Handle(), 2)),
            "バージョン情報を表示します。");

  qtk::Menu& popup = *editor->PopupMenu2;
  HWND pb1 = editor->PB1.Handle();
  EXPECT_EQ(Highlight(pb1, popup.CommandOf("Spoide2"), popup.Handle()), "画像から色を抽出します。");
  EXPECT_EQ(Highlight(pb1, popup.CommandOf("Text2"), popup.Handle()), "文字を書きます");
  EXPECT_EQ(Highlight(pb1, popup.CommandOf("C1"), popup.Handle()), "文字の色を選択できます。");
  EXPECT_EQ(Highlight(pb1, popup.CommandOf("N14"), popup.Handle()), "線の色を選択できます。");

  // The menu closes.
  PostMessageA(pb1, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Pump();
  EXPECT_EQ(Panel0(), "");
}

// The real context menu of the picture, opened and walked with the arrow key.
TEST_F(PaletteHints, OpenContextMenu_Should_ShowHintOfItemUnderSelection) {
  std::vector<std::string> seen;
  auto previous = qtk::Application::Get().onHint;
  qtk::Application::Get().onHint = [&](const std::string& h) {
    seen.push_back(h);
    previous(h);
  };
  // Should the menu not take the keys, it is closed after a while.
  UINT_PTR timer = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
  HWND pb1 = editor->PB1.Handle();
  POINT at{20, 20};
  ClientToScreen(pb1, &at);
  PostMessageA(pb1, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pb1), MAKELPARAM(at.x, at.y));
  PostMessageA(pb1, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(pb1, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(pb1, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  KillTimer(nullptr, timer);
  qtk::Application::Get().onHint = previous;
  ASSERT_GE(seen.size(), 2u);
  EXPECT_NE(std::find(seen.begin(), seen.end(), "画像から色を抽出します。"), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), "クリックされた部分を選択状態にします。"),
            seen.end());
  EXPECT_EQ(Panel0(), "");
}

// ---- tooltips ------------------------------------------------------------------------------

class PaletteTooltips : public PaletteDisplay {};

TEST_F(PaletteTooltips, Tooltips_Should_PopUpOnlyWhereTheLayoutSaysSo) {
  HWND tip = editor->Tooltip();
  std::map<HWND, std::string> tools;
  int count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    TOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.lpszText = text;
    ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&ti)));
    tools[reinterpret_cast<HWND>(ti.uId)] = text;
  }
  const std::map<HWND, std::string> expected = {
      {editor->ColorGrid1.Handle(), "色の選択"}, {editor->LW.Handle(), "線の幅"},
      {editor->SpinEdit1.Handle(), "線の太さ"},  {editor->FColorButton.Handle(), "文字色"},
      {editor->CheckBox1.Handle(), "背景透明"},
  };
  EXPECT_EQ(tools, expected);
}

// ---- caret ---------------------------------------------------------------------------------

class PaletteCaret : public PaletteDisplay {
 protected:
  // Largest number of screen pixels of the window that differ from the first look while
  // messages run for `ms`: a blinking caret makes some.
  static int Blinking(HWND hwnd, int ms = 1200) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    // One copy of the screen's rectangle a look: a pixel read at a time is a round trip each.
    qtk::Bitmap shot(r.right - r.left, r.bottom - r.top);
    auto grab = [&] {
      HDC dc = GetDC(nullptr);
      BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), dc, r.left, r.top, SRCCOPY);
      ReleaseDC(nullptr, dc);
      std::vector<COLORREF> px;
      for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) px.push_back(PixelAt(shot, x, y));
      return px;
    };
    const std::vector<COLORREF> first = grab();
    int most = 0;
    for (DWORD end = GetTickCount() + ms; GetTickCount() < end;) {
      qtk::Application::Get().ProcessMessages();
      Sleep(60);
      std::vector<COLORREF> now = grab();
      int changed = 0;
      for (size_t i = 0; i < now.size() && i < first.size(); ++i) changed += now[i] != first[i];
      most = std::max(most, changed);
    }
    return most;
  }
};

TEST_F(PaletteCaret, EntryField_Should_ShowBlinkingCaret_AsTheProbeSees) {
  Click(editor->InsText.Handle());
  ASSERT_TRUE(editor->InsText.Focused());
  EXPECT_GT(Blinking(editor->InsText.Handle()), 0);
}

TEST_F(PaletteCaret, ReadOnlyDisplays_Should_ShowNoCaret_When_Clicked) {
  qtk::FontDialog::hook = [](qtk::FontDialog&) { return false; };
  qtk::Window* displays[] = {&editor->SelColor, &editor->MHyouji, &editor->NowMode, &editor->LineW,
                             &editor->LW,       &editor->LineC,   &editor->LCB,     &editor->NBK,
                             &editor->NowColor, &editor->FName};
  for (qtk::Window* display : displays) {
    Click(display->Handle(), 2, 2);
    EXPECT_EQ(Blinking(display->Handle(), 700), 0) << display->Text();  // above one blink phase
  }
  // Clicked again, now that each has been focused once.
  Click(editor->LW.Handle());
  EXPECT_TRUE(editor->LW.Focused());
  EXPECT_EQ(Blinking(editor->LW.Handle()), 0);
}

TEST_F(PaletteCaret, Spinner_Should_HideEntryCaret_When_Clicked) {
  Click(editor->InsText.Handle());
  ASSERT_GT(Blinking(editor->InsText.Handle(), 700), 0);
  Click(editor->SpinEdit1.Handle(), 10, 6);
  EXPECT_EQ(editor->LW.Text(), "6");
  EXPECT_EQ(Blinking(editor->InsText.Handle()), 0);
  EXPECT_EQ(Blinking(editor->SpinEdit1.Handle(), 600), 0);
}

}  // namespace
}  // namespace quillora::testing_support
