// Pasting the clipboard picture into the editor, and the version box.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include <cstring>

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
  void AddLine() { editor->doc.AddLine(LineRecord{2, 2, 30, 2, 3, 0x000000, false}); }
};

TEST_F(PasteTest, Paste_Should_MakeClipboardBitmapTheBaseImage) {
  PutPicture(70, 40);
  editor->ActPastExecute();
  EXPECT_EQ(editor->doc.Base().Width(), 70);
  EXPECT_EQ(editor->doc.Base().Height(), 40);
  EXPECT_EQ(editor->view.Picture().Width(), 70);
  EXPECT_EQ(editor->view.Picture().Height(), 40);
  EXPECT_EQ(editor->PB1.Width(), 70);
  EXPECT_EQ(editor->PB1.Height(), 40);
  for (int x : {0, 4, 5, 9, 69})
    EXPECT_EQ(PixelAt(editor->view.Picture(), x, 20), Stripes(x, 20)) << x;
  EXPECT_FALSE(editor->Image1.Visible());
}

TEST_F(PasteTest, Paste_Should_ChangeNothingElse_AndKeepAnnotations) {
  TempDir dir;
  std::string path = dir.File("kept.bmp");
  WriteFile(path, MakeBmp24(20, 20, Stripes));
  editor->LoadPicture(path);
  AddLine();
  editor->doc.MarkModified();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  editor->toolMode = kToolText;
  PutPicture(50, 30);
  editor->ActPastExecute();
  EXPECT_EQ(editor->doc.FileName(), path);
  EXPECT_EQ(editor->Text(), "　Quillora　　kept.bmp");
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_FALSE(editor->Act(kCmdSave).Enabled());
  EXPECT_EQ(editor->toolMode, kToolText);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 15, 2), 0x000000u) << "the line is drawn over it";
  EXPECT_EQ(PixelAt(editor->view.Picture(), 15, 20), Stripes(15, 20));
}

TEST_F(PasteTest, Paste_Should_ShrinkAndGrowPictureArea) {
  PutPicture(900, 700);
  editor->ActPastExecute();
  EXPECT_EQ(editor->PB1.Width(), 900);
  PutPicture(30, 20);
  editor->ActPastExecute();
  EXPECT_EQ(editor->PB1.Width(), 30);
  EXPECT_EQ(editor->PB1.Height(), 20);
  EXPECT_EQ(editor->view.Picture().Width(), 30);
}

TEST_F(PasteTest, Paste_Should_RefuseTextOnly_AndKeepThePicture) {
  PutText("just some text");
  EXPECT_EQ(PasteError(*editor), "無効なクリップボード フォーマットです");
  EXPECT_EQ(editor->doc.Base().Width(), 640);
  EXPECT_EQ(editor->PB1.Width(), 640);
  EmptyTheClipboard();
  EXPECT_EQ(PasteError(*editor), "無効なクリップボード フォーマットです");
}

TEST_F(PasteTest, CtrlV_Should_ShowTheErrorThroughTheStandardDisplay) {
  PutText("text");
  try {
    editor->Act(kCmdPaste).Execute();
  } catch (const std::exception& e) {
    qtk::Application::Get().ShowException(e);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "無効なクリップボード フォーマットです.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
}

TEST_F(PasteTest, Paste_Should_Fail_When_ClipboardIsHeldElsewhere) {
  PutPicture(10, 10);
  std::optional<ClipboardHeldElsewhere> held{std::in_place};
  std::string message = PasteError(*editor);
  held.reset();
  EXPECT_EQ(message, "クリップボードを開くことができません");
  EXPECT_EQ(editor->doc.Base().Width(), 640);
}

// A metafile is drawn into the base image at its own size, over white.
TEST_F(PasteTest, Paste_Should_DrawMetafileAtItsSize) {
  qtk::WindowDC screen(nullptr);
  const int mmPerPixelX100 =
      100 * GetDeviceCaps(screen.get(), HORZSIZE) / GetDeviceCaps(screen.get(), HORZRES);
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
  const int w = editor->doc.Base().Width(), h = editor->doc.Base().Height();
  EXPECT_NEAR(w, 120, 3);
  EXPECT_NEAR(h, 80, 3);
  EXPECT_EQ(editor->view.Picture().Width(), w);
  EXPECT_EQ(editor->PB1.Height(), h);
  EXPECT_EQ(PixelAt(editor->view.Picture(), w / 2, h / 2), 0xFF0000u);
  EXPECT_FALSE(editor->Image1.Visible());
}

// A PNG file of RGBA pixels, stored without compression.
std::string MakePng(int width, int height, const std::vector<uint32_t>& rgba) {
  auto be32 = [](std::string& out, uint32_t v) {
    for (int shift : {24, 16, 8, 0}) out += static_cast<char>((v >> shift) & 0xFF);
  };
  auto crc = [](const std::string& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
  };
  std::string png("\x89PNG\r\n\x1a\n", 8);
  auto chunk = [&](const char* type, const std::string& data) {
    be32(png, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type) + data;
    png += body;
    be32(png, crc(body));
  };
  std::string header;
  be32(header, width);
  be32(header, height);
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA
  chunk("IHDR", header);
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    for (int x = 0; x < width; ++x) be32(raw, rgba[size_t(y) * width + x]);
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  std::string z("\x78\x01\x01", 3);  // one final stored block
  const uint16_t len = static_cast<uint16_t>(raw.size());
  z += static_cast<char>(len & 0xFF);
  z += static_cast<char>(len >> 8);
  z += static_cast<char>(~len & 0xFF);
  z += static_cast<char>((~len >> 8) & 0xFF);
  z += raw;
  be32(z, (b << 16) | a);
  chunk("IDAT", z);
  chunk("IEND", "");
  return png;
}

// Puts `png` under the registered format "PNG", alone or beside a bitmap placed first.
void PutPng(const std::string& png, HBITMAP alsoBitmap = nullptr) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (alsoBitmap) SetClipboardData(CF_BITMAP, CopyImage(alsoBitmap, IMAGE_BITMAP, 0, 0, 0));
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, png.size());
  memcpy(GlobalLock(block), png.data(), png.size());
  GlobalUnlock(block);
  SetClipboardData(RegisterClipboardFormatA("PNG"), block);
  CloseClipboard();
}

// Opaque red, blue at half cover, and a pixel with no cover at all, over white.
TEST_F(PasteTest, Paste_Should_TakePng_ComposedOverWhite_AfterThePictureFormats) {
  PutPng(MakePng(3, 2, {0xFF0000FF, 0x0000FF80, 0x12345600, 0xFF0000FF, 0x0000FF80, 0x12345600}));
  editor->ActPastExecute();
  ASSERT_EQ(editor->doc.Base().Width(), 3);
  ASSERT_EQ(editor->doc.Base().Height(), 2);
  EXPECT_EQ(editor->view.Picture().Width(), 3);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 0, 1), 0x0000FFu);
  const uint32_t half = PixelAt(editor->view.Picture(), 1, 1);
  EXPECT_EQ(half >> 16, 0xFFu);
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 127, 1);
  EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 127, 1);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 2, 0), 0xFFFFFFu);

  qtk::BitmapObject stripes = ScreenBitmap(20, 10, Stripes);
  PutPng(MakePng(3, 2, std::vector<uint32_t>(6, 0xFF0000FF)), stripes.get());
  editor->ActPastExecute();
  EXPECT_EQ(editor->doc.Base().Width(), 20) << "the bitmap comes first";
}

// The document as it stands: its sizes and every pixel of the picture.
struct Snapshot {
  int width, height, pbWidth, composedWidth;
  std::vector<uint32_t> pixels;
  bool operator==(const Snapshot&) const = default;
};
Snapshot Take(TScrivletForm1& editor) {
  Snapshot s{editor.doc.Base().Width(),
             editor.doc.Base().Height(),
             editor.PB1.Width(),
             editor.view.Picture().Width(),
             {}};
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) s.pixels.push_back(PixelAt(editor.view.Picture(), x, y));
  return s;
}

TEST_F(PasteTest, Paste_Should_FailAndKeepDocument_When_PngIsDamaged_OrPixelsCannotBeRead) {
  PutPicture(30, 20);
  editor->ActPastExecute();
  AddLine();
  editor->ComposePicture();
  const Snapshot before = Take(*editor);

  std::string damaged = MakePng(4, 4, std::vector<uint32_t>(16, 0xFF0000FF));
  damaged[damaged.size() / 2] ^= 0x5A;
  PutPng(damaged);
  EXPECT_EQ(PasteError(*editor), "未対応のクリップボード データです");
  EXPECT_TRUE(Take(*editor) == before) << "damaged PNG";

  PutPicture(50, 40);
  qtk::Bitmap::pixelReader = [](HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT) { return 0; };
  const std::string message = PasteError(*editor);
  qtk::Bitmap::pixelReader = GetDIBits;
  EXPECT_EQ(message, "未対応のクリップボード データです");
  EXPECT_TRUE(Take(*editor) == before) << "unreadable pixels";
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
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
