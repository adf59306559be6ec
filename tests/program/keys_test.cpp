// The keyboard roads of the shipped program: Enter on a mode of the launcher starts it as "G O"
// does; in the editor, Enter in the entry confirms the label, and after "確　定" the entry has the
// focus again for the next words.
#include "program/fixture.h"

namespace quillora::program {
namespace {

// The window that has the keyboard focus in the program's thread.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{sizeof info};
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// Ink (anything but white) on the picture's screen pixels in a box.
int InkIn(HWND picture, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; y += 2)
    for (int x = left; x < right; x += 2) n += ClientPixel(picture, x, y) != 0xFFFFFF;
  return n;
}

class KeyboardRoad : public ProgramTest {};

TEST_F(KeyboardRoad, EnterOnMode_Should_Start_AndEnterOrConfirm_Should_LeaveTheEntryReady) {
  program = std::make_unique<Program>();
  HWND launcher = program->WaitWindow("TScrivletForm0", 30000);
  ASSERT_NE(launcher, nullptr);
  ASSERT_TRUE(Foreground(launcher));
  for (int i = 0; i < 4 && Text(FocusOf(launcher)) != "スクリーン全体"; ++i) Keys(launcher, {VK_TAB});
  ASSERT_EQ(Text(FocusOf(launcher)), "スクリーン全体");
  for (int i = 0; i < 3; ++i) Keys(launcher, {VK_DOWN});
  ASSERT_EQ(Text(FocusOf(launcher)), "エディタの起動のみ");
  Keys(launcher, {VK_RETURN});
  editor = program->WaitWindow("TScrivletForm1", 15000);
  ASSERT_NE(editor, nullptr) << "Enter did not start the mode";
  EXPECT_EQ(Caption(), "　Quillora　　『 画像作成 』");
  picture = Child(editor, "QtkPaintBox");
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(Foreground(editor));
  Wait(500);

  // The text tool from the picture's menu (its fourth item), a point, words, Enter.
  Click(picture, 200, 150, true);
  Wait(400);
  for (int i = 0; i < 4; ++i) Keys(nullptr, {VK_DOWN});
  Keys(nullptr, {VK_RETURN});
  Click(picture, 40, 30);
  HWND entry = FocusOf(editor);
  ASSERT_EQ(ClassOf(entry), "Edit") << "the point did not put the focus in the entry: " << Text(entry);
  HWND confirm = Child(editor, "Button", "確　定");
  ASSERT_NE(confirm, nullptr);
  TypeText(editor, L"Enter");
  Keys(editor, {VK_RETURN});
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(confirm); }, 3000)) << "Enter did not confirm";
  EXPECT_GT(InkIn(picture, 40, 30, 90, 46), 10) << "no label where the point was";

  // Another point and "確　定" by a click: the entry has the focus again.
  Click(picture, 40, 90);
  ClickButton(confirm);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(confirm); }, 3000));
  EXPECT_GT(InkIn(picture, 40, 90, 90, 106), 10) << "no second label";
  EXPECT_TRUE(WaitFor([&] { return FocusOf(editor) == entry; }, 3000)) << "the focus is not in the entry";
}

}  // namespace
}  // namespace quillora::program
