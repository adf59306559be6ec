// What the screen shows after the editor's layout changes: read back from the screen itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

// Screen pixels of a rectangle in screen coordinates, 0x00BBGGRR, row by row.
std::vector<uint32_t> Grab(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  qtk::BitmapObject dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    qtk::SelectScope scope(mem, dib.get());
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < px.size(); ++i)  // DIB order is 0x00RRGGBB
    px[i] = (p[i] & 0xFF) << 16 | (p[i] & 0xFF00) | (p[i] >> 16 & 0xFF);
  return px;
}

class LayoutScreen : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    qtk::FontDialog::hook = [this](qtk::FontDialog& d) {
      d.font = chosen;
      return true;
    };
    UsePicture(900, 700, [](int x, int y) { return (x / 7 + y / 5) % 3 ? 0x3070B0u : 0xE0C020u; });
    // The pointer away from the window: no hot button or tooltip changes while the screen is read.
    SetCursorPos(1000, 750);
    editor->Show();
    // Topmost, so that windows of tests running beside this one cannot cover it.
    SetWindowPos(editor->Handle(), HWND_TOPMOST, 0, 0, 700, 500, SWP_SHOWWINDOW);
    Settle();
  }
  void TearDown() override {
    qtk::FontDialog::hook = nullptr;
    PictureTest::TearDown();
  }
  // Runs the messages until the screen over the window stops changing (the system hands drawn
  // pixels to the screen a little later), up to two seconds.
  void Settle() {
    const RECT r = ClientOnScreen(editor->Handle());
    std::vector<uint32_t> last;
    for (DWORD end = GetTickCount() + 2000; GetTickCount() < end;) {
      Pump();
      Sleep(40);
      std::vector<uint32_t> now = Grab(r);
      if (now == last) return;
      last = std::move(now);
    }
  }
  RECT ClientOnScreen(HWND hwnd) const {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // The visible part of the picture on the screen against what the composition shows.
  ::testing::AssertionResult PictureShown() const {
    const RECT view = ClientOnScreen(editor->ScrollBox1.Handle());
    POINT origin{0, 0};
    ClientToScreen(editor->PB1.Handle(), &origin);
    const std::vector<uint32_t> got = Grab(view);
    const int w = view.right - view.left;
    // The view may be larger than the picture (a window manager can size the window to the screen).
    RECT picture{};
    GetClientRect(editor->PB1.Handle(), &picture);
    const int right = std::min<int>(view.right, origin.x + picture.right);
    const int bottom = std::min<int>(view.bottom, origin.y + picture.bottom);
    const qtk::Bitmap& shown = Shown();
    int differing = 0;
    for (int y = view.top; y < bottom; ++y)
      for (int x = view.left; x < right; ++x)
        differing += got[static_cast<size_t>(y - view.top) * w + (x - view.left)] !=
                     PixelAt(shown, x - origin.x, y - origin.y);
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels of the picture differ";
  }
  qtk::FontSpec chosen;
};

// A font change grows or shrinks the entry row and moves the palette band and the picture: the
// screen shows the picture where it now is, and the window looks as a full repaint draws it (one
// palette band, no strip of the old layout anywhere).
TEST_F(LayoutScreen, FontChange_Should_LeaveScreenAsFullRepaintDrawsIt) {
  for (int height : {-24, -12, -40, -9}) {
    chosen.height = height;
    const int before = editor->CoolBar1.BarHeight();
    editor->Act(kCmdFont).Execute();
    Settle();
    ASSERT_NE(editor->CoolBar1.BarHeight(), before) << height;
    EXPECT_TRUE(PictureShown()) << height;
    const RECT client = ClientOnScreen(editor->Handle());
    const std::vector<uint32_t> shown = Grab(client);
    RedrawWindow(editor->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle();
    const std::vector<uint32_t> repainted = Grab(client);
    int differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) differing += shown[i] != repainted[i];
    EXPECT_EQ(differing, 0) << height;
  }
}

}  // namespace
}  // namespace quillora::testing_support
