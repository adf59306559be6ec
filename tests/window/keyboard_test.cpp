// The keyboard through the message loop: focus on show, Tab and Shift+Tab, the arrow keys in the
// launcher's radio group, Enter and Space on buttons; and the keys the editor binds, which Tab
// must not take away wherever it has put the focus. Also the editor's frame and pointers.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

// A key as the system delivers it: down and up posted to the focused window with the modifier
// state set, then handled by the application's message loop.
class KeyTest : public EditorTest {
 protected:
  void TearDown() override {
    SetModifiers(false, false);
    EditorTest::TearDown();
  }
  static void SetModifiers(bool shift, bool ctrl) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
  }
  void Key(WORD vk, bool shift = false, bool ctrl = false) {
    SetModifiers(shift, ctrl);
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(focus, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(focus, WM_KEYUP, vk, scan | 0xC0000001);
    Pump();
    SetModifiers(false, false);
  }
  // The windows that the focus visits when Tab (or Shift+Tab) is pressed `n` times.
  std::vector<HWND> Walk(int n, bool backwards = false) {
    std::vector<HWND> seen;
    for (int i = 0; i < n; ++i) {
      Key(VK_TAB, backwards);
      seen.push_back(GetFocus());
    }
    return seen;
  }
};

class LauncherKeys : public KeyTest {
 protected:
  void SetUp() override {
    CreateEditor();
    CreateLauncher();
    launcher->notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    launcher->ScreenCap.onClick = [this] { ++goes; };
    launcher->ActCancel.onExecute = [this] { ++cancels; };
    launcher->Show();
    SetForegroundWindow(launcher->Handle());
    Pump();
  }
  HWND Item(int i) const { return launcher->ModeSelect.ItemHandle(i); }
  int goes = 0, cancels = 0;
};

TEST_F(LauncherKeys, Show_Should_FocusGo_AndTabShouldWalkGoModesNg) {
  EXPECT_EQ(GetFocus(), launcher->ScreenCap.Handle()) << "tab order 0 has the focus";
  const HWND go = launcher->ScreenCap.Handle(), ng = launcher->NG.Handle();
  EXPECT_EQ(Walk(3), (std::vector<HWND>{Item(0), ng, go}));
  EXPECT_EQ(Walk(3, true), (std::vector<HWND>{ng, Item(0), go}));
  // The group is entered at its chosen item.
  launcher->ModeSelect.SetItemIndex(2);
  EXPECT_EQ(Walk(1), (std::vector<HWND>{Item(2)}));
  EXPECT_EQ(goes + cancels, 0);
}

TEST_F(LauncherKeys, Arrows_Should_MoveAndChooseWithinTheModes_Wrapping) {
  Key(VK_TAB);
  ASSERT_EQ(GetFocus(), Item(0));
  const struct {
    WORD key;
    int item;
  } steps[] = {{VK_DOWN, 1}, {VK_RIGHT, 2}, {VK_DOWN, 3}, {VK_DOWN, 0}, {VK_UP, 3}, {VK_LEFT, 2}};
  for (const auto& step : steps) {
    Key(step.key);
    EXPECT_EQ(GetFocus(), Item(step.item)) << step.item;
    EXPECT_EQ(launcher->ModeSelect.ItemIndex(), step.item);
  }
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), launcher->NG.Handle()) << "Tab leaves the group";
}

TEST_F(LauncherKeys, EnterAndSpace_Should_PressTheFocusedButton) {
  Key(VK_RETURN);
  EXPECT_EQ(goes, 1);
  Key(VK_SPACE);
  EXPECT_EQ(goes, 2);
  Key(VK_TAB, true);
  ASSERT_EQ(GetFocus(), launcher->NG.Handle());
  Key(VK_RETURN);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(goes, 2);
}

// The clipboard is emptied so that releasing Print Screen (a paste) raises its error.
class KeysClipboard : public KeyTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    CreateEditor();
    editor->Show();
    SetForegroundWindow(editor->Handle());
    Pump();
  }
  // The tab stops in order from FColorButton; the displays, the memo, the grid and the spinner
  // are never among them.
  std::vector<HWND> Stops() const {
    std::vector<HWND> stops{editor->CheckBox1.Handle(), editor->CheckBox2.Handle(),
                            editor->InsText.Handle()};
    if (editor->TextOKButton.Enabled()) stops.push_back(editor->TextOKButton.Handle());
    stops.push_back(editor->FColorButton.Handle());
    return stops;
  }
};

TEST_F(KeysClipboard, Tab_Should_WalkTheEditorsControlsInOrder_SkippingTheDisplays) {
  EXPECT_EQ(GetFocus(), editor->FColorButton.Handle()) << "the first tab stop has the focus";
  EXPECT_EQ(Walk(4), Stops());
  editor->TextOKButton.SetEnabled(true);
  EXPECT_EQ(Walk(5), Stops());
  std::vector<HWND> back = Walk(5, true);
  std::vector<HWND> expected{editor->TextOKButton.Handle(), editor->InsText.Handle(),
                             editor->CheckBox2.Handle(), editor->CheckBox1.Handle(),
                             editor->FColorButton.Handle()};
  EXPECT_EQ(back, expected);
  // From a display that was clicked, Tab goes on to the next control.
  editor->SelColor.SetFocus();
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), editor->FColorButton.Handle());
}

TEST_F(KeysClipboard, BoundKeys_Should_Work_WhereverTabPutsTheFocus) {
  std::map<char, int> runs;
  for (auto [letter, action] : {std::pair{'N', &editor->Act(kCmdNew)},
                                {'O', &editor->Act(kCmdOpen)},
                                {'S', &editor->Act(kCmdSave)},
                                {'P', &editor->Act(kCmdPrint)},
                                {'R', &editor->Act(kCmdReload)},
                                {'V', &editor->Act(kCmdPaste)},
                                {'Z', &editor->Act(kCmdUndo)},
                                {'Y', &editor->Act(kCmdRedo)}})
    action->onExecute = [&runs, letter = letter] { ++runs[letter]; };
  const std::vector<HWND> stops = Stops();
  int visited = 0;
  for (HWND stop : stops) {
    Key(VK_TAB);
    ASSERT_EQ(GetFocus(), stop);
    ++visited;
    for (char letter : std::string("NOSPRVZY")) {
      Key(static_cast<WORD>(letter), false, true);
      EXPECT_EQ(runs[letter], visited) << "Ctrl+" << letter << " at stop " << visited;
    }
    // Delete reaches the form through key preview.
    editor->doc.AddLine(LineRecord{10, 10, 50, 10, 5, 0xFF, false});
    editor->doc.Select(&editor->doc.Lines().back());
    Key(VK_DELETE);
    EXPECT_TRUE(editor->doc.Lines().empty()) << "Delete at stop " << visited;
    // Releasing Print Screen pastes: here the empty clipboard's error.
    Key(VK_SNAPSHOT);
    EXPECT_EQ(boxes.boxes.size(), static_cast<size_t>(visited))
        << "Print Screen at stop " << visited;
    EXPECT_EQ(GetFocus(), stop) << "no bound key moved the focus";
  }
}

// In the entry, Ctrl+Z takes back typing not yet confirmed; once confirmed, the label.
TEST_F(KeysClipboard, CtrlZ_Should_TakeBackTheTyping_BeforeTheLabel) {
  editor->toolMode = kToolTextPoint;
  editor->InsText.SetFocus();
  Key('A');
  Key('B');
  ASSERT_EQ(editor->InsText.Text(), "ab");
  const size_t steps = editor->doc.UndoSteps();
  Key('Z', false, true);
  EXPECT_EQ(editor->InsText.Text(), "") << "the typing went";
  EXPECT_EQ(editor->doc.UndoSteps(), steps) << "the document did not change";
  Key('C');
  editor->TextOKButtonClick();
  ASSERT_EQ(editor->doc.Texts().size(), 1u);
  Key('Z', false, true);
  EXPECT_TRUE(editor->doc.Texts().empty()) << "confirmed: Ctrl+Z takes back the label";
  Key('Z', true, true);
  EXPECT_EQ(editor->doc.Texts().size(), 1u) << "Ctrl+Shift+Z makes it again";
}

TEST_F(KeysClipboard, EditorFrame_Should_HaveTheLayoutsClientSize_BelowItsMenu) {
  // The frame as the program makes it: once shown, a window manager may size it otherwise.
  CreateEditor();
  RECT client{};
  GetClientRect(editor->Handle(), &client);
  EXPECT_EQ(client.right, 542);
  EXPECT_EQ(client.bottom, 383);
  EXPECT_NE(GetMenu(editor->Handle()), nullptr);
}

TEST_F(KeysClipboard, Displays_Should_ShowTheArrowPointer) {
  const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), beam = LoadCursor(nullptr, IDC_IBEAM);
  for (qtk::Window* display :
       std::initializer_list<qtk::Window*>{&editor->SelColor, &editor->MHyouji, &editor->NowMode,
                                           &editor->LW, &editor->FName, &editor->SpinEdit1}) {
    SetCursor(beam);
    SendMessageA(display->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(display->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow) << display->Text();
  }
}

}  // namespace
}  // namespace quillora::testing_support
