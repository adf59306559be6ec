#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/clipboard.h"
#include "toolkit/dialogs.h"
#include "toolkit/error.h"
#include "toolkit/metafile.h"
#include "toolkit/printer.h"

namespace {

using qtk::Bitmap;

// ---- helpers -------------------------------------------------------------------------------

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

Rgb PixelOf(const Bitmap& bmp, int x, int y) {
  const uint8_t* p = bmp.Bits() + bmp.Stride() * y + size_t(x) * 3;
  return {p[2], p[1], p[0]};
}

template <class F>
std::string ErrorText(F&& f) {
  try {
    f();
  } catch (const qtk::Error& e) {
    return e.what();
  }
  return "(no error)";
}

int ScreenCaps(int index) {
  HDC dc = GetDC(nullptr);
  int value = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return value;
}

// .01 mm per screen pixel, the way GDI records an enhanced metafile's frame.
LONG FrameUnits(int pixels, bool vertical) {
  return MulDiv(pixels, ScreenCaps(vertical ? VERTSIZE : HORZSIZE) * 100,
                ScreenCaps(vertical ? VERTRES : HORZRES));
}

class TempFile {
 public:
  explicit TempFile(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "quillora_io_" + std::to_string(GetCurrentProcessId()) + "_" + name;
  }
  ~TempFile() { DeleteFileA(path_.c_str()); }
  const std::string& path() const { return path_; }
  void Write(const std::string& bytes) const {
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, bytes.size());
  }

 private:
  std::string path_;
};

void Put16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, uint16_t(v & 0xFFFF));
  Put16(s, uint16_t(v >> 16));
}

// A tiny Windows metafile: a 720 x 360 unit window with a red rectangle over its middle half.
std::string TinyWmf() {
  std::string records;
  uint32_t maxRecord = 0, words = 9;
  auto record = [&](uint16_t function, std::initializer_list<uint16_t> params) {
    uint32_t size = 3 + uint32_t(params.size());
    Put32(records, size);
    Put16(records, function);
    for (uint16_t p : params) Put16(records, p);
    maxRecord = std::max(maxRecord, size);
    words += size;
  };
  record(0x020B, {0, 0});                     // SetWindowOrg(y, x)
  record(0x020C, {360, 720});                 // SetWindowExt(y, x)
  record(0x02FA, {PS_SOLID, 1, 0, 0xFF, 0});  // CreatePenIndirect: red
  record(0x012D, {0});                        // SelectObject
  record(0x02FC, {BS_SOLID, 0xFF, 0, 0});     // CreateBrushIndirect: red
  record(0x012D, {1});
  record(0x041B, {270, 540, 90, 180});  // Rectangle(bottom, right, top, left)
  record(0x0000, {});                   // end of file
  std::string wmf;
  Put16(wmf, 1);       // in memory
  Put16(wmf, 9);       // header words
  Put16(wmf, 0x0300);  // version
  Put32(wmf, words);
  Put16(wmf, 2);  // objects
  Put32(wmf, maxRecord);
  Put16(wmf, 0);
  return wmf + records;
}

std::string PlaceableWmf(int16_t right, int16_t bottom, uint16_t inch) {
  std::string h;
  Put32(h, 0x9AC6CDD7);
  Put16(h, 0);
  for (int16_t v : {int16_t(0), int16_t(0), right, bottom}) Put16(h, uint16_t(v));
  Put16(h, inch);
  Put32(h, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < h.size(); i += 2) sum ^= uint16_t(uint8_t(h[i]) | uint8_t(h[i + 1]) << 8);
  Put16(h, sum);
  return h + TinyWmf();
}

// An enhanced metafile of the given pixel size filled blue over its left half.
HENHMETAFILE BlueEmf(const char* path, int width, int height) {
  HDC screen = GetDC(nullptr);
  RECT frame{0, 0, FrameUnits(width, false), FrameUnits(height, true)};
  HDC dc = CreateEnhMetaFileA(screen, path, &frame, "Quillora\0test\0");
  ReleaseDC(nullptr, screen);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT left{0, 0, width / 2, height};
  FillRect(dc, &left, blue);
  DeleteObject(blue);
  return CloseEnhMetaFile(dc);
}

std::string EmfBytes(int width, int height) {
  HENHMETAFILE h = BlueEmf(nullptr, width, height);
  std::string bytes(GetEnhMetaFileBits(h, 0, nullptr), '\0');
  GetEnhMetaFileBits(h, UINT(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(h);
  return bytes;
}

// ---- clipboard -----------------------------------------------------------------------------

class ClipboardPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    Replace([] {});
    DestroyWindow(owner_);
  }
  // Empties the clipboard and lets `put` place formats on it.
  template <class F>
  void Replace(F&& put) {
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    put();
    CloseClipboard();
  }
  HWND owner_ = nullptr;
};

TEST_F(ClipboardPicture, PutBitmapThenRead_Should_GiveSamePixels) {
  Bitmap source(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      for (int c = 0; c < 3; ++c)
        source.Bits()[source.Stride() * y + x * 3 + c] = uint8_t(x * 37 + y * 11 + c * 70);
  qtk::PutBitmapOnClipboard(owner_, source.Handle());

  Bitmap read;
  qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(owner_, read);

  EXPECT_EQ(picture.kind, qtk::ClipboardPicture::Kind::Bitmap);
  ASSERT_EQ(read.Width(), 7);
  ASSERT_EQ(read.Height(), 5);
  EXPECT_EQ(picture.width, 7);
  EXPECT_EQ(picture.height, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(PixelOf(read, x, y), PixelOf(source, x, y)) << x << "," << y;
}

TEST_F(ClipboardPicture, TextOnly_Should_ThrowInvalidFormat) {
  Replace([] {
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(text), "hello", 6);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
  });
  Bitmap read;
  EXPECT_EQ(ErrorText([&] { qtk::ReadClipboardPicture(owner_, read); }),
            "無効なクリップボード フォーマットです");
  EXPECT_TRUE(read.Empty());
}

TEST_F(ClipboardPicture, EmptyClipboard_Should_ThrowInvalidFormat) {
  Bitmap read;
  EXPECT_EQ(ErrorText([&] { qtk::ReadClipboardPicture(owner_, read); }),
            "無効なクリップボード フォーマットです");
}

TEST_F(ClipboardPicture, DibOnly_Should_BeReadThroughDerivedBitmap) {
  const int w = 3, h = 2, stride = 12;
  Replace([&] {
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + stride * h);
    auto* p = static_cast<uint8_t*>(GlobalLock(dib));
    BITMAPINFOHEADER bih{sizeof bih, w, h, 1, 24, BI_RGB};
    std::memcpy(p, &bih, sizeof bih);
    uint8_t* rows = p + sizeof bih;  // bottom row first
    std::memset(rows, 0, stride * h);
    rows[stride + 0 * 3 + 2] = 255;     // top-left red
    rows[stride + 2 * 3 + 0] = 255;     // top-right blue
    rows[0 * 3 + 1] = 255;              // bottom-left green
    std::memset(rows + 2 * 3, 255, 3);  // bottom-right white
    GlobalUnlock(dib);
    SetClipboardData(CF_DIB, dib);
  });
  Bitmap read;
  qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(owner_, read);

  EXPECT_EQ(picture.kind, qtk::ClipboardPicture::Kind::Bitmap);
  ASSERT_EQ(read.Width(), w);
  ASSERT_EQ(read.Height(), h);
  EXPECT_EQ(PixelOf(read, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(read, 2, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(read, 0, 1), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelOf(read, 2, 1), (Rgb{255, 255, 255}));
}

TEST_F(ClipboardPicture, EnhancedMetafile_Should_ComeBackAsMetafileOfItsSize) {
  Replace([] { SetClipboardData(CF_ENHMETAFILE, BlueEmf(nullptr, 120, 60)); });
  Bitmap read;
  qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(owner_, read);

  ASSERT_EQ(picture.kind, qtk::ClipboardPicture::Kind::Metafile);
  ASSERT_FALSE(picture.metafile.bytes.empty());
  EXPECT_NEAR(picture.width, 120, 1);
  EXPECT_NEAR(picture.height, 60, 1);
  EXPECT_TRUE(read.Empty());
  EXPECT_EQ(picture.metafile.format, qtk::MetafileBits::Format::Enhanced);
  EXPECT_EQ(picture.metafile.width, picture.width);
}

TEST_F(ClipboardPicture, EnhancedMetafileWithEmptyFrame_Should_ThrowUnsupportedData) {
  Replace([] {
    HDC screen = GetDC(nullptr);
    RECT empty{0, 0, 0, 0};
    HDC dc = CreateEnhMetaFileA(screen, nullptr, &empty, nullptr);
    ReleaseDC(nullptr, screen);
    SetClipboardData(CF_ENHMETAFILE, CloseEnhMetaFile(dc));
  });
  Bitmap read;
  EXPECT_EQ(ErrorText([&] { qtk::ReadClipboardPicture(owner_, read); }),
            "未対応のクリップボード データです");
}

TEST_F(ClipboardPicture, OldStyleMetafile_Should_TakeItsSizeFromTheExtents) {
  std::string wmf = TinyWmf();
  Replace([&] {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(block));
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = FrameUnits(96, false);
    pict->yExt = FrameUnits(48, true);
    pict->hMF = SetMetaFileBitsEx(UINT(wmf.size()), reinterpret_cast<const BYTE*>(wmf.data()));
    GlobalUnlock(block);
    SetClipboardData(CF_METAFILEPICT, block);
  });
  Bitmap read;
  qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(owner_, read);

  ASSERT_EQ(picture.kind, qtk::ClipboardPicture::Kind::Metafile);
  EXPECT_NEAR(picture.width, 96, 1);
  EXPECT_NEAR(picture.height, 48, 1);
}

// ---- metafile files ------------------------------------------------------------------------

TEST(MetafileLoad, PlaceableWmf_Should_HaveItsInchSizeAndPlayItsRectangle) {
  TempFile file("rect.wmf");
  file.Write(PlaceableWmf(720, 360, 720));  // one inch by half an inch
  const qtk::MetafileBits metafile = qtk::ReadMetafileFile(file.path());

  int w = ScreenCaps(LOGPIXELSX), h = ScreenCaps(LOGPIXELSY) / 2;
  ASSERT_EQ(metafile.width, w);
  ASSERT_EQ(metafile.height, h);
  Bitmap bmp(w, h);
  qtk::PlayMetafile(metafile, bmp);

  const Rgb red{255, 0, 0}, white{255, 255, 255};
  EXPECT_EQ(PixelOf(bmp, w / 2, h / 2), red);
  EXPECT_EQ(PixelOf(bmp, w / 4 + 2, h / 4 + 2), red);
  EXPECT_EQ(PixelOf(bmp, w * 3 / 4 - 3, h * 3 / 4 - 3), red);
  EXPECT_EQ(PixelOf(bmp, 1, 1), white);
  EXPECT_EQ(PixelOf(bmp, w / 4 - 3, h / 2), white);
  EXPECT_EQ(PixelOf(bmp, w * 3 / 4 + 3, h / 2), white);
  EXPECT_EQ(PixelOf(bmp, w - 1, h - 1), white);
}

TEST(MetafileLoad, EnhancedMetafileFile_Should_LoadWithItsFrameSize) {
  TempFile file("blue.emf");
  DeleteEnhMetaFile(BlueEmf(file.path().c_str(), 80, 40));
  const qtk::MetafileBits metafile = qtk::ReadMetafileFile(file.path());

  EXPECT_NEAR(metafile.width, 80, 1);
  EXPECT_NEAR(metafile.height, 40, 1);
  Bitmap bmp(metafile.width, metafile.height);
  qtk::PlayMetafile(metafile, bmp);
  EXPECT_EQ(PixelOf(bmp, 10, 20), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(bmp, 70, 20), (Rgb{255, 255, 255}));
}

TEST(MetafileLoad, BadContent_Should_ThrowInvalidMetafile) {
  std::string placeable = PlaceableWmf(720, 360, 720), emf = EmfBytes(80, 40);
  const std::vector<std::string> cases = {
      "",
      "this is no metafile at all, just some text",
      placeable.substr(0, 30),                     // truncated inside the metafile header
      placeable.substr(0, placeable.size() - 10),  // records cut off
      PlaceableWmf(0, 360, 720),                   // empty bounding box
      PlaceableWmf(720, 360, 0),                   // no units per inch
      PlaceableWmf(32000, 32000, 1),               // far beyond any screen
      emf.substr(0, 60),                           // header cut off
      emf.substr(0, emf.size() - 8),               // records cut off
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    TempFile file("bad" + std::to_string(i) + ".wmf");
    file.Write(cases[i]);
    EXPECT_EQ(ErrorText([&] { qtk::ReadMetafileFile(file.path()); }),
              "メタファイルが有効ではありません")
        << "case " << i;
  }
}

// Red, then blue over part of it where `blue`; the second brush is made either way.
std::string TwoRectangleEmf(bool blue) {
  HDC screen = GetDC(nullptr);
  RECT frame{0, 0, FrameUnits(80, false), FrameUnits(40, true)};
  HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  SelectObject(dc, GetStockObject(NULL_PEN));
  for (const auto& [colour, left] : {std::pair{RGB(255, 0, 0), 0}, {RGB(0, 0, 255), 30}}) {
    HGDIOBJ old = SelectObject(dc, CreateSolidBrush(colour));
    if (left == 0 || blue) Rectangle(dc, left, 0, left + 50, 40);
    DeleteObject(SelectObject(dc, old));
  }
  HENHMETAFILE h = CloseEnhMetaFile(dc);
  std::string bytes(GetEnhMetaFileBits(h, 0, nullptr), '\0');
  GetEnhMetaFileBits(h, UINT(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(h);
  return bytes;
}

TEST(MetafileLoad, FaultAtARecord_Should_PlayAllButThatRecord_InASecondPlayer) {
  const std::string emf = TwoRectangleEmf(true);
  uint32_t blue = 0;  // the last rectangle's record
  for (uint32_t n = 0, at = 0; at < emf.size();
       ++n, at += *reinterpret_cast<const DWORD*>(&emf[at + 4]))
    if (*reinterpret_cast<const DWORD*>(&emf[at]) == EMR_RECTANGLE) blue = n;
  Bitmap expected(80, 40), played(80, 40);
  qtk::PlayMetafile(qtk::ReadMetafile(TwoRectangleEmf(false)), expected);
  const int started = qtk::metafilePlayersStarted;
  SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", ("fault@" + std::to_string(blue)).c_str());
  qtk::PlayMetafile(qtk::ReadMetafile(emf), played);
  SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", nullptr);
  EXPECT_EQ(qtk::metafilePlayersStarted - started, 2);
  EXPECT_EQ(PixelOf(played, 10, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(std::memcmp(played.Bits(), expected.Bits(), size_t(played.Stride()) * 40), 0);
}

// ---- printer -------------------------------------------------------------------------------

bool HasDefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  return size > 0;
}

std::vector<BYTE> DevModeWithoutOrientation() {
  std::vector<BYTE> bytes(sizeof(DEVMODEA));
  auto* dm = reinterpret_cast<DEVMODEA*>(bytes.data());
  dm->dmSize = sizeof(DEVMODEA);
  dm->dmFields = DM_PAPERSIZE;
  return bytes;
}

TEST(PrinterJob, EndDocWithoutJob_Should_DoNothing) {
  qtk::Printer printer;
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.PageWidth(), 0);
}

TEST(PrinterJob, SetLandscapeWithoutOrientationField_Should_ThrowUnsupported) {
  qtk::Printer printer;
  printer.SetDevice("Quillora Test Printer", DevModeWithoutOrientation());
  EXPECT_EQ(ErrorText([&] { printer.SetLandscape(true); }),
            "選択されたプリンタではサポートされていない機能です");
  EXPECT_FALSE(printer.Printing());
}

TEST(PrinterJob, BeginDocOnMissingPrinter_Should_ThrowAndLeaveNoJob) {
  qtk::Printer printer;
  printer.SetDevice("Quillora No Such Printer", {});
  EXPECT_THROW(printer.BeginDoc(), qtk::Error);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Handle(), nullptr);
}

TEST(PrinterJob, BeginAndEndDoc_Should_OpenAndCloseOnePage) {
  if (!HasDefaultPrinter()) GTEST_SKIP() << "no printer installed";
  qtk::Printer printer;
  printer.BeginDoc();
  EXPECT_TRUE(printer.Printing());
  EXPECT_GT(printer.PageWidth(), 0);
  EXPECT_GT(printer.PageHeight(), 0);
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
}

TEST(PrinterJob, SetLandscape_Should_TurnThePage) {
  if (!HasDefaultPrinter()) GTEST_SKIP() << "no printer installed";
  qtk::Printer printer;
  printer.SetLandscape(false);
  printer.BeginDoc();
  int portraitW = printer.PageWidth(), portraitH = printer.PageHeight();
  printer.EndDoc();
  printer.SetLandscape(true);
  printer.BeginDoc();
  int landscapeW = printer.PageWidth(), landscapeH = printer.PageHeight();
  printer.EndDoc();

  EXPECT_LT(portraitW, portraitH);
  EXPECT_EQ(landscapeW, portraitH);
  EXPECT_EQ(landscapeH, portraitW);
}

// ---- dialog hooks --------------------------------------------------------------------------

TEST(DialogHooks, ToSystemFilter_Should_SplitOnBarsButKeepDoubleByteCharacters) {
  // "ポ" is 0x83 0x7C in code page 932: its trail byte is a '|'.
  static const char expected[] = "ポイント (*.bmp)\0*.bmp\0JPEG\0*.jpg\0";
  std::string got = qtk::ToSystemFilter("ポイント (*.bmp)|*.bmp|JPEG|*.jpg");
  EXPECT_EQ(got, std::string(expected, sizeof expected));
  EXPECT_EQ(qtk::ToSystemFilter(""), std::string("\0\0", 2));
}

TEST(DialogHooks, SaveHook_Should_AnswerInPlaceOfTheSystemDialog) {
  qtk::SavePictureDialog dialog;
  dialog.filter = "ビットマップ (*.bmp)|*.bmp|JPEG|*.jpg";
  dialog.fileName = "capture";
  qtk::SavePictureDialog::hook = [](qtk::SavePictureDialog& d) {
    EXPECT_EQ(d.fileName, "capture");
    d.fileName = "C:\\shot.jpg";
    d.filterIndex = 2;
    return true;
  };
  bool confirmed = dialog.Execute(nullptr);
  qtk::SavePictureDialog::hook = nullptr;

  EXPECT_TRUE(confirmed);
  EXPECT_EQ(dialog.fileName, "C:\\shot.jpg");
  EXPECT_EQ(dialog.filterIndex, 2);
}

TEST(DialogHooks, PrintHook_Should_ChooseThePrinter) {
  qtk::Printer printer;
  qtk::PrintDialog dialog;
  qtk::PrintDialog::hook = [](qtk::PrintDialog&, qtk::Printer& p) {
    p.SetDevice("PDF", {});
    return true;
  };
  bool confirmed = dialog.Execute(nullptr, printer);
  qtk::PrintDialog::hook = nullptr;

  EXPECT_TRUE(confirmed);
  EXPECT_EQ(printer.Device(), "PDF");
}

TEST(DialogHooks, AboutHook_Should_ReceiveTheTexts) {
  std::string name, other;
  qtk::aboutHook = [&](const std::string& n, const std::string& o, HICON) {
    name = n;
    other = o;
  };
  qtk::ShowAbout(nullptr, "Quillora", "Quillora　バージョン 1.8\r\n(C)", nullptr);
  qtk::aboutHook = nullptr;

  EXPECT_EQ(name, "Quillora");
  EXPECT_EQ(other, "Quillora　バージョン 1.8\r\n(C)");
}

}  // namespace
