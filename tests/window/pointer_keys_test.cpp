// Keys on the editor (Delete through key preview, Print Screen) and gestures whose line record or
// tool goes away while the button is held.
#include <windows.h>

#include <gtest/gtest.h>

#include "toolkit/app.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF;
constexpr LPARAM kDeleteDown = 0x01530001;  // repeat 1, scan code 0x53, extended key

class PointerDelete : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    Tool(TScrivletForm1::kSelect1);
  }
  void KeyDown(HWND target, WPARAM key, LPARAM lp = 1) {
    SendMessageA(target, WM_KEYDOWN, key, lp);
  }
};

TEST_F(PointerDelete, DeleteKey_Should_DeleteLabel_When_EntryFieldHasFocus) {
  editor->Show();
  Pump();
  PlaceLabel(50, 60, "whole label", 0x00FF00);
  Tool(TScrivletForm1::kSelect1);
  Click(52, 62);
  ASSERT_NE(editor->doc.SelectedText(), nullptr);
  ASSERT_EQ(editor->InsText.Text(), "whole label");
  EXPECT_TRUE(editor->InsText.Focused());
  SendMessageA(editor->InsText.Handle(), EM_SETSEL, 0, 0);
  KeyDown(editor->InsText.Handle(), VK_DELETE, kDeleteDown);
  EXPECT_TRUE(editor->doc.Texts().empty());
  EXPECT_EQ(editor->doc.SelectedText(), nullptr);
  EXPECT_EQ(editor->InsText.Text(), "");
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_EQ(CountNot(kWhite), 0);
  editor->Hide();
}

TEST_F(PointerDelete, DeleteKey_Should_StillReachEntryField_When_NothingSelected) {
  editor->InsText.SetText("abc");
  SendMessageA(editor->InsText.Handle(), EM_SETSEL, 0, 0);
  KeyDown(editor->InsText.Handle(), VK_DELETE, kDeleteDown);
  EXPECT_EQ(editor->InsText.Text(), "bc");
}

TEST_F(PointerDelete, DeleteKey_Should_DeleteSelectedLine_AndThenNothing) {
  AddLine({100, 100, 300, 100, 5, kRed, false});
  const LineRecord& kept = AddLine({100, 200, 300, 200, 5, kRed, false});
  Click(200, 100);
  ASSERT_NE(editor->doc.SelectedLine(), nullptr);
  KeyDown(editor->Handle(), VK_DELETE, kDeleteDown);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(&editor->doc.Lines()[0], &kept);
  EXPECT_EQ(editor->doc.SelectedLine(), nullptr);
  EXPECT_EQ(Px(200, 100), kWhite);
  EXPECT_EQ(Px(200, 200), kRed);
  KeyDown(editor->Handle(), VK_DELETE, kDeleteDown);
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
}

// A deletion after a save is a change to save: closing asks again.
TEST_F(PointerDelete, DeleteKey_Should_MarkModified) {
  AddLine({100, 100, 300, 100, 5, kRed, false});
  Click(200, 100);
  editor->doc.MarkSaved();
  KeyDown(editor->Handle(), VK_DELETE, kDeleteDown);
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_TRUE(editor->doc.Modified());
}

TEST_F(PointerDelete, OtherKeys_Should_DeleteNothing) {
  AddLine({100, 100, 300, 100, 5, kRed, false});
  Click(200, 100);
  KeyDown(editor->Handle(), VK_BACK);
  KeyDown(editor->Handle(), 'D');
  SendMessageA(editor->Handle(), WM_KEYUP, VK_DELETE, 0xC1530001);
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_NE(editor->doc.SelectedLine(), nullptr);
}

TEST_F(PointerDelete, DelButton_Should_DeleteSelectedLabel) {
  const TMoji& label = PlaceLabel(50, 60, "gone", 0x00FF00);
  (void)label;
  Tool(TScrivletForm1::kSelect1);
  Click(52, 62);
  ASSERT_NE(editor->doc.SelectedText(), nullptr);
  editor->ToolBar1.Click("ToolButton3");
  EXPECT_TRUE(editor->doc.Texts().empty());
  EXPECT_EQ(editor->InsText.Text(), "");
  editor->Act(kCmdDel).Execute();  // nothing selected: nothing happens
  EXPECT_TRUE(editor->doc.Texts().empty());
}

class PointerSoundness : public PictureTest {};

TEST_F(PointerSoundness, LineGesture_Should_StopTouchingLines_When_DocumentClearedMidDrag) {
  Tool(TScrivletForm1::kLine1);
  Press(10, 10);
  Move(50, 50);
  editor->Act(kCmdNew).Execute();
  ASSERT_TRUE(editor->doc.Lines().empty());
  Move(60, 60);
  Release(60, 60);
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_FALSE(editor->dragging);
  EXPECT_EQ(CountNot(kWhite), 0);
}

TEST_F(PointerSoundness, LineGesture_Should_LeaveOtherRecords_When_ItsOwnIsGone) {
  Tool(TScrivletForm1::kLine1);
  Press(10, 10);
  editor->Act(kCmdNew).Execute();
  const LineRecord& other = AddLine({7, 7, 7, 7, 5, kRed, false});
  Move(70, 70);
  EXPECT_EQ(other.EndX, 7);
  Release(70, 70);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(other.EndX, 7);
  // Also with no move in between: the release removes nothing it did not make.
  Press(20, 20);
  editor->doc.Remove(editor->doc.Lines().back());
  Release(20, 20);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(&editor->doc.Lines()[0], &other);
}

TEST_F(PointerSoundness, SelectGesture_Should_NotStretchLastLine_When_ToolBecomesLineMidDrag) {
  const LineRecord& first = AddLine({100, 100, 300, 100, 5, kRed, false});
  const LineRecord& last = AddLine({100, 300, 300, 300, 5, kRed, false});
  Tool(TScrivletForm1::kSelect1);
  Press(200, 100);
  ASSERT_EQ(editor->doc.SelectedLine(), &first);
  qtk::Application::Get().RunCommand(editor->PopupMenu2->CommandOf("Line2"));
  ASSERT_EQ(editor->toolMode, kToolLine);
  Move(250, 150);
  Release(250, 150);
  EXPECT_EQ(last.EndX, 300);
  EXPECT_EQ(last.EndY, 300);
  EXPECT_EQ(first.StartX, 100);
  EXPECT_EQ(editor->doc.Lines().size(), 2u);
}

TEST_F(PointerSoundness, SelectGesture_Should_MoveNothing_When_SelectionDeletedMidDrag) {
  const LineRecord& line = AddLine({100, 100, 300, 100, 5, kRed, false});
  const LineRecord& other = AddLine({100, 300, 300, 300, 5, kRed, false});
  Tool(TScrivletForm1::kSelect1);
  Press(200, 100);
  ASSERT_EQ(editor->doc.SelectedLine(), &line);
  SendMessageA(editor->Handle(), WM_KEYDOWN, VK_DELETE, kDeleteDown);
  Move(250, 150);
  Release(250, 150);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(other.StartX, 100);
  EXPECT_EQ(other.StartY, 300);
}

class PointerPrintScreen : public PictureTest {
 protected:
  // Puts a device-dependent bitmap of the given size on the clipboard.
  void ClipboardPicture(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(OpenClipboard(editor->Handle()));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, bitmap);
    CloseClipboard();
  }
};

TEST_F(PointerPrintScreen, KeyUp_Should_Paste_When_PrintScreenReleased) {
  ClipboardPicture(7, 5);
  SendMessageA(editor->Handle(), WM_KEYDOWN, VK_SNAPSHOT, 1);
  EXPECT_EQ(editor->doc.Base().Width(), 640);
  SendMessageA(editor->InsText.Handle(), WM_KEYUP, VK_SNAPSHOT, 0xC0000001);
  EXPECT_EQ(editor->doc.Base().Width(), 7);
  EXPECT_EQ(editor->doc.Base().Height(), 5);
  // With Alt held the release arrives as a system key.
  ClipboardPicture(9, 4);
  SendMessageA(editor->Handle(), WM_SYSKEYUP, VK_SNAPSHOT, 0xE0000001);
  EXPECT_EQ(editor->doc.Base().Width(), 9);
  EXPECT_EQ(editor->doc.Base().Height(), 4);
}

TEST_F(PointerPrintScreen, KeyUp_Should_NotPaste_When_OtherKeyReleased) {
  ClipboardPicture(7, 5);
  SendMessageA(editor->Handle(), WM_KEYUP, 'P', 0xC0000001);
  SendMessageA(editor->Handle(), WM_KEYUP, VK_DELETE, 0xC1530001);
  EXPECT_EQ(editor->doc.Base().Width(), 640);
}

}  // namespace
}  // namespace quillora::testing_support
