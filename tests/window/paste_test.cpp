// Pasting the clipboard picture into the editor, and the version box.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/editor_fixture.h"
#include "toolkit/clipboard.h"
#include "toolkit/dialogs.h"
#include "toolkit/error.h"

namespace quillora::testing_support {
namespace {

uint32_t Stripes(int x, int y) { return (x / 5) % 2 ? 0x0000FF : 0x00FF00; }

// A device-dependent bitmap of the screen's format painted by f, as the system's screen copy is.
qtk::BitmapObject ScreenBitmap(int width, int height, uint32_t (*f)(int, int)) {
  qtk::WindowDC screen(nullptr);
  qtk::BitmapObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  qtk::MemoryDC dc(CreateCompatibleDC(screen.get()));
  qtk::SelectScope select(dc.get(), bitmap.get());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixel(dc.get(), x, y, f(x, y));
  return bitmap;
}

void PutText(const char* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
  memcpy(GlobalLock(block), text, strlen(text) + 1);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

std::string PasteError(TScrivletForm1& editor) {
  try {
    editor.ActPastExecute();
  } catch (const qtk::Error& e) {
    return e.what();
  }
  return {};
}

class PasteTest : public EditorTest {
protected:
  void SetUp() override { CreateEditor(); }
  void PutPicture(int width, int height) {
    qtk::BitmapObject bitmap = ScreenBitmap(width, height, Stripes);
    qtk::PutBitmapOnClipboard(editor->Handle(), bitmap.get());
  }
  // Adds a line so that pastes can be seen to keep the annotations.
  void AddLine() {
    auto line = std::make_unique<LineRecord>();
    line->StartX = 2;
    line->StartY = 2;
    line->EndX = 30;
    line->EndY = 2;
    line->Width = 3;
    line->Color = 0x000000;
    editor->lines.push_back(std::move(line));
  }
};

TEST_F(PasteTest, Paste_Should_MakeClipboardBitmapTheBaseImage) {
  PutPicture(70, 40);
  editor->ActPastExecute();
  EXPECT_EQ(editor->baseImage.Width(), 70);
  EXPECT_EQ(editor->baseImage.Height(), 40);
  EXPECT_EQ(editor->composedImage.Width(), 70);
  EXPECT_EQ(editor->composedImage.Height(), 40);
  EXPECT_EQ(editor->PB1.Width(), 70);
  EXPECT_EQ(editor->PB1.Height(), 40);
  for (int x : {0, 4, 5, 9, 69}) EXPECT_EQ(PixelAt(editor->composedImage, x, 20), Stripes(x, 20)) << x;
  EXPECT_FALSE(editor->Image1.Visible());
}

TEST_F(PasteTest, Paste_Should_ChangeNothingElse_AndKeepAnnotations) {
  TempDir dir;
  std::string path = dir.File("kept.bmp");
  WriteFile(path, MakeBmp24(20, 20, Stripes));
  editor->LoadPicture(path);
  AddLine();
  editor->modified = true;
  editor->ActSave.SetEnabled(false);
  editor->toolMode = kToolText;
  PutPicture(50, 30);
  editor->ActPastExecute();
  EXPECT_EQ(editor->fileName, path);
  EXPECT_EQ(editor->Text(), "　Quillora　　kept.bmp");
  EXPECT_TRUE(editor->modified);
  EXPECT_FALSE(editor->ActSave.Enabled());
  EXPECT_EQ(editor->toolMode, kToolText);
  ASSERT_EQ(editor->lines.size(), 1u);
  EXPECT_EQ(PixelAt(editor->composedImage, 15, 2), 0x000000u) << "the line is drawn over it";
  EXPECT_EQ(PixelAt(editor->composedImage, 15, 20), Stripes(15, 20));
}

TEST_F(PasteTest, Paste_Should_ShrinkAndGrowPictureArea) {
  PutPicture(900, 700);
  editor->ActPastExecute();
  EXPECT_EQ(editor->PB1.Width(), 900);
  PutPicture(30, 20);
  editor->ActPastExecute();
  EXPECT_EQ(editor->PB1.Width(), 30);
  EXPECT_EQ(editor->PB1.Height(), 20);
  EXPECT_EQ(editor->composedImage.Width(), 30);
}

TEST_F(PasteTest, Paste_Should_RefuseTextOnly_AndKeepThePicture) {
  PutText("just some text");
  EXPECT_EQ(PasteError(*editor), "無効なクリップボード フォーマットです");
  EXPECT_EQ(editor->baseImage.Width(), 640);
  EXPECT_EQ(editor->PB1.Width(), 640);
  EmptyTheClipboard();
  EXPECT_EQ(PasteError(*editor), "無効なクリップボード フォーマットです");
}

TEST_F(PasteTest, CtrlV_Should_ShowTheErrorThroughTheStandardDisplay) {
  PutText("text");
  try {
    editor->ActPaste.Execute();
  } catch (const std::exception& e) {
    qtk::Application::Get().ShowException(e);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "無効なクリップボード フォーマットです.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
}

TEST_F(PasteTest, Paste_Should_Fail_When_ClipboardIsHeldElsewhere) {
  PutPicture(10, 10);
  std::atomic<bool> held{false}, done{false};
  std::thread holder([&] {
    if (OpenClipboard(nullptr)) {
      held = true;
      while (!done) Sleep(5);
      CloseClipboard();
    }
  });
  while (!held) Sleep(1);
  std::string message = PasteError(*editor);
  done = true;
  holder.join();
  EXPECT_EQ(message, "クリップボードを開くことができません");
  EXPECT_EQ(editor->baseImage.Width(), 640);
}

// A metafile is drawn into the base image at its own size, over the former picture.
TEST_F(PasteTest, Paste_Should_DrawMetafileAtItsSize) {
  qtk::WindowDC screen(nullptr);
  const int mmPerPixelX100 = 100 * GetDeviceCaps(screen.get(), HORZSIZE) /
                             GetDeviceCaps(screen.get(), HORZRES);
  RECT frame{0, 0, 120 * mmPerPixelX100, 80 * mmPerPixelX100};
  HDC dc = CreateEnhMetaFileA(screen.get(), nullptr, &frame, nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT r{0, 0, 120, 80};
  FillRect(dc, &r, blue);
  DeleteObject(blue);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_ENHMETAFILE, emf);
  CloseClipboard();
  editor->ActPastExecute();
  const int w = editor->baseImage.Width(), h = editor->baseImage.Height();
  EXPECT_NEAR(w, 120, 3);
  EXPECT_NEAR(h, 80, 3);
  EXPECT_EQ(editor->composedImage.Width(), w);
  EXPECT_EQ(editor->PB1.Height(), h);
  EXPECT_EQ(PixelAt(editor->composedImage, w / 2, h / 2), 0xFF0000u);
  EXPECT_FALSE(editor->Image1.Visible());
}

TEST_F(PasteTest, VersionBox_Should_ShowNameVersionAndIcon_ThenFocusColourButton) {
  editor->Show();
  Pump();
  std::string app, text;
  HICON icon = nullptr;
  qtk::aboutHook = [&](const std::string& a, const std::string& t, HICON i) {
    app = a;
    text = t;
    icon = i;
  };
  editor->ActVerExecute();
  qtk::aboutHook = nullptr;
  EXPECT_EQ(app, "Quillora");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "Quillora　バージョン 1.8");
  EXPECT_NE(text.find("\r\nCopyright"), std::string::npos);
  EXPECT_EQ(icon, reinterpret_cast<HICON>(GetClassLongPtrA(editor->Handle(), GCLP_HICON)));
  EXPECT_NE(icon, nullptr);
  EXPECT_TRUE(editor->FColorButton.Focused());
}

}  // namespace
}  // namespace quillora::testing_support
