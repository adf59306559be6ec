// The preview pane of the picture dialogs: what it shows of BMP, JPEG and metafile files, that a
// damaged file leaves it empty without a word, and the real open and save dialogs carrying it.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/editor_fixture.h"
#include "support/find_window.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_preview.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;

// An enhanced metafile of width x height pixels (at the screen's resolution), all blue.
void WriteMetafile(const std::string& path, int width, int height) {
  HDC screen = GetDC(nullptr);
  const int mmX = GetDeviceCaps(screen, HORZSIZE), pxX = GetDeviceCaps(screen, HORZRES);
  const int mmY = GetDeviceCaps(screen, VERTSIZE), pxY = GetDeviceCaps(screen, VERTRES);
  RECT frame{0, 0, MulDiv(width, mmX * 100, pxX), MulDiv(height, mmY * 100, pxY)};
  HDC dc = CreateEnhMetaFileA(screen, path.c_str(), &frame, nullptr);
  ReleaseDC(nullptr, screen);
  HBRUSH blue = CreateSolidBrush(kBlue);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, blue);
  DeleteObject(blue);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

uint32_t CentrePixel(const qtk::Bitmap& b) { return PixelAt(b, b.Width() / 2, b.Height() / 2); }

bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 24) return false;
  return true;
}

TEST(PicturePreview, Load_Should_ShowEachKindFittedWithItsOwnSize) {
  TempDir dir;
  WriteFile(dir.File("wide.bmp"), MakeBmp24(400, 100, [](int, int) { return kRed; }));
  WriteFile(dir.File("big.jpg"), MakeJpeg(3200, 2400, [](int, int) { return kRed; }));
  WriteFile(dir.File("small.jpeg"), MakeJpeg(40, 30, [](int, int) { return kRed; }));
  WriteMetafile(dir.File("pic.wmf"), 300, 300);
  const struct {
    const char* name;
    int ownWidth, ownHeight;
    int width, height;  // fitted into 200 x 200 below the caption line
    uint32_t colour;
  } cases[] = {
      {"wide.bmp", 400, 100, 200, 50, kRed},
      {"big.jpg", 3200, 2400, 200, 150, kRed},
      {"small.jpeg", 40, 30, 40, 30, kRed},
      {"pic.wmf", 300, 300, 200, 200, kBlue},  // through .01 mm: a pixel either way
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qtk::PicturePreview preview;
    ASSERT_TRUE(preview.Load(dir.File(c.name), 200, 200 + qtk::PicturePreview::kCaptionHeight));
    int ownWidth = 0, ownHeight = 0;
    ASSERT_EQ(std::sscanf(preview.Caption().c_str(), "%d x %d", &ownWidth, &ownHeight), 2)
        << preview.Caption();
    EXPECT_NEAR(ownWidth, c.ownWidth, 1);
    EXPECT_NEAR(ownHeight, c.ownHeight, 1);
    EXPECT_NEAR(preview.Picture()->Width(), c.width, 1);
    EXPECT_NEAR(preview.Picture()->Height(), c.height, 1);
    EXPECT_TRUE(Near(CentrePixel(*preview.Picture()), c.colour))
        << std::hex << CentrePixel(*preview.Picture());
  }
}

TEST(PicturePreview, UnreadableFiles_Should_LeaveThePaneEmpty_WithoutAnyBox) {
  TempDir dir;
  std::string bmp = MakeBmp24(50, 50, [](int, int) { return kRed; });
  std::string jpeg = MakeJpeg(50, 50, [](int, int) { return kRed; });
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {{"empty.bmp", ""},
               {"cut.bmp", bmp.substr(0, 40)},
               {"header.jpg", jpeg.substr(0, 20)},
               {"text.jpg", std::string(300, 'x')},
               {"junk.wmf", std::string(100, '\xD7')},
               {"huge.bmp", bmp.substr(0, 18) + std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8) +
                                bmp.substr(26)}};
  for (const auto& f : files) WriteFile(dir.File(f.name), f.bytes);
  qtk::PicturePreview preview;
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    EXPECT_FALSE(preview.Load(dir.File(f.name), 200, 200));
    EXPECT_TRUE(preview.Empty());
    EXPECT_EQ(preview.Caption(), "");
  }
  EXPECT_FALSE(preview.Load(dir.File("missing.bmp"), 200, 200));
  EXPECT_FALSE(preview.Load(dir.Path(), 200, 200)) << "a folder";
}

// Runs the real dialog with the folder's one file selected from a second thread, reads the pane,
// and cancels. The helper gives up (and cancels) after 15 s, so the test cannot hang.
struct PaneSeen {
  std::string text;
  bool found = false;
  DWORD selectMs = 0;  // how long the dialog took to take the selection
};

PaneSeen SelectFirstFileAndReadPane(DWORD ownerThread) {
  PaneSeen seen;
  HWND dialog = nullptr;
  for (int i = 0; i < 150 && !dialog; ++i, Sleep(100)) {
    EnumThreadWindows(
        ownerThread,
        [](HWND h, LPARAM lp) -> BOOL {
          char cls[16] = {};
          GetClassNameA(h, cls, sizeof cls);
          if (std::string(cls) != "#32770" || !IsWindowVisible(h)) return TRUE;
          *reinterpret_cast<HWND*>(lp) = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
  }
  if (!dialog) return seen;
  HWND list = nullptr;
  for (int i = 0; i < 50 && !list; ++i, Sleep(100))
    list = FindWindowExA(FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr), nullptr,
                         "SysListView32", nullptr);
  HWND pane = PreviewPane(dialog);
  seen.found = pane != nullptr;
  if (list && pane) {
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    const DWORD start = GetTickCount();
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    seen.selectMs = GetTickCount() - start;
    char text[64] = {};
    for (int i = 0; i < 50 && !text[0]; ++i, Sleep(100)) GetWindowTextA(pane, text, sizeof text);
    seen.text = text;
  }
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  return seen;
}

class PreviewDialog : public ::testing::TestWithParam<bool> {};

TEST_P(PreviewDialog, Dialog_Should_CarryThePane_ShowingTheSelectedPicturesSize) {
  const bool save = GetParam();
  TempDir dir;
  WriteFile(dir.File("only.bmp"), MakeBmp24(64, 48, [](int, int) { return kRed; }));
  SetCurrentDirectoryA(dir.Path().c_str());  // where the dialog opens
  PaneSeen seen;
  std::thread helper(
      [&, thread = GetCurrentThreadId()] { seen = SelectFirstFileAndReadPane(thread); });
  bool confirmed = true;
  if (save) {
    qtk::SavePictureDialog dialog;
    dialog.filter = "ビットマップ (*.bmp)|*.bmp";
    dialog.defaultExt = "bmp";
    confirmed = dialog.Execute(nullptr);
  } else {
    qtk::OpenPictureDialog dialog;
    dialog.filter = "ビットマップ・JPEG・メタファイル|*.bmp;*.jpg;*.jpeg;*.wmf";
    confirmed = dialog.Execute(nullptr);
  }
  helper.join();
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  SetCurrentDirectoryA(temp);
  EXPECT_FALSE(confirmed);
  EXPECT_TRUE(seen.found) << "the pane is in the dialog";
  EXPECT_EQ(seen.text, "64 x 48");
}

INSTANTIATE_TEST_SUITE_P(OpenAndSave, PreviewDialog, ::testing::Values(false, true));

// A metafile's player that hangs costs the pane its picture, not the dialog its answers.
TEST(PreviewDialogWait, Dialog_Should_TakeTheSelectionAtOnce_When_ThePlayerHangs) {
  TempDir dir;
  WriteMetafile(dir.File("stuck.wmf"), 64, 48);
  SetCurrentDirectoryA(dir.Path().c_str());
  SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", "hang");
  PaneSeen seen;
  std::thread helper(
      [&, thread = GetCurrentThreadId()] { seen = SelectFirstFileAndReadPane(thread); });
  qtk::OpenPictureDialog dialog;
  dialog.filter = "メタファイル|*.wmf";
  dialog.Execute(nullptr);
  helper.join();
  SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", nullptr);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  SetCurrentDirectoryA(temp);
  ASSERT_TRUE(seen.found);
  EXPECT_LT(seen.selectMs, 1000u);
  EXPECT_EQ(seen.text, "") << "the player was stopped";
}

}  // namespace
}  // namespace quillora::testing_support
