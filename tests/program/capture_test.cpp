// The launcher's capture road in the shipped program: "G O" on the whole screen, a line, Ctrl+S
// through the real save dialog, the JPEG read back.
#include "program/fixture.h"
#include "toolkit/logic/jpeg_codec.h"

namespace quillora::program {
namespace {

class CaptureRoad : public ProgramTest {};

TEST_F(CaptureRoad, WholeScreen_Line_SaveAsJpeg_Should_GiveScreenSizedFileWithTheLine) {
  program = std::make_unique<Program>();
  HWND launcher = program->WaitWindow("TScrivletForm0", 30000);
  ASSERT_NE(launcher, nullptr);
  EXPECT_EQ(Text(launcher), "　Quillora");
  ASSERT_TRUE(PressButton(launcher, "G O"));  // the first mode, the whole screen, is chosen
  editor = program->WaitWindow("TScrivletForm1", 15000);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(IsWindowVisible(launcher));
  picture = Child(editor, "QtkPaintBox");
  ASSERT_NE(picture, nullptr);
  const int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN),
            screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT box{};
  GetClientRect(picture, &box);
  EXPECT_EQ(box.right, screenW) << "the picture has the screen's size";
  EXPECT_EQ(box.bottom, screenH);

  ASSERT_TRUE(Foreground(editor));  // as a user's first click would make it
  Wait(300);
  Drag(picture, {100, 100}, {300, 200});
  HWND dialog = FileDialogByKeys('S');
  ASSERT_NE(dialog, nullptr) << "the save dialog did not open";
  const std::string target = dir.File("capture.jpg");
  ASSERT_TRUE(FillFileDialog(dialog, target, 1));
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　capture.jpg"; }, 10000))
      << Caption();

  const std::string data = testing_support::ReadFileBytes(target);
  std::vector<uint8_t> pixels;
  int32_t width = 0, height = 0;
  size_t stride = 0;
  qtk::jpeg::Decode({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, false,
                    [&](int32_t w, int32_t h) {
                      width = w, height = h, stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
                      pixels.assign(stride * h, 0);
                      return qtk::PixelBuffer{w, h, stride, pixels.data()};
                    });
  EXPECT_EQ(width, screenW);
  EXPECT_EQ(height, screenH);
  auto red = [&](int x, int y) {
    const uint8_t* p = pixels.data() + stride * y + x * 3;  // B, G, R
    return IsRed(RGB(p[2], p[1], p[0]));
  };
  for (int x : {120, 200, 280})
    EXPECT_TRUE(red(x, 100 + (x - 100) / 2)) << "on the line at x=" << x;
  EXPECT_FALSE(red(200, 120)) << "away from the line";
}

}  // namespace
}  // namespace quillora::program
