// The keyboard roads of the shipped program: Enter on a mode of the launcher starts it as "G O"
// does; Enter in the entry confirms the label, and after "確　定" the entry has the focus again.
#include "program/fixture.h"

namespace quillora::program {
namespace {

HWND FocusOf(HWND window) {
  GUITHREADINFO info{sizeof info};
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

class KeyboardRoad : public ProgramTest {};

TEST_F(KeyboardRoad, EnterOnMode_Should_Start_AndEnterOrConfirm_Should_LeaveTheEntryReady) {
  program = std::make_unique<Program>();
  HWND launcher = program->WaitWindow("TScrivletForm0", 30000);
  ASSERT_TRUE(launcher && PressButton(launcher, "エディタの起動のみ"));
  Keys(launcher, {VK_RETURN});
  editor = program->WaitWindow("TScrivletForm1", 15000);
  ASSERT_NE(editor, nullptr) << "Enter did not start the mode";
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(launcher); }, 5000) && Foreground(editor));
  picture = Child(editor, "QtkPaintBox");
  Click(picture, 200, 150, true);  // the text tool: the fourth item of the picture's menu
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) Keys(nullptr, {key});
  Click(picture, 40, 30);
  HWND entry = FocusOf(editor), confirm = Child(editor, "Button", "確　定");
  ASSERT_EQ(ClassOf(entry), "Edit");
  TypeText(editor, L"Enter");
  Keys(editor, {VK_RETURN});
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(confirm); }, 3000)) << "Enter did not confirm";
  Click(picture, 40, 90);
  ClickButton(confirm);
  EXPECT_TRUE(WaitFor([&] { return FocusOf(editor) == entry; }, 3000)) << "no focus in the entry";
}

// Save As starts in its name field: a typed name and Enter save the picture under that name.
TEST_F(KeyboardRoad, SaveAs_Should_SaveUnderATypedName_When_EnterIsPressed) {
  StartEditor();
  HWND dialog = FileDialogByKeys('S');  // a picture without a name is saved as
  ASSERT_NE(dialog, nullptr) << "the save dialog did not open";
  const std::string path = dir.File("typed.bmp");
  TypeText(dialog, std::wstring(path.begin(), path.end()));
  Keys(nullptr, {VK_RETURN});
  EXPECT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　typed.bmp"; }, 5000))
      << "caption: " << Caption() << "; dialog open: " << IsWindow(dialog);
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace quillora::program
