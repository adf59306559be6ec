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
  // The select tool from the picture's own menu (its second item), then a click on the line.
  void SelectLineAt(int x, int y) {
    Click(picture, 250, 150, true);
    Wait(400);
    Keys(nullptr, {VK_DOWN});
    Keys(nullptr, {VK_DOWN});
    Keys(nullptr, {VK_RETURN});
    Click(picture, x, y);
    ASSERT_TRUE(Shows(x, y, [](uint32_t c) { return !IsRed(c) && c != 0xFFFFFFu; }))
        << "the line was not selected: " << std::hex << At(x, y);
  }
};

const auto kWhite = [](uint32_t c) { return c == 0xFFFFFFu; };
const auto kMarked = [](uint32_t c) { return c != 0xFFFFFFu; };  // the line, plain or selected

TEST_F(UndoRoad, DeleteAndOpen_Should_ComeBackWithCtrlZ) {
  StartEditor();
  Drag(picture, {20, 20}, {200, 120});  // the line tool: red, 5 wide
  ASSERT_TRUE(Shows(110, 70, IsRed)) << std::hex << At(110, 70);
  ASSERT_NO_FATAL_FAILURE(SelectLineAt(110, 70));
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
  testing_support::WriteFile(
      path, testing_support::MakeBmp24(40, 30, [](int, int) { return 0xFF0000u; }));
  OpenThroughDialog(path);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　blue.bmp"; }, 5000)) << Caption();
  Keys(editor, {VK_CONTROL, 'Z'});
  EXPECT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　『 画像作成 』"; }, 5000))
      << Caption();
  EXPECT_TRUE(Shows(110, 70, IsRed)) << std::hex << At(110, 70);
  EXPECT_TRUE(Shows(450, 200, kWhite)) << "the blank picture at its own size";
}

// The pixel (x, y) of a 24-bit bottom-up BMP file's bytes.
uint32_t BmpPixel(const std::string& bmp, int x, int y) {
  auto at = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(bmp.at(i))); };
  auto word = [&](size_t i) { return at(i) | at(i + 1) << 8 | at(i + 2) << 16 | at(i + 3) << 24; };
  const uint32_t width = word(18), height = word(22);
  const size_t row = (width * 3 + 3) & ~3u;
  const size_t p = word(10) + (height - 1 - static_cast<uint32_t>(y)) * row + x * 3u;
  return at(p) << 16 | at(p + 1) << 8 | at(p + 2);  // as 0xBBGGRR, like a COLORREF
}

// What is selected on the screen is saved as it is drawn, in its own colour.
TEST_F(UndoRoad, SelectedLine_Should_BeSavedInItsOwnColour) {
  StartEditor();
  const std::string path = dir.File("w.bmp");
  testing_support::WriteFile(
      path, testing_support::MakeBmp24(300, 200, [](int, int) { return 0xFFFFFFu; }));
  OpenThroughDialog(path);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　w.bmp"; }, 5000)) << Caption();
  Drag(picture, {20, 20}, {200, 120});
  ASSERT_TRUE(Shows(110, 70, IsRed));
  ASSERT_NO_FATAL_FAILURE(SelectLineAt(110, 70));
  Keys(editor, {VK_CONTROL, 'S'});
  std::string saved;
  ASSERT_TRUE(WaitFor(
      [&] {
        saved = testing_support::ReadFileBytes(path);
        return saved.size() > 54 && BmpPixel(saved, 110, 70) != 0xFFFFFFu;
      },
      5000))
      << "Ctrl+S wrote no line";
  EXPECT_TRUE(IsRed(BmpPixel(saved, 110, 70))) << std::hex << BmpPixel(saved, 110, 70);
  EXPECT_EQ(BmpPixel(saved, 250, 30), 0xFFFFFFu);
  EXPECT_FALSE(IsRed(At(110, 70))) << "the screen still shows it selected";
}

// A picture that came back by undo and differs from its file is never closed without the question.
TEST_F(UndoRoad, UndoPastASave_Should_AskOnClose) {
  StartEditor();
  const std::string path = dir.File("a.bmp");
  const std::string white =
      testing_support::MakeBmp24(300, 200, [](int, int) { return 0xFFFFFFu; });
  testing_support::WriteFile(path, white);
  OpenThroughDialog(path);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　a.bmp"; }, 5000)) << Caption();
  Drag(picture, {20, 20}, {200, 120});
  ASSERT_TRUE(Shows(110, 70, IsRed));
  Keys(editor, {VK_CONTROL, 'S'});
  ASSERT_TRUE(WaitFor([&] { return testing_support::ReadFileBytes(path) != white; }, 5000))
      << "Ctrl+S wrote nothing";
  Keys(editor, {VK_CONTROL, 'Z'});
  ASSERT_TRUE(Shows(110, 70, kWhite)) << "the line did not go";
  Keys(editor, {VK_CONTROL, 'Z'});
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　『 画像作成 』"; }, 5000))
      << Caption();
  Keys(editor, {VK_CONTROL, 'Y'});
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　a.bmp"; }, 5000)) << Caption();
  EXPECT_TRUE(Shows(110, 70, kWhite)) << "a.bmp without its line, while the file holds it";
  Keys(editor, {VK_MENU, VK_F4});
  const Box box = WaitBox(*program);
  ASSERT_NE(box.hwnd, nullptr) << "closed without asking";
  EXPECT_EQ(box.title, "確認");
  EXPECT_NE(box.text.find("a.bmp"), std::string::npos) << box.text;
  ASSERT_TRUE(Answer(box, IDCANCEL));
}

// A file that cannot be read changes nothing: the saved line stays, and the close asks nothing.
TEST_F(UndoRoad, FailedOpen_Should_KeepTheSavedDocument) {
  StartEditor();
  const std::string good = dir.File("good.bmp"), bad = dir.File("bad.bmp");
  const std::string white =
      testing_support::MakeBmp24(300, 200, [](int, int) { return 0xFFFFFFu; });
  testing_support::WriteFile(good, white);
  testing_support::WriteFile(bad, white.substr(0, 300));
  OpenThroughDialog(good);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　good.bmp"; }, 5000)) << Caption();
  Drag(picture, {20, 20}, {200, 120});
  ASSERT_TRUE(Shows(110, 70, IsRed));
  Keys(editor, {VK_CONTROL, 'S'});
  ASSERT_TRUE(WaitFor([&] { return testing_support::ReadFileBytes(good) != white; }, 5000));
  OpenThroughDialog(bad);
  const Box error = WaitBox(*program);
  ASSERT_NE(error.hwnd, nullptr) << "no error box";
  ASSERT_TRUE(Answer(error, IDOK));
  EXPECT_TRUE(Shows(110, 70, IsRed)) << "the line went with the failed open";
  EXPECT_EQ(Caption(), "　Quillora　　good.bmp");
  Keys(editor, {VK_MENU, VK_F4});
  EXPECT_EQ(program->WaitEnd(10000), 0) << "the saved document asked before closing";
}

// A reload and a new capture are steps like any other: the way back reaches the marked picture.
TEST_F(UndoRoad, UndoPastAReload_Should_BringTheLineBack) {
  StartEditor();
  Drag(picture, {20, 20}, {200, 120});
  ASSERT_TRUE(Shows(110, 70, IsRed));
  Keys(editor, {VK_CONTROL, 'R'});
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 5000))
      << "the reload did not hide it";
  ASSERT_TRUE(PressButton(program->launcher, "G O"));
  ASSERT_TRUE(WaitFor(
      [&] { return IsWindowVisible(editor) && !IsWindowVisible(program->launcher); }, 10000));
  ASSERT_TRUE(Foreground(editor));
  Wait(300);
  Keys(editor, {VK_CONTROL, 'Z'});
  Keys(editor, {VK_CONTROL, 'Z'});
  EXPECT_TRUE(Shows(110, 70, IsRed))
      << "the marked picture did not come back: " << std::hex << At(110, 70);
}

}  // namespace
}  // namespace quillora::program
