// The Print Screen stand-in, the capture with the real clock and keyboard, and the program itself
// driven from outside: capture, draw a line, save through the real save dialog.
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

SIZE VirtualScreen() { return {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)}; }

// A plain visible window of known size, put in the foreground.
class ForegroundWindow {
public:
  ForegroundWindow() {
    hwnd_ = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 100, 80, 210, 130, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(hwnd_);
  }
  ~ForegroundWindow() { DestroyWindow(hwnd_); }
  HWND get() const { return hwnd_; }

private:
  HWND hwnd_;
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
    launcher = std::make_unique<TScrivletForm0>();
    launcher->Create(editor.get());
    launcher->notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    launcher->Show();
    Pump();
  }
  void TearDown() override {
    launcher.reset();
    EditorTest::TearDown();
  }
  std::unique_ptr<TScrivletForm0> launcher;
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
  EXPECT_EQ(editor->baseImage.Width(), VirtualScreen().cx);
  EXPECT_EQ(editor->baseImage.Height(), VirtualScreen().cy);
  EXPECT_EQ(editor->PB1.Width(), VirtualScreen().cx);
  EXPECT_TRUE(editor->modified);
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
  EXPECT_FALSE(editor->modified);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}


// --- the program itself, driven from outside ---

// Quillora.exe beside the test program, started with its own window; ended at the end whatever
// happened.
class Program {
public:
  explicit Program(const std::string& argument = "") {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe = self;
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "Quillora.exe";
    std::string command = "\"" + exe + "\"";
    if (!argument.empty()) command += " \"" + argument + "\"";
    STARTUPINFOA si{sizeof si};
    started_ = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi_);
  }
  ~Program() {
    if (!started_) return;
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Id() const { return pi_.dwProcessId; }
  bool Ended() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }

  // A visible top-level window of the program of that class.
  HWND Window(const char* className) const {
    struct Search {
      DWORD pid;
      const char* cls;
      HWND found;
    } search{pi_.dwProcessId, className, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          char cls[64] = {};
          GetClassNameA(h, cls, sizeof cls);
          if (pid != s->pid || std::strcmp(cls, s->cls) != 0 || !IsWindowVisible(h)) return TRUE;
          s->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND WaitWindow(const char* className, DWORD ms) const {
    HWND h = nullptr;
    PumpUntil([&] { return (h = Window(className)) != nullptr; }, ms);
    return h;
  }

private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// The largest visible child of a class (the paint box, not the hidden clipboard carrier).
HWND VisibleChild(HWND parent, const char* className) {
  struct Search {
    const char* cls;
    HWND found;
  } search{className, nullptr};
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (std::strcmp(cls, s->cls) == 0 && IsWindowVisible(h)) s->found = h;
        return s->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> inputs;
  for (auto [vk, up] : strokes) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A name it cannot open on the command line: the message, and the program ends without the
// launcher ever appearing.
TEST(EndToEnd, UnsupportedArgument_Should_EndAfterMessage_WithoutShowingLauncher) {
  TempDir dir;
  const std::string path = dir.File("shot.png");
  WriteFile(path, "not opened");
  Program program(path);
  ASSERT_TRUE(program.Started());
  HWND box = program.WaitWindow("#32770", 20000);
  ASSERT_NE(box, nullptr) << "no message";
  // Watched without pause from the answer to the end of the process.
  bool seen = false;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  const DWORD start = GetTickCount();
  while (!program.Ended() && GetTickCount() - start < 10000)
    seen = seen || program.Window("TScrivletForm0") != nullptr;
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(seen) << "the launcher was shown";
}

TEST(EndToEnd, CaptureDrawAndSaveAsJpeg_Should_GiveScreenSizedFileWithTheLine) {
  Program program;
  ASSERT_TRUE(program.Started());
  HWND launcher = program.WaitWindow("TScrivletForm0", 20000);
  ASSERT_NE(launcher, nullptr);
  char caption[64] = {};
  GetWindowTextA(launcher, caption, sizeof caption);
  EXPECT_STREQ(caption, "　Quillora");

  // "G O" in the first mode, the whole screen.
  HWND go = FindWindowExA(launcher, nullptr, "Button", "G O");
  ASSERT_NE(go, nullptr);
  PostMessageA(launcher, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(go), BN_CLICKED), reinterpret_cast<LPARAM>(go));
  HWND editor = program.WaitWindow("TScrivletForm1", 15000);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(IsWindowVisible(launcher));
  HWND pb1 = VisibleChild(editor, "QtkPaintBox");
  ASSERT_NE(pb1, nullptr);
  RECT box{};
  GetClientRect(pb1, &box);
  EXPECT_EQ(box.right, VirtualScreen().cx) << "the picture has the screen's size";
  EXPECT_EQ(box.bottom, VirtualScreen().cy);

  // A line dragged with the line tool that the capture chose.
  PostMessageA(pb1, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
  PostMessageA(pb1, WM_MOUSEMOVE, MK_LBUTTON, At(200, 150));
  PostMessageA(pb1, WM_MOUSEMOVE, MK_LBUTTON, At(300, 200));
  PostMessageA(pb1, WM_LBUTTONUP, 0, At(300, 200));
  PumpUntil([] { return false; }, 300);

  // Ctrl+S on a fresh capture opens the save dialog: JPEG (*.jpg), the path typed, Enter.
  // Real key presses go to the foreground window; another program may take it meanwhile.
  HWND dialog = nullptr;
  for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
    SetForegroundWindow(editor);
    PumpUntil([&] { return GetForegroundWindow() == editor; }, 2000);
    Keys({{VK_CONTROL, false}, {'S', false}, {'S', true}, {VK_CONTROL, true}});
    dialog = program.WaitWindow("#32770", 5000);
  }
  ASSERT_NE(dialog, nullptr) << "the save dialog did not open";
  TempDir dir;
  const std::string target = dir.File("endtoend.jpg");
  HWND types = GetDlgItem(dialog, 0x470);  // the file type list
  ASSERT_NE(types, nullptr);
  SendMessageA(types, CB_SETCURSEL, 1, 0);
  // What the list tells the dialog when the user picks an entry.
  for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(types));
  // The file name field: an edit inside the name box (a combo box, or an extended one).
  HWND nameBox = GetDlgItem(dialog, 0x47C);
  HWND name = GetDlgItem(dialog, 0x480);
  if (!name && nameBox) name = reinterpret_cast<HWND>(SendMessageA(nameBox, CBEM_GETEDITCONTROL, 0, 0));
  if (!name && nameBox) name = FindWindowExA(nameBox, nullptr, "Edit", nullptr);
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
  SetFocus(name);
  PostMessageA(name, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(name, WM_KEYUP, VK_RETURN, 0xC01C0001);
  ASSERT_TRUE(PumpUntil(
      [&] {
        char text[128] = {};
        GetWindowTextA(editor, text, sizeof text);
        return std::string(text) == "　Quillora　　endtoend.jpg";
      },
      10000))
      << "the picture was not saved";

  std::string data = ReadFileBytes(target);
  qtk::Bitmap decoded;
  qtk::jpeg::Decode({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, false,
                    [&](int32_t w, int32_t h) { return decoded.Allocate(w, h); });
  EXPECT_EQ(decoded.Width(), VirtualScreen().cx);
  EXPECT_EQ(decoded.Height(), VirtualScreen().cy);
  for (int x : {120, 200, 280}) {
    const uint32_t c = PixelAt(decoded, x, 100 + (x - 100) / 2);
    EXPECT_GT(c & 0xFF, 180u) << "red on the line at x=" << x;
    EXPECT_LT((c >> 8) & 0xFF, 90u) << x;
    EXPECT_LT((c >> 16) & 0xFF, 90u) << x;
  }
  const uint32_t away = PixelAt(decoded, 200, 120);
  EXPECT_FALSE((away & 0xFF) > 180 && ((away >> 8) & 0xFF) < 90) << "no red away from the line";
}

}  // namespace
}  // namespace quillora::testing_support
