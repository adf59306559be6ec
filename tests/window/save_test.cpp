// Saving the composed picture as BMP or JPEG, and what a failed save leaves behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "support/editor_fixture.h"
#include "toolkit/error.h"
#include "toolkit/logic/jpeg_codec.h"

namespace quillora::testing_support {
namespace {

uint32_t Checker(int x, int y) { return ((x / 3 + y / 2) % 2) ? 0x2040C0 : 0xF0E0A0; }

// Little-endian bytes of a 32-bit value, for header literals.
#define U32(v)                                                                \
  uint8_t((v)&0xFF), uint8_t(((v) >> 8) & 0xFF), uint8_t(((v) >> 16) & 0xFF), \
      uint8_t(((v) >> 24) & 0xFF)

// The standard tables of the JPEG format (natural order) that libjpeg scales by quality.
const int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                              24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Position in natural order of the k-th coefficient of the zig-zag order used in the file.
const int kNaturalOrder[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                               12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                               35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                               58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A table as it stands in the file: libjpeg's quality 90 is a scale of 20 %, kept in 1..255.
std::vector<int> Quality90(const int* base) {
  std::vector<int> out(64);
  for (int k = 0; k < 64; ++k)
    out[k] = std::clamp((base[kNaturalOrder[k]] * 20 + 50) / 100, 1, 255);
  return out;
}

struct JpegFacts {
  int frameMarker = 0, components = 0, scans = 0, width = 0, height = 0;
  std::vector<std::vector<int>> tables;
};

// Walks the markers of a JPEG stream up to the end of the first scan header.
JpegFacts Inspect(const std::string& d) {
  JpegFacts f;
  auto at = [&](size_t i) { return i < d.size() ? int(uint8_t(d[i])) : 0; };
  if (at(0) != 0xFF || at(1) != 0xD8) return f;
  size_t i = 2;
  while (i + 4 <= d.size()) {
    if (at(i) != 0xFF) return f;
    int marker = at(i + 1);
    if (marker == 0xD9) break;
    size_t len = size_t(at(i + 2) << 8 | at(i + 3));
    size_t body = i + 4;
    if (marker == 0xDB) {
      for (size_t p = body; p < i + 2 + len; p += 65) {
        std::vector<int> t(64);
        for (int k = 0; k < 64; ++k) t[k] = at(p + 1 + k);
        f.tables.push_back(t);
      }
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
               marker != 0xCC) {
      f.frameMarker = marker;
      f.height = at(body + 1) << 8 | at(body + 2);
      f.width = at(body + 3) << 8 | at(body + 4);
      f.components = at(body + 5);
    } else if (marker == 0xDA) {
      ++f.scans;
      // Skip the entropy-coded data: stuffed 0xFF00 and restart markers belong to it.
      size_t p = i + 2 + len;
      while (p + 1 < d.size() &&
             !(at(p) == 0xFF && at(p + 1) != 0 && (at(p + 1) < 0xD0 || at(p + 1) > 0xD7)))
        ++p;
      i = p;
      continue;
    }
    i += 2 + len;
  }
  return f;
}

void DecodeJpeg(const std::string& data, qtk::Bitmap& out) {
  qtk::jpeg::Decode({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, false,
                    [&](int32_t w, int32_t h) { return out.Allocate(w, h); });
}

// Names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// The message of the error a save raised (empty when it raised none).
std::string SaveError(const std::function<void()>& save) {
  try {
    save();
  } catch (const std::exception& e) {
    return e.what();
  }
  ADD_FAILURE() << "the save did not fail";
  return {};
}

// A folder on a small file system that a picture fills: QUILLORA_FULL_DIR, a Unix or a
// Windows path.
std::string FullDiskFolder() {
  char value[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("QUILLORA_FULL_DIR", value, MAX_PATH) || !value[0]) return {};
  std::string path = value;
  if (path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  return path;
}

// An editor holding a 37 x 23 picture loaded from a file, so that saving has pixels to write.
class SaveTest : public EditorTest {
 protected:
  void SetUp() override {
    CreateEditor();
    editor->Show();
    std::string source = picture.File("source.bmp");
    WriteFile(source, MakeBmp24(37, 23, Checker));
    editor->LoadPicture(source);
    editor->doc.SetFileName("");
    Pump();
  }
  void TearDown() override {
    qtk::SavePictureDialog::hook = nullptr;
    EditorTest::TearDown();
  }
  TempDir picture;
  TempDir dir;
};

TEST_F(SaveTest, SaveBitmap_Should_WriteExactHeaderAndRowsBottomUp) {
  std::string path = dir.File("out.bmp");
  editor->doc.SetFileName(path);
  editor->SaveBitmap();
  std::string data = ReadFileBytes(path);
  const uint32_t stride = 37 * 3 + 1;  // 111 bytes padded to 112
  ASSERT_EQ(data.size(), 54u + stride * 23);
  const uint8_t expected[54] = {'B',
                                'M',
                                U32(54 + stride * 23),
                                0,
                                0,
                                0,
                                0,
                                54,
                                0,
                                0,
                                0,  // file header
                                40,
                                0,
                                0,
                                0,
                                37,
                                0,
                                0,
                                0,
                                23,
                                0,
                                0,
                                0,
                                1,
                                0,
                                24,
                                0,
                                0,
                                0,
                                0,
                                0,  // info header
                                U32(stride * 23),
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0};
  EXPECT_EQ(0, std::memcmp(data.data(), expected, 54));
  for (int y : {0, 11, 22})
    for (int x : {0, 5, 36}) {
      const char* p = data.data() + 54 + stride * (22 - y) + x * 3;
      uint32_t c = uint8_t(p[0]) << 16 | uint8_t(p[1]) << 8 | uint8_t(p[2]);
      EXPECT_EQ(c, Checker(x, y)) << x << "," << y;
    }
  EXPECT_EQ(editor->Text(), "　Quillora　　out.bmp");
  EXPECT_FALSE(editor->doc.Modified());
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"out.bmp"});
}

TEST_F(SaveTest, SaveJpeg_Should_WriteBaselineQuality90ColourPicture) {
  std::string path = dir.File("out.jpg");
  editor->doc.SetFileName(path);
  editor->SaveJpeg();
  std::string data = ReadFileBytes(path);
  JpegFacts facts = Inspect(data);
  EXPECT_EQ(facts.frameMarker, 0xC0) << "SOF0: baseline";
  EXPECT_EQ(facts.components, 3);
  EXPECT_EQ(facts.scans, 1);
  EXPECT_EQ(facts.width, 37);
  EXPECT_EQ(facts.height, 23);
  ASSERT_EQ(facts.tables.size(), 2u);
  EXPECT_EQ(facts.tables[0], Quality90(kLuminance));
  EXPECT_EQ(facts.tables[1], Quality90(kChrominance));
  qtk::Bitmap decoded;
  DecodeJpeg(data, decoded);
  EXPECT_EQ(decoded.Width(), 37);
  EXPECT_EQ(decoded.Height(), 23);
  EXPECT_EQ(editor->Text(), "　Quillora　　out.jpg");
  EXPECT_FALSE(editor->doc.Modified());
}

TEST_F(SaveTest, SaveJpeg_Should_DrawTheAnnotationsIntoTheFile) {
  qtk::Bitmap white(64, 48);
  editor->doc.ReplacePicture(white, false, "", "");
  editor->doc.AddLine(LineRecord{0, 24, 63, 24, 5, qtk::clRed, false});
  editor->ComposeFull();
  editor->doc.SetFileName(dir.File("line.jpeg"));
  editor->SaveJpeg();
  qtk::Bitmap decoded;
  DecodeJpeg(ReadFileBytes(editor->doc.FileName()), decoded);
  uint32_t onLine = PixelAt(decoded, 32, 24), away = PixelAt(decoded, 32, 5);
  EXPECT_GT(onLine & 0xFF, 200u);
  EXPECT_LT((onLine >> 8) & 0xFF, 60u);
  EXPECT_GT((away >> 8) & 0xFF, 200u);
}

TEST_F(SaveTest, SaveJpeg_Should_WriteEmptyFile_When_PictureHasNoPixels) {
  std::string path = dir.File("empty.jpg");
  WriteFile(path, "old contents");
  qtk::Bitmap none;
  editor->doc.ReplacePicture(none, false, path, "");
  editor->SaveJpeg();
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(SaveTest, ActSave_Should_ChooseFormatByExtension_WithoutDialog) {
  int dialogs = 0;
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog&) { return ++dialogs, false; };
  for (const char* name : {"a.JPG", "b.Jpeg", "c.BMP", "d.jpeg", "e.bmp"}) {
    editor->doc.SetFileName(dir.File(name));
    editor->doc.MarkModified();
    editor->ActSaveExecute();
    std::string data = ReadFileBytes(editor->doc.FileName());
    std::string ext = std::string(name).substr(std::string(name).find('.'));
    bool bmp = ext == ".BMP" || ext == ".bmp";
    EXPECT_EQ(data.substr(0, 2), bmp ? "BM" : "\xFF\xD8") << name;
    EXPECT_FALSE(editor->doc.Modified());
    EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
    EXPECT_TRUE(editor->FColorButton.Focused());
  }
  EXPECT_EQ(dialogs, 0);
}

TEST_F(SaveTest, ActSave_Should_OpenDialog_When_NameIsMetafileBlankOrWithoutDot) {
  int dialogs = 0;
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog&) { return ++dialogs, false; };
  for (std::string name : {dir.File("pic.wmf"), std::string(), dir.File("nodot")}) {
    editor->doc.SetFileName(name);
    editor->doc.MarkModified();
    editor->commandState.saveEnabled = true;
    editor->UpdateCommands();
    editor->ActSaveExecute();
    EXPECT_FALSE(editor->Act(kCmdSave).Enabled()) << "a cancelled save-as disables it";
    EXPECT_TRUE(editor->doc.Modified());
    EXPECT_EQ(editor->doc.FileName(), name);
  }
  EXPECT_EQ(dialogs, 3);
  EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST_F(SaveTest, SaveAs_Should_RememberTypeAndDefaultExtension_AndOpenWithEmptyName) {
  std::vector<qtk::SavePictureDialog> seen;
  int answerIndex = 2;
  std::string answerPath = dir.File("x.jpg");
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog& d) {
    seen.push_back(d);
    d.filterIndex = answerIndex;
    d.fileName = answerPath;
    return true;
  };
  editor->SavePictureDialog1.fileName = "leftover";
  editor->ActSaveAsExecute();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].filter,
            "ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg|JPEG イメージファイル "
            "(*.jpeg)|*.jpeg");
  EXPECT_EQ(seen[0].filterIndex, 1);
  EXPECT_EQ(seen[0].defaultExt, "bmp");
  EXPECT_EQ(seen[0].fileName, "");
  EXPECT_EQ(ReadFileBytes(answerPath).substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(editor->doc.FileName(), answerPath);
  EXPECT_FALSE(editor->Act(kCmdSave).Enabled());

  answerIndex = 3;
  answerPath = dir.File("y.jpeg");
  editor->ActSaveAsExecute();
  EXPECT_EQ(seen[1].filterIndex, 2);
  EXPECT_EQ(seen[1].defaultExt, "jpg");
  EXPECT_EQ(seen[1].fileName, "");

  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog& d) {
    return seen.push_back(d), false;
  };
  editor->ActSaveAsExecute();  // cancelled: the memory stays
  editor->ActSaveAsExecute();
  EXPECT_EQ(seen[3].filterIndex, 3);
  EXPECT_EQ(seen[3].defaultExt, "jpeg");
}

TEST_F(SaveTest, SaveAs_Should_WriteChosenTypeWhateverTheName_ThenNameDecides) {
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog& d) {
    d.filterIndex = 1;
    d.fileName = dir.File("a.jpg");
    return true;
  };
  editor->doc.MarkModified();
  editor->ActSaveAsExecute();
  EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")).substr(0, 2), "BM");
  EXPECT_EQ(editor->Text(), "　Quillora　　a.jpg");
  editor->ActSaveExecute();
  EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")).substr(0, 2), "\xFF\xD8");
}

// The replaced file's hidden and system bits stay with the name.
TEST_F(SaveTest, Save_Should_ReplaceExistingFileWithoutQuestion) {
  std::string path = dir.File("old.bmp");
  WriteFile(path, std::string(5000, 'x'));
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), kept));
  editor->doc.SetFileName(path);
  editor->ActSaveExecute();
  EXPECT_EQ(ReadFileBytes(path).substr(0, 2), "BM");
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"old.bmp"});
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & kept, kept);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // for the folder's removal
}

class SaveFailure : public SaveTest {};

TEST_F(SaveFailure, ReadOnlyTarget_Should_KeepOldFileAndState) {
  std::string path = dir.File("locked.bmp");
  WriteFile(path, "precious");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  editor->doc.SetFileName(path);
  editor->doc.MarkModified();
  std::string caption = editor->Text();
  std::string message = SaveError([&] { editor->ActSaveExecute(); });
  EXPECT_EQ(message.rfind("ファイル\"" + path + "\".", 0), 0u) << message;
  EXPECT_EQ(message.substr(message.size() - 16), "を作成できません") << message;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(path), "precious");
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"locked.bmp"});
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_EQ(editor->Text(), caption);
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
}

TEST_F(SaveFailure, MissingFolder_Should_ReportCreationWithFullPath) {
  std::string path = dir.File("no\\such\\folder\\x.jpg");
  editor->doc.SetFileName(path);
  std::string message = SaveError([&] { editor->SaveJpeg(); });
  EXPECT_EQ(message.rfind("ファイル\"" + path + "\".", 0), 0u) << message;
  EXPECT_NE(message.find("を作成できません"), std::string::npos);
  // The standard display appends "." after the last character.
  BoxRecorder shown;
  qtk::Application::Get().ShowException(qtk::Error(message));
  ASSERT_EQ(shown.boxes.size(), 1u);
  EXPECT_EQ(shown.boxes[0].text, message + ".");
  EXPECT_EQ(shown.boxes[0].caption, "Quillora");
  EXPECT_EQ(shown.boxes[0].type, UINT(MB_OK | MB_ICONERROR));
}

TEST_F(SaveFailure, SaveAs_Should_KeepNameAndLeaveSaveEnabled_When_WriteFails) {
  std::string bad = dir.File("gone\\x.bmp");
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog& d) {
    d.filterIndex = 1;
    d.fileName = bad;
    return true;
  };
  std::string before = editor->doc.FileName();
  editor->doc.MarkModified();
  SaveError([&] { editor->ActSaveAsExecute(); });
  EXPECT_TRUE(editor->Act(kCmdSave).Enabled());
  EXPECT_EQ(editor->doc.FileName(), before);
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_EQ(editor->SavePictureDialog1.defaultExt, "bmp");
}

// Needs a small file system that fills up: scripts set QUILLORA_FULL_DIR to a folder on one.
TEST_F(SaveFailure, FullDisk_Should_KeepOldFileAndLeaveNoPartialFile) {
  std::string full = FullDiskFolder();
  if (full.empty()) GTEST_SKIP() << "QUILLORA_FULL_DIR is not set";
  std::string path = full + "\\quillora-full-test.bmp";
  std::string old(1000, 'o');
  WriteFile(path, old);
  ASSERT_EQ(ReadFileBytes(path), old);
  // 12 MB of noise: more than the test file system holds, as BMP and as JPEG.
  qtk::Bitmap noise(2000, 2000);
  uint32_t seed = 12345;
  for (size_t i = 0; i < noise.Stride() * 2000; ++i)
    noise.Bits()[i] = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
  editor->doc.ReplacePicture(noise, false, path, "");
  editor->doc.MarkModified();
  std::string message = SaveError([&] { editor->SaveBitmap(); });
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(ReadFileBytes(path), old);
  editor->doc.SetFileName(full + "\\quillora-full-test.jpg");
  WriteFile(editor->doc.FileName(), old);
  SaveError([&] { editor->SaveJpeg(); });
  EXPECT_EQ(ReadFileBytes(editor->doc.FileName()), old);
  std::vector<std::string> left = FilesIn(full);
  DeleteFileA(path.c_str());
  DeleteFileA(editor->doc.FileName().c_str());
  EXPECT_EQ(left, (std::vector<std::string>{"quillora-full-test.bmp", "quillora-full-test.jpg"}));
  EXPECT_TRUE(editor->doc.Modified());
}

class SaveClose : public SaveTest {
 protected:
  // Asks the editor window to close as its close box does.
  void CloseEditor() { SendMessageA(editor->Handle(), WM_CLOSE, 0, 0); }
};

TEST_F(SaveClose, Close_Should_EndAtOnceWithoutBox_When_NotModified) {
  editor->doc.MarkSaved();
  CloseEditor();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(launcherCloses, 1);
  EXPECT_FALSE(editor->Visible());
}

TEST_F(SaveClose, Close_Should_AskTheQuestion_AndStayOpen_When_Cancelled) {
  editor->doc.SetFileName("C:\\pics\\shot.bmp");
  editor->doc.MarkModified();
  boxes.answer = [](const ShownBox&) { return IDCANCEL; };
  CloseEditor();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, " 『 shot.bmp 』 が保存されていません。\r\n\r\n　保存しますか？");
  EXPECT_EQ(boxes.boxes[0].caption, "確認");
  EXPECT_EQ(boxes.boxes[0].type, UINT(MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1));
  EXPECT_EQ(launcherCloses, 0);
  EXPECT_TRUE(editor->Visible());
  EXPECT_TRUE(editor->FColorButton.Focused());
  EXPECT_TRUE(editor->doc.Modified());
}

TEST_F(SaveClose, Close_Should_NamePicture_ForFreshCapture) {
  editor->doc.MarkModified();
  boxes.answer = [](const ShownBox&) { return IDNO; };
  CloseEditor();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text.substr(0, 11), " 『 画像 』");
  EXPECT_EQ(launcherCloses, 1) << "いいえ ends without saving";
  EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST_F(SaveClose, Yes_Should_SaveSilentlyAndEnd_When_NameIsJpeg) {
  editor->doc.SetFileName(dir.File("x.jpeg"));
  editor->doc.MarkModified();
  boxes.answer = [](const ShownBox&) { return IDYES; };
  CloseEditor();
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.File("x.jpeg")).substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(launcherCloses, 1);
}

TEST_F(SaveClose, Yes_Should_StayOpen_When_SaveDialogIsCancelled) {
  editor->doc.MarkModified();
  int dialogs = 0;
  qtk::SavePictureDialog::hook = [&](qtk::SavePictureDialog&) { return ++dialogs, false; };
  boxes.answer = [](const ShownBox&) { return IDYES; };
  CloseEditor();
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(launcherCloses, 0);
  EXPECT_TRUE(editor->Visible());
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_TRUE(editor->FColorButton.Focused());
}

TEST_F(SaveClose, Yes_Should_ShowErrorAndStayOpen_When_SaveFails) {
  editor->doc.SetFileName(dir.File("missing\\x.bmp"));
  editor->doc.MarkModified();
  boxes.answer = [](const ShownBox& b) { return b.caption == "確認" ? IDYES : IDOK; };
  CloseEditor();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].caption, "Quillora");
  EXPECT_EQ(boxes.boxes[1].text.rfind("ファイル\"", 0), 0u);
  EXPECT_EQ(launcherCloses, 0);
  EXPECT_TRUE(editor->Visible());
}

// The real system box: its buttons read as a Japanese system labels them, and Esc cancels.
TEST_F(SaveClose, QuestionBox_Should_HaveJapaneseButtons_AndEscapeCancels) {
  std::vector<std::string> labels;
  qtk::Application::Get().messageBoxHook = [&](const std::string& text, const std::string& caption,
                                               UINT type) {
    std::thread watcher([&] {
      for (int i = 0; i < 200; ++i, Sleep(25)) {
        HWND box = FindWindowA("#32770", "確認");
        if (!box) continue;
        for (int id : {IDYES, IDNO, IDCANCEL}) {
          char buf[64] = {};
          GetDlgItemTextA(box, id, buf, sizeof buf);
          labels.push_back(buf);
        }
        PostMessageA(GetDlgItem(box, IDYES), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return;
      }
    });
    int answer = MessageBoxA(editor->Handle(), text.c_str(), caption.c_str(), type);
    watcher.join();
    return answer;
  };
  editor->doc.MarkModified();
  CloseEditor();
  EXPECT_EQ(labels, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)", "キャンセル"}));
  EXPECT_EQ(launcherCloses, 0);
  EXPECT_TRUE(editor->Visible());
}

}  // namespace
}  // namespace quillora::testing_support
