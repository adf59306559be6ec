// The close question of the shipped program, answered each way with the real box.
#include "program/fixture.h"

namespace quillora::program {
namespace {

class CloseQuestion : public ProgramTest {
 protected:
  void SetUp() override {
    StartEditor();
    Drag(picture, {20, 20}, {200, 120});  // a line: red, 5 wide, over the white picture
  }
  // Alt+F4 on the editor; the question it brings.
  Box AskToClose() {
    Keys(editor, {VK_MENU, VK_F4});
    return WaitBox(*program);
  }
  bool LineShown() { return ClientPixel(picture, 110, 70) == RGB(255, 0, 0); }
};

TEST_F(CloseQuestion, Box_Should_AskWithTheThreeAnswers) {
  ASSERT_TRUE(WaitFor([&] { return LineShown(); }, 3000))
      << "the line was not drawn: " << std::hex << ClientPixel(picture, 110, 70);
  const Box box = AskToClose();
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.title, "確認");
  EXPECT_EQ(box.text.substr(0, 11), " 『 画像 』") << box.text;
  EXPECT_EQ(box.buttons, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)", "キャンセル"}));
  ASSERT_TRUE(Answer(box, IDCANCEL));
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_TRUE(WaitFor([&] { return LineShown(); }, 3000)) << "the line is kept";
}

TEST_F(CloseQuestion, No_Should_EndWithoutWriting) {
  ASSERT_TRUE(Answer(AskToClose(), IDNO));
  EXPECT_EQ(program->WaitEnd(10000), 0);
}

TEST_F(CloseQuestion, Yes_Should_SaveThroughDialog_ThenEnd) {
  ASSERT_TRUE(Answer(AskToClose(), IDYES));
  HWND dialog = WaitFileDialog(*program);
  ASSERT_NE(dialog, nullptr) << "a capture has no name: the save dialog asks for one";
  const std::string path = dir.File("closed.bmp");
  ASSERT_TRUE(FillFileDialog(dialog, path, 0));
  EXPECT_EQ(program->WaitEnd(10000), 0);
  const std::string saved = testing_support::ReadFileBytes(path);
  ASSERT_GT(saved.size(), 54u) << "nothing saved";
  EXPECT_EQ(saved.substr(0, 2), "BM");
}

TEST_F(CloseQuestion, YesThenCancelledDialog_Should_KeepEditorOpen) {
  ASSERT_TRUE(Answer(AskToClose(), IDYES));
  HWND dialog = WaitFileDialog(*program);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(CancelDialog(dialog));
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_TRUE(WaitFor([&] { return LineShown(); }, 3000)) << "the line is kept";
  // Still asks: nothing was saved.
  const Box again = AskToClose();
  ASSERT_NE(again.hwnd, nullptr);
  EXPECT_EQ(again.title, "確認");
  Answer(again, IDCANCEL);
}

}  // namespace
}  // namespace quillora::program
