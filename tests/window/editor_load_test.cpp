// The editor's document and loading, driven as the program drives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <psapi.h>

#include "support/editor_fixture.h"
#include "toolkit/platform.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

const char* const kBlankCaption = "　Quillora　　『 画像作成 』";

uint32_t Checker(int x, int y) { return ((x / 4 + y / 4) % 2) ? 0x0000FF : 0xFF8000; }

class EditorStart : public EditorTest {};

TEST_F(EditorStart, Create_Should_HoldBlankWhitePicture_When_NoArgument) {
  CreateEditor();
  EXPECT_EQ(editor->Text(), kBlankCaption);
  EXPECT_TRUE(editor->doc.FileName().empty());
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
  EXPECT_FALSE(editor->TextOKButton.Enabled());
  EXPECT_EQ(editor->toolMode, 0);
  EXPECT_FALSE(editor->Visible());
  ASSERT_EQ(editor->doc.Base().Width(), 640);
  ASSERT_EQ(editor->doc.Base().Height(), 480);
  EXPECT_EQ(editor->view.Picture().Width(), 640);
  EXPECT_EQ(editor->view.Picture().Height(), 480);
  EXPECT_EQ(editor->PB1.Width(), 640);
  EXPECT_EQ(editor->PB1.Height(), 480);
  for (int y : {0, 240, 479})
    for (int x : {0, 320, 639}) EXPECT_EQ(PixelAt(editor->view.Picture(), x, y), 0xFFFFFFu);
  EXPECT_EQ(editor->LW.Text(), "5");
  EXPECT_EQ(editor->FName.Text(), "ＭＳ Ｐゴシック");
}

TEST_F(EditorStart, Create_Should_MakeBlankPicture_When_ArgumentNamesNoFile) {
  CreateEditor("C:\\no\\such\\file.bmp");
  EXPECT_EQ(editor->Text(), kBlankCaption);
  EXPECT_EQ(editor->doc.Base().Width(), 640);
  EXPECT_TRUE(editor->doc.FileName().empty());
}

TEST_F(EditorStart, Create_Should_LoadFile_When_ArgumentNamesBmp) {
  TempDir dir;
  std::string path = dir.File("start.bmp");
  WriteFile(path, MakeBmp24(33, 21, Checker));
  CreateEditor(path);
  EXPECT_EQ(editor->doc.FileName(), path);
  EXPECT_EQ(editor->Text(), "　Quillora　　start.bmp");
  EXPECT_EQ(editor->view.Picture().Width(), 33);
  EXPECT_EQ(editor->view.Picture().Height(), 21);
}

TEST_F(EditorStart, Create_Should_CentreWindowOnScreen) {
  CreateEditor();
  RECT r = editor->Bounds();
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
}

class EditorLoad : public EditorTest {
 protected:
  void SetUp() override { CreateEditor(); }
};

TEST_F(EditorLoad, LoadPicture_Should_ReadBmpAndSetCaptionAndFlags) {
  TempDir dir;
  std::string path = dir.File("a.bmp");
  WriteFile(path, MakeBmp24(37, 23, Checker));
  editor->doc.MarkModified();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  editor->LoadPicture(path);
  EXPECT_EQ(editor->doc.FileName(), path);
  EXPECT_EQ(editor->Text(), "　Quillora　　a.bmp");
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
  ASSERT_EQ(editor->view.Picture().Width(), 37);
  ASSERT_EQ(editor->view.Picture().Height(), 23);
  EXPECT_EQ(editor->PB1.Width(), 37);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) ASSERT_EQ(PixelAt(editor->view.Picture(), x, y), Checker(x, y));
}

TEST_F(EditorLoad, LoadPicture_Should_TakeJpegWhateverTheCaseOfTheExtension) {
  TempDir dir;
  for (const char* name : {"Photo.JPG", "photo.Jpeg"}) {
    std::string path = dir.File(name);
    WriteFile(path, MakeJpeg(48, 32, [](int, int) { return 0x2080C0u; }));
    editor->LoadPicture(path);
    EXPECT_EQ(editor->view.Picture().Width(), 48) << name;
    EXPECT_EQ(editor->view.Picture().Height(), 32) << name;
    uint32_t c = PixelAt(editor->view.Picture(), 10, 10);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, 4) << name;
    EXPECT_NEAR(static_cast<int>(c >> 16), 0x20, 4) << name;
    EXPECT_EQ(editor->Text(), std::string("　Quillora　　") + name);
  }
}

// A picture saved under the other format's extension opens by its signature.
TEST_F(EditorLoad, LoadPicture_Should_ReadTheOtherFormat_When_BytesBeginWithItsSignature) {
  TempDir dir;
  WriteFile(dir.File("a.bmp"), MakeJpeg(48, 32, Checker));
  WriteFile(dir.File("b.jpg"), MakeBmp24(37, 23, Checker));
  for (auto [name, width] : {std::pair{"a.bmp", 48}, {"b.jpg", 37}}) {
    editor->LoadPicture(dir.File(name));
    EXPECT_EQ(editor->view.Picture().Width(), width) << name;
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

// A new picture is shown from its top-left corner, wherever the last one was scrolled to.
TEST_F(EditorLoad, LoadPicture_Should_ShowTheNewPictureFromItsTopLeft) {
  TempDir dir;
  WriteFile(dir.File("big.bmp"), MakeBmp24(1600, 1200, Checker));
  editor->Show();
  editor->LoadPicture(dir.File("big.bmp"));
  editor->ScrollBox1.ScrollTo(300, 143);
  ASSERT_EQ(editor->PB1.Bounds().top, -143);
  editor->LoadPicture(dir.File("big.bmp"));
  EXPECT_EQ(editor->PB1.Bounds().left, 0);
  EXPECT_EQ(editor->PB1.Bounds().top, 0);
}

// A label in system colours follows a change of the system's colours, all of it at once.
TEST_F(EditorLoad, SystemColourChange_Should_RecomposeEveryLabel) {
  TMoji system;
  system.Text = "system", system.BkColor = qtk::clWindow;
  editor->doc.AddText(system);
  editor->ComposePicture();
  const int index = COLOR_WINDOW;
  const COLORREF old = GetSysColor(index), changed = RGB(0x12, 0x34, 0x56);
  SetSysColors(1, &index, &changed);  // the system tells every window
  const uint32_t after = PixelAt(editor->view.Picture(), 0, 0);
  SetSysColors(1, &index, &old);
  EXPECT_EQ(after, changed);
}

TEST_F(EditorLoad, LoadPicture_Should_TakeUpperCaseBmpExtension) {
  TempDir dir;
  std::string path = dir.File("scan.BMP");
  WriteFile(path, MakeBmp24(5, 4, Checker));
  editor->LoadPicture(path);
  EXPECT_EQ(editor->view.Picture().Width(), 5);
}

TEST_F(EditorLoad, LoadPicture_Should_ShowFileNamePart_When_FolderNameEndsInByte5C) {
  TempDir dir("ソフト");
  std::string path = dir.File("表.bmp");
  WriteFile(path, MakeBmp24(6, 6, Checker));
  editor->LoadPicture(path);
  EXPECT_EQ(editor->Text(), "　Quillora　　表.bmp");
  EXPECT_EQ(editor->view.Picture().Width(), 6);
}

TEST_F(EditorLoad, ActNew_Should_GiveWhite640x480_AfterLargerPicture) {
  TempDir dir;
  std::string path = dir.File("big.bmp");
  WriteFile(path, MakeBmp24(1024, 768, [](int, int) { return 0u; }));
  editor->LoadPicture(path);
  editor->doc.MarkModified();
  editor->Act(kCmdNew).Execute();
  ASSERT_EQ(editor->view.Picture().Width(), 640);
  ASSERT_EQ(editor->view.Picture().Height(), 480);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 639, 479), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 639, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(editor->view.Picture(), 0, 479), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(editor->doc.Base(), 639, 479), 0xFFFFFFu);
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_TRUE(editor->doc.FileName().empty());
  EXPECT_EQ(editor->Text(), kBlankCaption);
}

TEST_F(EditorLoad, ActNew_Should_DropAnnotationsAndSelection) {
  editor->doc.AddLine(LineRecord{1, 1, 50, 50, 5, 0xFF, false});
  editor->doc.Select(&editor->doc.Lines().back());
  editor->doc.AddText(TMoji{});
  editor->doc.Select(&editor->doc.Texts().back());
  editor->Act(kCmdNew).Execute();
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_TRUE(editor->doc.Texts().empty());
  EXPECT_EQ(editor->doc.SelectedLine(), nullptr);
  EXPECT_EQ(editor->doc.SelectedText(), nullptr);
}

TEST_F(EditorLoad, LoadPicture_Should_GiveEmptyCaptionTail_When_AcceptedNameDoesNotExist) {
  editor->LoadPicture("C:\\gone\\missing.bmp");
  EXPECT_EQ(editor->Text(), "　Quillora　　");
  EXPECT_TRUE(editor->doc.FileName().empty());
  EXPECT_EQ(editor->view.Picture().Width(), 640);
  // The caption comes back with its document, as it was shown.
  editor->doc.AddLine(LineRecord{1, 1, 50, 50, 5, 0xFF, false});
  editor->ActUndoExecute();
  EXPECT_EQ(editor->Text(), "　Quillora　　");
}

TEST_F(EditorLoad, LoadPicture_Should_ClearAllAttributes_When_FileIsReadOnly) {
  TempDir dir;
  std::string ro = dir.File("ro.bmp"), plain = dir.File("plain.bmp");
  WriteFile(ro, MakeBmp24(3, 3, Checker));
  WriteFile(plain, MakeBmp24(3, 3, Checker));
  SetFileAttributesA(ro.c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  DWORD plainBefore = GetFileAttributesA(plain.c_str());
  editor->LoadPicture(ro);
  editor->LoadPicture(plain);
  DWORD roAfter = GetFileAttributesA(ro.c_str());
  EXPECT_EQ(roAfter & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  // Wine reports the archive bit of every file whatever was set.
  if (!qtk::RunningUnderWine()) EXPECT_EQ(roAfter & FILE_ATTRIBUTE_ARCHIVE, 0u);
  EXPECT_EQ(GetFileAttributesA(plain.c_str()), plainBefore);
}

TEST_F(EditorLoad, LoadPicture_Should_KeepPictureAndTakeName_When_FileHasNoExtension) {
  TempDir dir;
  std::string path = dir.File("noext");
  WriteFile(path, "whatever");
  editor->doc.MarkModified();
  editor->LoadPicture(path);
  EXPECT_EQ(editor->doc.FileName(), path);
  EXPECT_EQ(editor->Text(), kBlankCaption);
  EXPECT_EQ(editor->view.Picture().Width(), 640);
  EXPECT_FALSE(editor->doc.Modified());
}

TEST_F(EditorLoad, LoadPicture_Should_RefuseOtherExtension_AndCloseEditor) {
  editor->doc.AddLine(LineRecord{1, 1, 50, 50, 5, 0xFF, false});
  editor->doc.MarkSaved();
  editor->LoadPicture("C:\\pics\\shot.png");
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes[0].text,
            "このソフトで開けるファイル形式は\r\n\r\n『 BMP,WMF,JPG,JPEG 』 だけです。");
  EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
  EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(launcherCloses, 1);
  // The document was not touched before the close.
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
}

TEST_F(EditorLoad, LoadPicture_Should_KeepModifiedFlag_When_CloseAfterRefusedNameIsCancelled) {
  editor->doc.AddLine(LineRecord{1, 1, 50, 50, 5, 0xFF, false});
  editor->doc.MarkModified();
  boxes.answer = [](const ShownBox& box) { return box.caption == "確認" ? IDCANCEL : IDOK; };
  editor->LoadPicture("C:\\pics\\shot.png");
  ASSERT_EQ(boxes.boxes.size(), 2u) << "the refusal, then the question of the close";
  EXPECT_EQ(launcherCloses, 0);
  EXPECT_EQ(editor->doc.Lines().size(), 1u);
  EXPECT_TRUE(editor->doc.Modified()) << "the next close must ask again";
}

TEST_F(EditorLoad, LoadPicture_Should_ReportErrorAndKeepDocument_When_FileIsDamaged) {
  TempDir dir;
  std::string good = dir.File("good.bmp");
  WriteFile(good, MakeBmp24(9, 7, Checker));
  editor->LoadPicture(good);
  editor->doc.AddLine(LineRecord{1, 1, 8, 6, 1, 0xFF, false});
  editor->doc.MarkSaved();
  const size_t steps = editor->doc.UndoSteps();
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string truncated = MakeBmp24(40, 40, Checker).substr(0, 300);
  std::string jpegHalf = MakeJpeg(64, 64, Checker);
  jpegHalf.resize(40);
  const Case cases[] = {{"trunc.bmp", truncated},
                        {"empty.bmp", ""},
                        {"text.jpg", "not a jpeg at all"},
                        {"half.jpeg", jpegHalf},
                        {"junk.wmf", std::string(100, 'x')}};
  for (const Case& c : cases) {
    std::string path = dir.File(c.name);
    WriteFile(path, c.bytes);
    boxes.boxes.clear();
    qtk::Application::Get().ProcessMessages();
    try {
      editor->LoadPicture(path);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const std::exception& e) {
      qtk::Application::Get().ShowException(e);
    }
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
    EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(boxes.boxes[0].text.empty());
    EXPECT_EQ(editor->doc.FileName(), good) << c.name;
    EXPECT_EQ(editor->Text(), "　Quillora　　good.bmp") << c.name;
    EXPECT_EQ(editor->doc.Base().Width(), 9) << c.name;
    // Nothing changed: a close must not offer to write the file again without its line.
    EXPECT_EQ(editor->doc.Lines().size(), 1u) << c.name;
    EXPECT_FALSE(editor->doc.Modified()) << c.name;
    EXPECT_EQ(editor->doc.UndoSteps(), steps) << c.name;
  }
}

TEST_F(EditorLoad, LoadPicture_Should_ShowJpegErrorNumber_When_JpegIsBroken) {
  TempDir dir;
  std::string path = dir.File("bad.jpg");
  WriteFile(path, std::string("\xFF\xD8\xFF\xE0garbage", 11));
  try {
    editor->LoadPicture(path);
    FAIL() << "loaded";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("JPEG エラー #", 0), 0u) << e.what();
  }
}

TEST_F(EditorLoad, Compose_Should_EqualBase_When_NoAnnotations) {
  TempDir dir;
  std::string path = dir.File("c.bmp");
  WriteFile(path, MakeBmp24(31, 17, Checker));
  editor->LoadPicture(path);
  editor->ComposePicture();
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 31; ++x)
      ASSERT_EQ(PixelAt(editor->view.Picture(), x, y), PixelAt(editor->doc.Base(), x, y));
}

// A placeable metafile: bounding box 0,0 - right,bottom at 96 units per inch, then a METAHEADER
// whose size field says `declaredWords`, one red rectangle (solid or cross-hatched) over the whole
// box and the end record.
std::string PlaceableWmf(int16_t right, int16_t bottom, int32_t declaredWords,
                         bool hatched = false) {
  std::string d;
  auto w16 = [&d](int v) {
    d += static_cast<char>(v & 0xFF);
    d += static_cast<char>((v >> 8) & 0xFF);
  };
  auto w32 = [&w16](uint32_t v) {
    w16(static_cast<int>(v & 0xFFFF));
    w16(static_cast<int>(v >> 16));
  };
  w32(0x9AC6CDD7);
  w16(0);
  for (int v : {0, 0, int{right}, int{bottom}, 96}) w16(v);
  w32(0);
  w16(0);  // checksum, unchecked
  const std::vector<std::vector<int>> records = {
      {0x020B, 0, 0},           // SETWINDOWORG y, x
      {0x020C, bottom, right},  // SETWINDOWEXT y, x
      {0x02FC, hatched ? BS_HATCHED : BS_SOLID, 0x00FF, 0,
       HS_DIAGCROSS},                 // CREATEBRUSHINDIRECT red
      {0x012D, 0},                    // SELECTOBJECT 0
      {0x041B, bottom, right, 0, 0},  // RECTANGLE
      {0x0000},                       // EOF
  };
  size_t words = 9;
  for (const auto& r : records) words += 2 + r.size();
  w16(1);
  w16(9);
  w16(0x300);
  w32(declaredWords >= 0 ? static_cast<uint32_t>(declaredWords) : static_cast<uint32_t>(words));
  w16(1);
  w32(7);
  w16(0);
  for (const auto& r : records) {
    w32(static_cast<uint32_t>(2 + r.size() - 1 + 1));
    w16(r[0]);
    for (size_t i = 1; i < r.size(); ++i) w16(r[i]);
  }
  return d;
}

int ScreenPixels(int units, int index) {
  HDC screen = GetDC(nullptr);
  int px = MulDiv(units, GetDeviceCaps(screen, index), 96);
  ReleaseDC(nullptr, screen);
  return px;
}

TEST_F(EditorLoad, LoadPicture_Should_PlayPlaceableWmf_When_HeaderSizeCountsThePlaceableHeader) {
  TempDir dir;
  const std::string path = dir.File("writer.wmf");
  const std::string plain = PlaceableWmf(120, 80, -1);
  const int32_t words = static_cast<int32_t>((plain.size() - 22) / 2);
  WriteFile(path, PlaceableWmf(120, 80, words + 11));  // the whole file, 22 bytes more
  editor->LoadPicture(path);
  EXPECT_EQ(editor->doc.Base().Width(), ScreenPixels(120, LOGPIXELSX));
  EXPECT_EQ(editor->doc.Base().Height(), ScreenPixels(80, LOGPIXELSY));
  EXPECT_EQ(PixelAt(editor->view.Picture(), editor->doc.Base().Width() / 2,
                    editor->doc.Base().Height() / 2),
            0x0000FFu);
  EXPECT_EQ(editor->Text(), "　Quillora　　writer.wmf");
}

TEST_F(EditorLoad, LoadPicture_Should_RefuseBrokenWmf_WithTheMetafileError) {
  TempDir dir;
  const std::string plain = PlaceableWmf(120, 80, -1);
  const int32_t words = static_cast<int32_t>((plain.size() - 22) / 2);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no header", std::string(100, 'x')},
      {"size beyond the file", PlaceableWmf(120, 80, words + 12)},
      {"zero extent", PlaceableWmf(0, 80, words)},
      {"32767 x 32767", PlaceableWmf(32767, 32767, words)},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("broken.wmf");
    WriteFile(path, c.bytes);
    try {
      editor->LoadPicture(path);
      ADD_FAILURE() << c.what << " loaded";
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "メタファイルが有効ではありません") << c.what;
    }
    EXPECT_EQ(editor->doc.Base().Width(), 640) << c.what;
  }
}

HGLOBAL MakeDrop(const std::vector<std::string>& files);

std::vector<uint32_t> AllPixels(const qtk::Bitmap& b) {
  std::vector<uint32_t> all;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) all.push_back(PixelAt(b, x, y));
  return all;
}

// The user's road: a file dropped on the editor whose player faults, hangs or ends before it
// draws. Only the player's process goes; the editor shows the metafile error, keeps its document,
// and its pictures afterwards are exact.
TEST_F(EditorLoad, Drop_Should_ShowErrorAndKeepDocument_When_ThePlayerFails) {
  TempDir dir;
  const std::string good = dir.File("good.bmp"), wmf = dir.File("faults.wmf");
  WriteFile(good, MakeBmp24(200, 150, Checker));
  WriteFile(wmf, PlaceableWmf(192, 96, -1, true));  // 2 x 1 inch
  editor->LoadPicture(good);
  editor->LoadPicture(wmf);
  const std::vector<uint32_t> played = AllPixels(editor->doc.Base());
  for (const char* how : {"fault", "hang", "stop"}) {
    SCOPED_TRACE(how);
    editor->LoadPicture(good);
    editor->doc.MarkModified();
    boxes.boxes.clear();
    SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", how);
    SendMessageA(editor->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({wmf})), 0);
    SetEnvironmentVariableA("QUILLORA_TEST_PLAYER", nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "メタファイルが有効ではありません.");
    EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(editor->doc.FileName(), good);
    EXPECT_EQ(editor->Text(), "　Quillora　　good.bmp");
    EXPECT_TRUE(editor->doc.Modified());
    ASSERT_EQ(editor->view.Picture().Width(), 200);
    editor->ComposePicture();
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x) ASSERT_EQ(PixelAt(editor->view.Picture(), x, y), Checker(x, y));
  }
  editor->LoadPicture(wmf);
  EXPECT_TRUE(AllPixels(editor->doc.Base()) == played) << "the next playback is exact";
}

// What a composition leaves on the picture's surface (a transparent label's background mode)
// does not reach the player: the same metafile over the same picture gives the same pixels.
class EditorPlayback : public PictureTest {};

TEST_F(EditorPlayback, LoadPicture_Should_PlayTheSame_AfterATransparentLabel) {
  TempDir dir;
  const std::string under = dir.File("under.bmp"), wmf = dir.File("hatch.wmf");
  WriteFile(under, MakeBmp24(200, 150, Checker));
  WriteFile(wmf, PlaceableWmf(120, 80, -1, true));
  editor->LoadPicture(under);
  editor->LoadPicture(wmf);
  const std::vector<uint32_t> before = AllPixels(editor->doc.Base());
  editor->LoadPicture(under);
  PlaceLabel(20, 20, "Wg", qtk::clNone);
  editor->LoadPicture(wmf);
  EXPECT_TRUE(AllPixels(editor->doc.Base()) == before);
}

size_t Resident() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

// Holding a 4K picture costs its base image and its composed image; the history keeps replaced
// pictures within its budget, however often one is loaded, and they cost no more than their size.
TEST_F(EditorLoad, LoadPicture_Should_KeepItsPicturesWithinTheBudget_AfterRepeatedLoads) {
  TempDir dir;
  const std::string path = dir.File("4k.bmp");
  WriteFile(path, MakeBmp24(3840, 2160, [](int x, int y) { return uint32_t(x * 7 + y); }));
  const size_t frame = size_t{3840 * 3} * 2160;
  const size_t before = Resident();
  for (int i = 0; i < 5; ++i) {
    editor->LoadPicture(path);
    const size_t held = editor->doc.HeldPictureBytes();
    EXPECT_LE(held + frame, Document::kPictureBudget);
    const size_t now = Resident();
    const size_t grown = now > before ? now - before : 0;
    EXPECT_LE(grown, 2 * frame + held + (16u << 20))
        << "after load " << i + 1 << ": " << (grown >> 20) << " MB";
  }
  EXPECT_EQ(editor->doc.UndoSteps(), 5u) << "four 4K pictures and the blank one fit the budget";
}

// A drop carries a DROPFILES block; only the first file of the set is loaded.
HGLOBAL MakeDrop(const std::vector<std::string>& files) {
  std::string list;
  for (const auto& f : files) list += f + '\0';
  list += '\0';
  HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(mem);
  return mem;
}

TEST_F(EditorLoad, Drop_Should_LoadOnlyFirstFile) {
  TempDir dir;
  std::string first = dir.File("first.bmp"), second = dir.File("second.bmp");
  WriteFile(first, MakeBmp24(11, 5, Checker));
  WriteFile(second, MakeBmp24(12, 6, Checker));
  HGLOBAL drop = MakeDrop({first, second, dir.File("third.bmp")});
  SendMessageA(editor->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(editor->doc.FileName(), first);
  EXPECT_EQ(editor->view.Picture().Width(), 11);
}

TEST_F(EditorLoad, Open_Should_LoadChosenFile_AndChangeNothing_When_Cancelled) {
  TempDir dir;
  std::string path = dir.File("opened.bmp");
  WriteFile(path, MakeBmp24(13, 8, Checker));
  std::string filterSeen;
  qtk::OpenPictureDialog::hook = [&](qtk::OpenPictureDialog& d) {
    filterSeen = d.filter;
    return false;
  };
  editor->Act(kCmdOpen).Execute();
  EXPECT_EQ(editor->view.Picture().Width(), 640);
  EXPECT_EQ(filterSeen, "ビットマップ・JPEG・メタファイル|*.bmp;*.jpg;*.jpeg;*.wmf");
  qtk::OpenPictureDialog::hook = [&](qtk::OpenPictureDialog& d) {
    d.fileName = path;
    return true;
  };
  editor->Act(kCmdOpen).Execute();
  qtk::OpenPictureDialog::hook = nullptr;
  EXPECT_EQ(editor->doc.FileName(), path);
  EXPECT_EQ(editor->view.Picture().Width(), 13);
}

}  // namespace
}  // namespace quillora::testing_support
