// The Print Screen stand-in, and the capture with the real clock and keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <functional>

#include "launcher/launcher.h"
#include "support/editor_fixture.h"
#include "toolkit/logic/jpeg_codec.h"
#include "toolkit/platform.h"
#include "toolkit/screen_copy.h"

namespace quillora::testing_support {
namespace {

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

// Size of the clipboard's bitmap, or 0 x 0 when it holds none.
SIZE ClipboardBitmapSize() {
  SIZE size{0, 0};
  if (!OpenClipboard(nullptr)) return size;
  if (auto h = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP bm{};
    GetObjectA(h, sizeof bm, &bm);
    size = {bm.bmWidth, bm.bmHeight};
  }
  CloseClipboard();
  return size;
}

// Handles messages until `done` or the time runs out.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    qtk::Application::Get().ProcessMessages();
    Sleep(10);
  }
  return true;
}

SIZE VirtualScreen() {
  return {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// A plain visible window of known size, put in the foreground.
class ForegroundWindow {
 public:
  ForegroundWindow() {
    // Owned, as a dialog is: a window manager keeps its size (a main window it may fill the screen
    // with).
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    hwnd_ = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 100, 80, 210, 130, owner_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(hwnd_);
  }
  ~ForegroundWindow() {
    DestroyWindow(hwnd_);
    DestroyWindow(owner_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND owner_, hwnd_;
};

TEST(PrintScreenCopy, WholeScreen_Should_PutScreenSizedBitmapOnClipboard) {
  EmptyTheClipboard();
  qtk::CopyScreenToClipboard(nullptr, false);
  SIZE size = ClipboardBitmapSize();
  EXPECT_EQ(size.cx, VirtualScreen().cx);
  EXPECT_EQ(size.cy, VirtualScreen().cy);
}

TEST(PrintScreenCopy, ActiveWindow_Should_CopyForegroundWindowRectangle) {
  ForegroundWindow front;
  qtk::Application::Get().ProcessMessages();
  ASSERT_EQ(GetForegroundWindow(), front.get());
  EmptyTheClipboard();
  qtk::CopyScreenToClipboard(nullptr, true);
  SIZE size = ClipboardBitmapSize();
  EXPECT_EQ(size.cx, 210);
  EXPECT_EQ(size.cy, 130);
}

// Simulated presses reach the hook as real ones do; the copy is made while messages are handled.
TEST(PrintScreenStandInTest, SimulatedPress_Should_CopyScreen_OrForegroundWindow) {
  if (!qtk::RunningUnderWine()) GTEST_SKIP() << "Windows answers the key itself";
  qtk::PrintScreenStandIn standIn;
  ASSERT_TRUE(standIn.Active());
  EmptyTheClipboard();
  keybd_event(VK_SNAPSHOT, 0, 0, 0);
  keybd_event(VK_SNAPSHOT, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([] { return ClipboardBitmapSize().cx > 0; }, 3000));
  EXPECT_EQ(ClipboardBitmapSize().cx, VirtualScreen().cx);
  EXPECT_EQ(ClipboardBitmapSize().cy, VirtualScreen().cy);
  EXPECT_EQ(standIn.Copies(), 1);

  ForegroundWindow front;
  EmptyTheClipboard();
  keybd_event(VK_SNAPSHOT, 1, 0, 0);
  keybd_event(VK_SNAPSHOT, 1, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([] { return ClipboardBitmapSize().cx > 0; }, 3000));
  EXPECT_EQ(ClipboardBitmapSize().cx, 210);
  EXPECT_EQ(ClipboardBitmapSize().cy, 130);
}

TEST(PrintScreenStandInTest, OtherKeys_Should_CopyNothing) {
  if (!qtk::RunningUnderWine()) GTEST_SKIP();
  qtk::PrintScreenStandIn standIn;
  EmptyTheClipboard();
  keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(standIn.Copies(), 0);
  EXPECT_EQ(ClipboardBitmapSize().cx, 0);
}

// A launcher and an editor as the program makes them, with the real clock and keyboard.
class CaptureReal : public EditorTest {
 protected:
  void SetUp() override {
    CreateEditor();
    CreateLauncher();
    launcher->notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    launcher->Show();
    Pump();
  }
};

class CaptureScreen : public CaptureReal {};

TEST_F(CaptureScreen, WholeScreenMode_Should_GiveEditorTheScreenPicture) {
  qtk::PrintScreenStandIn standIn;
  EmptyTheClipboard();
  const DWORD start = GetTickCount();
  launcher->ScreenCapClick();
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 1400u);
  EXPECT_LT(took, 5000u);
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->doc.Base().Width(), VirtualScreen().cx);
  EXPECT_EQ(editor->doc.Base().Height(), VirtualScreen().cy);
  EXPECT_EQ(editor->PB1.Width(), VirtualScreen().cx);
  EXPECT_TRUE(editor->doc.Modified());
}

// Told to end during the first pause ("N G" from the icon's menu): the sequence stops there.
// It leaves the application ended, so it is the only test of its suite.
class CaptureEnd : public CaptureReal {};

TEST_F(CaptureEnd, ProgramEndingDuringPause_Should_StopSequenceAtOnce) {
  int keys = 0;
  launcher->keySender = [&](BYTE, BYTE, DWORD, ULONG_PTR) { ++keys; };
  qtk::Application::Get().SetMainWindow(launcher.get());
  launcher->Hide();  // hiding a shown window waits for the display; the pause alone is timed
  PostMessageA(launcher->Handle(), WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  launcher->ScreenCapClick();
  EXPECT_LT(GetTickCount() - start, 500u);
  qtk::Application::Get().SetMainWindow(nullptr);
  EXPECT_TRUE(qtk::Application::Get().Terminated());
  EXPECT_EQ(keys, 0);
  EXPECT_FALSE(editor->Visible());
  EXPECT_FALSE(editor->doc.Modified());
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
}  // namespace quillora::testing_support
