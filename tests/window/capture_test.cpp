// The launcher and its capture sequence, with the clock and the keyboard replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>

#include "launcher/launcher.h"
#include "support/editor_fixture.h"
#include "toolkit/clipboard.h"
#include "toolkit/error.h"

namespace quillora::testing_support {
namespace {

struct SentKey {
  BYTE vk, scan;
  DWORD flags;
  ULONG_PTR extra;
  size_t tickIndex;  // how many tick readings came before it
};

struct IconCall {
  DWORD message;
  NOTIFYICONDATAA record;
};

void PutPictureOnClipboard(HWND owner, int width, int height, COLORREF colour) {
  qtk::WindowDC screen(nullptr);
  qtk::BitmapObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  {
    qtk::MemoryDC dc(CreateCompatibleDC(screen.get()));
    qtk::SelectScope select(dc.get(), bitmap.get());
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r{0, 0, width, height};
    FillRect(dc.get(), &r, brush);
    DeleteObject(brush);
  }
  qtk::PutBitmapOnClipboard(owner, bitmap.get());
}

void PutTextOnClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
  std::memcpy(GlobalLock(block), "text", 5);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

class CaptureTest : public EditorTest {
 protected:
  void SetUp() override {
    CreateEditor();
    CreateLauncher();
    editor->showLauncher = [this] {
      ++launcherShows;
      launcher->Show();
    };
    launcher->tickSource = [this] {
      ticks.push_back(now);
      uint32_t t = now;
      now += step;
      return t;
    };
    launcher->keySender = [this](BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
      keys.push_back({vk, scan, flags, extra, ticks.size()});
    };
    launcher->notifyIcon = [this](DWORD message, NOTIFYICONDATAA* data) {
      icons.push_back({message, *data});
      return TRUE;
    };
    Pump();
  }
  void Capture(int mode) {
    launcher->ModeSelect.SetItemIndex(mode);
    launcher->ScreenCapClick();
  }
  void UsePlatform(DWORD platform, bool ok = true) {
    launcher->versionSource = [this, platform, ok](OSVERSIONINFOA* info) {
      versionSizes.push_back(info->dwOSVersionInfoSize);
      info->dwPlatformId = platform;
      return BOOL(ok);
    };
  }
  // Elapsed time of a pause read from the fake clock, modulo 2^32.
  uint32_t Elapsed(size_t from, size_t to) const { return ticks[to] - ticks[from]; }

  uint32_t now = 0xFFFFFF00u;  // the counter wraps during the first pause
  uint32_t step = 7;
  std::vector<uint32_t> ticks;
  std::vector<SentKey> keys;
  std::vector<IconCall> icons;
  std::vector<DWORD> versionSizes;
};

TEST_F(CaptureTest, Launcher_Should_HaveItsLayout) {
  char cls[64] = {};
  GetClassNameA(launcher->Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TScrivletForm0");
  EXPECT_EQ(launcher->Text(), "　Quillora");
  RECT client{};
  GetClientRect(launcher->Handle(), &client);
  EXPECT_EQ(client.right, 160);
  EXPECT_EQ(client.bottom, 122);
  LONG style = GetWindowLongA(launcher->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_TRUE((style & (WS_SYSMENU | WS_MINIMIZEBOX)) == (WS_SYSMENU | WS_MINIMIZEBOX));
  RECT r = launcher->Bounds();
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
  EXPECT_EQ(launcher->Font().name, "ＭＳ Ｐゴシック");
  EXPECT_EQ(launcher->Font().height, -12);

  EXPECT_EQ(launcher->ModeSelect.Text(), "取込モード");
  const char* items[] = {"スクリーン全体", "アクティブウィンドウ", "クリップボード",
                         "エディタの起動のみ"};
  for (int i = 0; i < 4; ++i) {
    char text[64] = {};
    GetWindowTextA(launcher->ModeSelect.ItemHandle(i), text, sizeof text);
    EXPECT_STREQ(text, items[i]);
  }
  EXPECT_EQ(launcher->ModeSelect.ItemIndex(), 0);
  RECT modes = launcher->ModeSelect.Bounds(), go = launcher->ScreenCap.Bounds(),
       ng = launcher->NG.Bounds();
  EXPECT_EQ(modes.left, 16);
  EXPECT_EQ(modes.top, 8);
  EXPECT_EQ(modes.right - modes.left, 135);
  EXPECT_EQ(modes.bottom - modes.top, 73);
  EXPECT_EQ(go.left, 20);
  EXPECT_EQ(go.top, 88);
  EXPECT_EQ(go.right - go.left, 50);
  EXPECT_EQ(go.bottom - go.top, 25);
  EXPECT_EQ(ng.left, 97);
  EXPECT_EQ(ng.top, 88);
  EXPECT_EQ(launcher->ScreenCap.Text(), "G O");
  EXPECT_EQ(launcher->ScreenCap.Hint(), "開始|開始します。");
  EXPECT_EQ(launcher->NG.Text(), "N G");
  EXPECT_EQ(launcher->NG.Hint(), "終了|終了します。");
  EXPECT_EQ(SendMessageA(launcher->Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 2);
  // Tab order: "G O", the modes, "N G".
  HWND first = GetWindow(launcher->Handle(), GW_CHILD);
  EXPECT_EQ(first, launcher->ScreenCap.Handle());
  EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), launcher->ModeSelect.Handle());
  EXPECT_EQ(GetWindow(launcher->ModeSelect.Handle(), GW_HWNDNEXT), launcher->NG.Handle());

  EXPECT_TRUE(launcher->ActTrayIn.Visible());
  EXPECT_FALSE(launcher->ActTrayDel.Visible());
  EXPECT_EQ(launcher->PopupMenu(), launcher->PopupMenu1.get());
  EXPECT_EQ(launcher->PopupMenu1->VisibleCaptions(),
            (std::vector<std::string>{"タスクトレイに入れる(&I)", "-", "-", "N G"}));
  EXPECT_EQ(launcher->PopupMenu2->VisibleCaptions(), (std::vector<std::string>{"-", "N G"}));
}

TEST_F(CaptureTest, WholeScreen_Should_SendOnePressBetweenTwoFullPauses) {
  UsePlatform(VER_PLATFORM_WIN32_NT);
  PutPictureOnClipboard(editor->Handle(), 120, 90, RGB(10, 200, 30));
  Capture(0);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].vk, VK_SNAPSHOT);
  EXPECT_EQ(keys[0].scan, 0);
  EXPECT_EQ(keys[0].flags, 0u);
  EXPECT_EQ(keys[0].extra, 0u);
  EXPECT_EQ(versionSizes, std::vector<DWORD>{148});
  // Each pause reads the clock until more than 700 ms have passed, across the wrap-around.
  const size_t k = keys[0].tickIndex;
  ASSERT_GE(k, 3u);
  EXPECT_GT(Elapsed(0, k - 1), 700u);
  EXPECT_LE(Elapsed(0, k - 2), 700u);
  EXPECT_GT(ticks[0], ticks[k - 1]) << "the counter wrapped";
  EXPECT_GT(Elapsed(k, ticks.size() - 1), 700u);
  EXPECT_LE(Elapsed(k, ticks.size() - 2), 700u);

  EXPECT_FALSE(launcher->Visible());
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->doc.Base().Width(), 120);
  EXPECT_EQ(editor->PB1.Height(), 90);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 60, 45), 0x1EC80Au);
  EXPECT_EQ(editor->toolMode, kToolLine);
  EXPECT_TRUE(editor->ToolBar1.Down(TScrivletForm1::kLine1));
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_EQ(editor->Text(), "　Quillora　　『 画像作成 』");
}

TEST_F(CaptureTest, ScanCodes_Should_FollowTheWindowsFamily) {
  PutPictureOnClipboard(editor->Handle(), 8, 8, RGB(1, 2, 3));
  UsePlatform(VER_PLATFORM_WIN32_NT);
  Capture(1);
  UsePlatform(VER_PLATFORM_WIN32_WINDOWS);
  Capture(0);
  Capture(1);
  UsePlatform(7);  // another family: the codes stay
  Capture(0);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].scan, 1);
  EXPECT_EQ(keys[1].scan, 1);
  EXPECT_EQ(keys[2].scan, 0);
  EXPECT_EQ(keys[3].scan, 1);
}

TEST_F(CaptureTest, ScanCodes_Should_StayZero_When_VersionQueryFails) {
  PutPictureOnClipboard(editor->Handle(), 8, 8, RGB(1, 2, 3));
  UsePlatform(VER_PLATFORM_WIN32_NT, false);
  Capture(0);
  Capture(1);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].scan, 0);
  EXPECT_EQ(keys[1].scan, 0);
}

TEST_F(CaptureTest, EditorOnly_Should_OpenBlankPictureWithoutKeyOrClipboard) {
  PutTextOnClipboard();  // would fail a paste
  Capture(3);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->doc.Base().Width(), 640);
  EXPECT_EQ(editor->doc.Base().Height(), 480);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 639, 479), 0xFFFFFFu);
  EXPECT_EQ(editor->toolMode, kToolLine);
  EXPECT_TRUE(editor->doc.Modified());
}

TEST_F(CaptureTest, ClipboardMode_Should_ShowClipboardPicture_WithoutKey) {
  PutPictureOnClipboard(editor->Handle(), 33, 44, RGB(200, 0, 0));
  Capture(2);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(editor->doc.Base().Width(), 33);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 5, 5), 0x0000C8u);
  EXPECT_TRUE(editor->Visible());
}

TEST_F(CaptureTest, ClipboardMode_Should_ShowLauncherAgain_When_NoPicture) {
  PutTextOnClipboard();
  editor->toolMode = kToolSelect;
  try {
    Capture(2);
    ADD_FAILURE() << "no error";
  } catch (const qtk::Error& e) {
    EXPECT_STREQ(e.what(), "無効なクリップボード フォーマットです");
  }
  EXPECT_TRUE(launcher->Visible());
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(editor->doc.Base().Width(), 640);
  EXPECT_EQ(editor->toolMode, kToolSelect);
  EXPECT_FALSE(editor->doc.Modified());
}

TEST_F(CaptureTest, GoButton_Should_ReportFailedCaptureInStandardDisplay) {
  PutTextOnClipboard();
  launcher->ModeSelect.SetItemIndex(2);
  HWND go = launcher->ScreenCap.Handle();
  SendMessageA(launcher->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(go), BN_CLICKED),
               reinterpret_cast<LPARAM>(go));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "無効なクリップボード フォーマットです.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
  EXPECT_TRUE(launcher->Visible());
}

TEST_F(CaptureTest, NoModeChosen_Should_RunNeitherCommand_ButShowEditor) {
  TempDir dir;
  WriteFile(dir.File("kept.bmp"), MakeBmp24(9, 7, [](int, int) { return 0x123456u; }));
  editor->LoadPicture(dir.File("kept.bmp"));
  Capture(-1);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(editor->doc.Base().Width(), 9);
  EXPECT_TRUE(editor->Visible());
  EXPECT_TRUE(editor->doc.Modified());
}

TEST_F(CaptureTest, NewCapture_Should_DiscardAnnotationsWithoutAsking) {
  Capture(3);
  editor->doc.AddLine(LineRecord{});
  Capture(3);
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_TRUE(boxes.boxes.empty());
}

// The picture loaded while the editor was hidden is never seen: nothing goes back to it. A capture
// that arrives during a drag is a step of its own, after the drag's.
TEST_F(CaptureTest, Capture_Should_BeginTheHistory_AndFollowADragAsAStepOfItsOwn) {
  Capture(3);
  EXPECT_FALSE(editor->doc.CanUndo());
  editor->PB1MouseDown(qtk::MouseButton::Left, 10, 10);
  editor->PB1MouseMove(100, 80);
  Capture(3);
  EXPECT_TRUE(editor->doc.Lines().empty());
  editor->ActUndoExecute();
  EXPECT_EQ(editor->doc.Lines().size(), 1u) << "the capture went back alone";
  editor->ActUndoExecute();
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_FALSE(editor->doc.CanUndo());
  EXPECT_EQ(editor->doc.Base().Width(), 640);
}

TEST_F(CaptureTest, Pause_Should_KeepHandlingMessages) {
  PostMessageA(launcher->Handle(), kTrayMessage, 1, WM_LBUTTONDOWN);  // the icon, clicked meanwhile
  Capture(3);
  EXPECT_TRUE(launcher->Visible());
  EXPECT_TRUE(editor->Visible());
}

TEST_F(CaptureTest, Reload_Should_HideEditorAndShowLauncher) {
  Capture(3);
  editor->doc.AddLine(LineRecord{});
  editor->ActReloadExecute();
  EXPECT_FALSE(editor->Visible());
  EXPECT_TRUE(launcher->Visible());
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CaptureTest, NG_Should_CloseLauncherWithoutAsking) {
  Capture(3);
  launcher->Show();
  launcher->NG.Click();
  EXPECT_FALSE(launcher->Visible());
  EXPECT_TRUE(boxes.boxes.empty());
}

class CaptureTray : public CaptureTest {};

TEST_F(CaptureTray, TrayIn_Should_AddOneIconAndHideLauncher) {
  launcher->ActTrayIn.Execute();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].message, DWORD(NIM_ADD));
  const NOTIFYICONDATAA& r = icons[0].record;
  EXPECT_EQ(r.cbSize, DWORD(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(r.cbSize, sizeof(void*) == 8 ? 104u : 88u);
  EXPECT_EQ(r.hWnd, launcher->Handle());
  EXPECT_EQ(r.uID, 1u);
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 1025u);
  EXPECT_EQ(r.hIcon, reinterpret_cast<HICON>(GetClassLongPtrA(launcher->Handle(), GCLP_HICON)));
  EXPECT_NE(r.hIcon, nullptr);
  char tip[64] = "Quillora";
  EXPECT_EQ(0, std::memcmp(r.szTip, tip, 64));
  EXPECT_FALSE(launcher->Visible());
  EXPECT_EQ(launcher->PopupMenu1->VisibleCaptions(),
            (std::vector<std::string>{"-", "アイコンを削除する(&D)", "-", "N G"}));
  EXPECT_EQ(launcher->PopupMenu2->VisibleCaptions(),
            (std::vector<std::string>{"アイコンを削除する(&D)", "-", "N G"}));
}

TEST_F(CaptureTray, IconPresses_Should_ShowLauncher_AndOtherMessagesDoNothing) {
  launcher->ActTrayIn.Execute();
  for (LPARAM m : {WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONUP, WM_LBUTTONDBLCLK})
    SendMessageA(launcher->Handle(), kTrayMessage, 1, m);
  EXPECT_FALSE(launcher->Visible());
  SendMessageA(launcher->Handle(), kTrayMessage, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(launcher->Visible());
  SendMessageA(launcher->Handle(), kTrayMessage, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(launcher->Visible());
  EXPECT_EQ(icons.size(), 1u) << "the icon stays";
}

// The icon's menu is modal: a timer of this thread reads it and closes it.
std::vector<std::string> g_menuItems;
POINT g_menuAt{};
void CALLBACK ReadAndEndMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = FindWindowA("#32768", nullptr);
  if (!popup) return;
  KillTimer(nullptr, id);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    g_menuItems.push_back(text[0] ? text : "-");
  }
  RECT r{};
  GetWindowRect(popup, &r);
  g_menuAt = {r.left, r.top};
  EndMenu();
}

TEST_F(CaptureTray, RightPress_Should_OpenIconMenuAtPointer) {
  launcher->ActTrayIn.Execute();
  SetCursorPos(300, 200);
  g_menuItems.clear();
  SetTimer(nullptr, 0, 50, ReadAndEndMenu);
  SendMessageA(launcher->Handle(), kTrayMessage, 1, WM_RBUTTONDOWN);
  EXPECT_EQ(g_menuItems, (std::vector<std::string>{"アイコンを削除する(&D)", "-", "N G"}));
  EXPECT_EQ(g_menuAt.x, 300);
  EXPECT_EQ(g_menuAt.y, 200);
}

TEST_F(CaptureTray, RightClickOnAControl_Should_OpenWindowMenu) {
  g_menuItems.clear();
  SetTimer(nullptr, 0, 50, ReadAndEndMenu);
  SendMessageA(launcher->ScreenCap.Handle(), WM_CONTEXTMENU,
               reinterpret_cast<WPARAM>(launcher->ScreenCap.Handle()), MAKELPARAM(250, 150));
  EXPECT_EQ(g_menuItems, (std::vector<std::string>{"タスクトレイに入れる(&I)", "-", "-", "N G"}));
  EXPECT_EQ(g_menuAt.x, 250);
}

TEST_F(CaptureTray, TrayDel_Should_RemoveIcon_AndLeaveLauncherHidden) {
  launcher->ActTrayIn.Execute();
  launcher->ActTrayDel.Execute();
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[1].message, DWORD(NIM_DELETE));
  EXPECT_EQ(0, std::memcmp(&icons[1].record, &icons[0].record, sizeof(NOTIFYICONDATAA)));
  EXPECT_FALSE(launcher->Visible());
  EXPECT_TRUE(launcher->ActTrayIn.Visible());
  EXPECT_FALSE(launcher->ActTrayDel.Visible());
}

TEST_F(CaptureTray, Destroy_Should_RemoveIconOnce_WhetherOrNotAdded) {
  launcher.reset();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].message, DWORD(NIM_DELETE));
  NOTIFYICONDATAA zero{};
  EXPECT_EQ(0, std::memcmp(&icons[0].record, &zero, sizeof zero));
}

TEST_F(CaptureTray, IconMenuCancel_Should_CloseLauncher_AndRemoveIcon) {
  launcher->ActTrayIn.Execute();
  unsigned id = launcher->PopupMenu2->CommandOf("Cancel");
  ASSERT_NE(id, 0u);
  SendMessageA(launcher->Handle(), WM_COMMAND, id, 0);
  EXPECT_FALSE(launcher->Visible());
  launcher.reset();
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[1].message, DWORD(NIM_DELETE));
  EXPECT_EQ(icons[1].record.uID, 1u);
}

TEST_F(CaptureTray, RealShellCall_Should_BeHarmless) {
  launcher->notifyIcon = [](DWORD m, NOTIFYICONDATAA* d) { return Shell_NotifyIconA(m, d); };
  launcher->ActTrayIn.Execute();
  launcher->ActTrayDel.Execute();
  EXPECT_TRUE(launcher->ActTrayIn.Visible());
}

}  // namespace
}  // namespace quillora::testing_support
