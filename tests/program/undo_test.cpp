// Undo and redo on the shipped program: real keys, the real open dialog, results on screen.
#include "program/fixture.h"

namespace quillora::program {
namespace {

class UndoRoad : public ProgramTest {
protected:
  uint32_t At(int x, int y) { return ClientPixel(picture, x, y); }
  bool Shows(int x, int y, const std::function<bool(uint32_t)>& is) {
    return WaitFor([&] { return is(At(x, y)); }, 3000);
  }
};

const auto kWhite = [](uint32_t c) { return c == 0xFFFFFFu; };
const auto kMarked = [](uint32_t c) { return c != 0xFFFFFFu; };  // the line, plain or selected

TEST_F(UndoRoad, DeleteAndOpen_Should_ComeBackWithCtrlZ) {
  StartEditor();
  Drag(picture, {20, 20}, {200, 120});  // the line tool: red, 5 wide
  ASSERT_TRUE(Shows(110, 70, IsRed)) << std::hex << At(110, 70);
  // The select tool from the picture's own menu (its second item), the line, Delete.
  Click(picture, 300, 150, true);
  Wait(400);
  Keys(nullptr, {VK_DOWN});
  Keys(nullptr, {VK_DOWN});
  Keys(nullptr, {VK_RETURN});
  Click(picture, 110, 70);
  ASSERT_TRUE(Shows(110, 70, [](uint32_t c) { return !IsRed(c) && c != 0xFFFFFFu; }))
      << "the line was not selected: " << std::hex << At(110, 70);
  Keys(editor, {VK_DELETE});
  ASSERT_TRUE(Shows(110, 70, kWhite)) << "Delete removed nothing: " << std::hex << At(110, 70);
  Keys(editor, {VK_CONTROL, 'Z'});
  EXPECT_TRUE(Shows(110, 70, kMarked)) << "Ctrl+Z did not bring the line back";
  Keys(editor, {VK_CONTROL, 'Y'});
  EXPECT_TRUE(Shows(110, 70, kWhite)) << "Ctrl+Y did not delete it again";
  Keys(editor, {VK_CONTROL, VK_SHIFT, 'Z'});
  EXPECT_TRUE(Shows(110, 70, kWhite)) << "nothing left to redo";
  Keys(editor, {VK_CONTROL, 'Z'});
  ASSERT_TRUE(Shows(110, 70, kMarked));

  // Another picture opened, then taken back: the former picture with its line and caption.
  const std::string path = dir.File("blue.bmp");
  testing_support::WriteFile(path, testing_support::MakeBmp24(40, 30, [](int, int) { return 0xFF0000u; }));
  OpenThroughDialog(path);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　blue.bmp"; }, 5000)) << Caption();
  Keys(editor, {VK_CONTROL, 'Z'});
  EXPECT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　『 画像作成 』"; }, 5000)) << Caption();
  EXPECT_TRUE(Shows(110, 70, IsRed)) << std::hex << At(110, 70);
  EXPECT_TRUE(Shows(450, 200, kWhite)) << "the blank picture at its own size";
}

}  // namespace
}  // namespace quillora::program
