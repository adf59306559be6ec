// The print command, on a fake printer that records what the program hands to the system, and
// on the real spooler with a PDF printer.
#include <windows.h>

#include <gtest/gtest.h>

#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

// ---- a fake printer behind the program's own imports of gdi32 -------------------------------

const char* const kFakeDevice = "Quillora Fake Printer";

struct StretchCall {
  int xDest = 0, yDest = 0, wDest = 0, hDest = 0, xSrc = 0, ySrc = 0, wSrc = 0, hSrc = 0;
  UINT usage = 0;
  DWORD rop = 0;
  BITMAPINFOHEADER header{};
  std::vector<uint8_t> pixels;
};

struct FakePrinter {
  int pageWidth = 4800, pageHeight = 6600;
  bool failGetDIBits = false;
  HDC dc = nullptr;
  std::vector<std::string> calls;
  short orientation = 0;
  std::string docName = "(none)";
  StretchCall stretch;
};
FakePrinter g_fake;

template <class F>
F Real(const char* name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("gdi32.dll"), name)));
}

bool IsFake(HDC dc) { return dc && dc == g_fake.dc; }

HDC WINAPI FakeCreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* dm) {
  if (!device || std::strcmp(device, kFakeDevice) != 0)
    return Real<decltype(&CreateDCA)>("CreateDCA")(driver, device, port, dm);
  g_fake.calls.push_back("CreateDC");
  g_fake.orientation = dm ? dm->dmOrientation : 0;
  g_fake.dc = CreateCompatibleDC(nullptr);
  return g_fake.dc;
}
int WINAPI FakeGetDeviceCaps(HDC dc, int index) {
  if (IsFake(dc) && index == HORZRES) return g_fake.pageWidth;
  if (IsFake(dc) && index == VERTRES) return g_fake.pageHeight;
  return Real<decltype(&GetDeviceCaps)>("GetDeviceCaps")(dc, index);
}
int WINAPI FakeStartDocA(HDC dc, const DOCINFOA* info) {
  if (!IsFake(dc)) return Real<decltype(&StartDocA)>("StartDocA")(dc, info);
  g_fake.calls.push_back("StartDoc");
  g_fake.docName = info && info->lpszDocName ? info->lpszDocName : "(null)";
  return 1;
}
int WINAPI FakeStartPage(HDC dc) {
  if (!IsFake(dc)) return Real<decltype(&StartPage)>("StartPage")(dc);
  g_fake.calls.push_back("StartPage");
  return 1;
}
int WINAPI FakeEndPage(HDC dc) {
  if (!IsFake(dc)) return Real<decltype(&EndPage)>("EndPage")(dc);
  g_fake.calls.push_back("EndPage");
  return 1;
}
int WINAPI FakeEndDoc(HDC dc) {
  if (!IsFake(dc)) return Real<decltype(&EndDoc)>("EndDoc")(dc);
  g_fake.calls.push_back("EndDoc");
  return 1;
}
int WINAPI FakeAbortDoc(HDC dc) {
  if (!IsFake(dc)) return Real<decltype(&AbortDoc)>("AbortDoc")(dc);
  g_fake.calls.push_back("AbortDoc");
  return 1;
}
BOOL WINAPI FakeDeleteDC(HDC dc) {
  if (IsFake(dc)) {
    g_fake.calls.push_back("DeleteDC");
    g_fake.dc = nullptr;
  }
  return Real<decltype(&DeleteDC)>("DeleteDC")(dc);
}
int WINAPI FakeStretchDIBits(HDC dc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
                             const VOID* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (!IsFake(dc))
    return Real<decltype(&StretchDIBits)>("StretchDIBits")(dc, xd, yd, wd, hd, xs, ys, ws, hs, bits,
                                                           info, usage, rop);
  g_fake.calls.push_back("StretchDIBits");
  StretchCall& s = g_fake.stretch;
  s = StretchCall{xd, yd, wd, hd, xs, ys, ws, hs, usage, rop, info->bmiHeader, {}};
  size_t stride = ((static_cast<size_t>(s.header.biWidth) * s.header.biBitCount + 31) / 32) * 4;
  auto* p = static_cast<const uint8_t*>(bits);
  s.pixels.assign(p, p + stride * static_cast<size_t>(std::abs(s.header.biHeight)));
  return hd;
}
int WINAPI FakeGetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits,
                         LPBITMAPINFO info, UINT usage) {
  if (g_fake.failGetDIBits && g_fake.dc) {
    g_fake.calls.push_back("GetDIBits failed");
    return 0;
  }
  return Real<decltype(&GetDIBits)>("GetDIBits")(dc, bitmap, start, lines, bits, info, usage);
}

// Points one import of this program at another function for the life of the object.
class ImportPatch {
 public:
  ImportPatch(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name;
         ++d) {
      if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
          base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
        auto* slot = reinterpret_cast<void**>(&slots->u1.Function);
        patched_.push_back({slot, *slot});
        Write(slot, replacement);
      }
    }
  }
  ~ImportPatch() {
    for (auto& [slot, original] : patched_) Write(slot, original);
  }
  bool Applied() const { return !patched_.empty(); }

 private:
  static void Write(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
  }
  std::vector<std::pair<void**, void*>> patched_;
};

// A DEVMODE as a print dialog hands it back; `orientable` says whether it carries the orientation.
std::vector<BYTE> DialogDevMode(bool orientable, short orientation) {
  std::vector<BYTE> bytes(sizeof(DEVMODEA), 0);
  auto* dm = reinterpret_cast<DEVMODEA*>(bytes.data());
  dm->dmSize = sizeof(DEVMODEA);
  dm->dmFields = orientable ? DM_ORIENTATION : 0;
  dm->dmOrientation = orientation;
  return bytes;
}

uint32_t Quadrants(int x, int y, int w, int h) {
  bool right = x >= w / 2, bottom = y >= h / 2;
  return bottom ? (right ? 0x00FFFF : 0xFF0000) : (right ? 0x00FF00 : 0x0000FF);
}

class PrintCommand : public EditorTest {
 protected:
  void SetUp() override {
    g_fake = FakePrinter{};
    auto patch = [this](const char* name, void* f) {
      patches_.push_back(std::make_unique<ImportPatch>("gdi32.dll", name, f));
      ASSERT_TRUE(patches_.back()->Applied()) << name;
    };
    patch("CreateDCA", reinterpret_cast<void*>(&FakeCreateDCA));
    patch("GetDeviceCaps", reinterpret_cast<void*>(&FakeGetDeviceCaps));
    patch("StartDocA", reinterpret_cast<void*>(&FakeStartDocA));
    patch("StartPage", reinterpret_cast<void*>(&FakeStartPage));
    patch("EndPage", reinterpret_cast<void*>(&FakeEndPage));
    patch("EndDoc", reinterpret_cast<void*>(&FakeEndDoc));
    patch("AbortDoc", reinterpret_cast<void*>(&FakeAbortDoc));
    patch("DeleteDC", reinterpret_cast<void*>(&FakeDeleteDC));
    patch("StretchDIBits", reinterpret_cast<void*>(&FakeStretchDIBits));
    patch("GetDIBits", reinterpret_cast<void*>(&FakeGetDIBits));
    qtk::PrintDialog::hook = [this](qtk::PrintDialog&, qtk::Printer& p) {
      ++dialogRuns;
      if (!confirm) return false;
      p.SetDevice(kFakeDevice, DialogDevMode(orientable, dialogOrientation));
      return true;
    };
    CreateEditor();
  }
  void TearDown() override {
    qtk::PrintDialog::hook = nullptr;
    EditorTest::TearDown();
    patches_.clear();
  }

  void LoadPicture(int w, int h, const std::function<uint32_t(int, int)>& f) {
    std::string path = dir_.File("picture.bmp");
    WriteFile(path, MakeBmp24(w, h, f));
    editor->LoadPicture(path);
  }
  void LoadQuadrants(int w, int h) {
    LoadPicture(w, h, [w, h](int x, int y) { return Quadrants(x, y, w, h); });
  }
  // The command as the menu, the tool button and Ctrl+P run it.
  void RunPrint() {
    PostMessageA(editor->Handle(), WM_COMMAND, MAKEWPARAM(editor->Act(kCmdPrint).CommandId(), 0),
                 0);
    Pump();
  }

  bool confirm = true;
  bool orientable = true;
  short dialogOrientation = DMORIENT_PORTRAIT;
  int dialogRuns = 0;

 private:
  TempDir dir_;
  std::vector<std::unique_ptr<ImportPatch>> patches_;
};

const std::vector<std::string> kOnePageJob = {"CreateDC", "StartDoc", "StartPage", "StretchDIBits",
                                              "EndPage",  "EndDoc",   "DeleteDC"};

TEST_F(PrintCommand, Print_Should_BeLandscape_When_WindowAsCreated) {
  LoadQuadrants(1000, 500);
  g_fake.pageWidth = 6600;
  g_fake.pageHeight = 4800;
  ASSERT_TRUE(editor->CheckBox2.Checked());
  RunPrint();
  EXPECT_EQ(dialogRuns, 1);
  EXPECT_EQ(g_fake.orientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(g_fake.calls, kOnePageJob);
  EXPECT_EQ(g_fake.docName, "");
  EXPECT_EQ(g_fake.stretch.wDest, 6600);
  EXPECT_EQ(g_fake.stretch.hDest, 3300);
}

TEST_F(PrintCommand, Print_Should_OverrideDialogOrientation_With_CheckBox2) {
  LoadQuadrants(40, 30);
  dialogOrientation = DMORIENT_PORTRAIT;
  RunPrint();
  EXPECT_EQ(g_fake.orientation, DMORIENT_LANDSCAPE);

  editor->CheckBox2.SetChecked(false);
  dialogOrientation = DMORIENT_LANDSCAPE;
  RunPrint();
  EXPECT_EQ(g_fake.orientation, DMORIENT_PORTRAIT);
  EXPECT_FALSE(editor->CheckBox2.Checked());  // the box keeps its state between prints
  RunPrint();
  EXPECT_EQ(g_fake.orientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(dialogRuns, 3);
}

TEST_F(PrintCommand, Print_Should_HandOverHeaderAndPixelsOfComposedPicture) {
  // 37 pixels make 111 bytes a row, padded to 112.
  LoadPicture(37, 23,
              [](int x, int y) { return static_cast<uint32_t>(x * 0x010203 + y * 0x030201); });
  // A selected line is printed in its own colours: the selected form is the screen's alone.
  editor->ChooseTool(kCmdLine);
  editor->PB1MouseDown(qtk::MouseButton::Left, 2, 2);
  editor->PB1MouseMove(30, 20);
  editor->PB1MouseUp(qtk::MouseButton::Left, 30, 20);
  editor->ChooseTool(kCmdSelect);
  editor->PB1MouseDown(qtk::MouseButton::Left, 16, 11);
  editor->PB1MouseUp(qtk::MouseButton::Left, 16, 11);
  ASSERT_NE(editor->doc.SelectedLine(), nullptr);

  RunPrint();
  const StretchCall& s = g_fake.stretch;
  EXPECT_EQ(s.header.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(s.header.biWidth, 37);
  EXPECT_EQ(s.header.biHeight, 23);
  EXPECT_EQ(s.header.biPlanes, 1);
  EXPECT_EQ(s.header.biBitCount, 24);
  EXPECT_EQ(s.header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(s.header.biClrUsed, 0u);
  EXPECT_EQ(s.usage, static_cast<UINT>(DIB_RGB_COLORS));
  EXPECT_EQ(s.rop, static_cast<DWORD>(SRCCOPY));
  EXPECT_EQ(s.xDest, 0);
  EXPECT_EQ(s.yDest, 0);
  EXPECT_EQ(s.xSrc, 0);
  EXPECT_EQ(s.ySrc, 0);
  EXPECT_EQ(s.wSrc, 37);
  EXPECT_EQ(s.hSrc, 23);
  ASSERT_EQ(s.pixels.size(), 112u * 23u);
  // The screen shows the selected line inverted; the page has it in its own colour.
  qtk::Bitmap screen(37, 23);
  editor->view.Paint(screen.DC(), Box{0, 0, 37, 23});
  EXPECT_NE(PixelAt(screen, 16, 11), PixelAt(editor->view.Picture(), 16, 11));
  int mismatches = 0;
  for (int y = 0; y < 23; ++y) {
    const uint8_t* row = s.pixels.data() + 112 * (22 - y);  // bottom row first
    for (int x = 0; x < 37; ++x) {
      uint32_t c = row[x * 3] << 16 | row[x * 3 + 1] << 8 | row[x * 3 + 2];
      mismatches += c != PixelAt(editor->view.Picture(), x, y);
    }
    EXPECT_EQ(row[111], 0) << "padding of row " << y;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_NE(PixelAt(editor->view.Picture(), 16, 11), PixelAt(editor->doc.Base(), 16, 11));
}

TEST_F(PrintCommand, Print_Should_ChangeNothing_When_DialogCancelled) {
  LoadQuadrants(20, 10);
  confirm = false;
  editor->CheckBox2.SetChecked(false);
  RunPrint();
  EXPECT_EQ(dialogRuns, 1);
  EXPECT_TRUE(g_fake.calls.empty());
  EXPECT_FALSE(editor->CheckBox2.Checked());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PrintCommand, Print_Should_LeaveDocumentAndFocus_As_TheyWere) {
  LoadQuadrants(20, 10);
  editor->Show();
  SetForegroundWindow(editor->Handle());
  editor->InsText.SetFocus();
  editor->doc.MarkModified();
  editor->commandState.saveEnabled = false;
  editor->UpdateCommands();
  std::string name = editor->doc.FileName(), caption = editor->Text();
  RunPrint();
  EXPECT_EQ(g_fake.calls, kOnePageJob);
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_FALSE(editor->Act(kCmdSave).Enabled());
  EXPECT_EQ(editor->doc.FileName(), name);
  EXPECT_EQ(editor->Text(), caption);
  EXPECT_TRUE(editor->InsText.Focused());
  EXPECT_EQ(editor->view.Picture().Width(), 20);
}

TEST_F(PrintCommand, Print_Should_StartNoJob_When_PrinterTakesNoOrientation) {
  LoadQuadrants(20, 10);
  orientable = false;
  RunPrint();
  EXPECT_TRUE(g_fake.calls.empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text.rfind("選択されたプリンタではサポートされていない機能です", 0), 0u)
      << boxes.boxes[0].text;
  EXPECT_EQ(boxes.boxes[0].caption, "Quillora");
  EXPECT_EQ(boxes.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(PrintCommand, Print_Should_EndJobBeforeShowingError_When_PixelsCannotBeRead) {
  LoadQuadrants(20, 10);
  g_fake.failGetDIBits = true;
  size_t callsWhenBoxShown = 0;
  boxes.answer = [&](const ShownBox&) {
    callsWhenBoxShown = g_fake.calls.size();
    return IDOK;
  };
  RunPrint();
  const std::vector<std::string> expected = {
      "CreateDC", "StartDoc", "StartPage", "GetDIBits failed", "EndPage", "EndDoc", "DeleteDC"};
  EXPECT_EQ(g_fake.calls, expected);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(callsWhenBoxShown, expected.size());
  EXPECT_FALSE(editor->printer.Printing());
}

// Picture W x H on a printable area PW x PH gives the target size, always at the top-left.
struct LayoutCase {
  int w, h, pw, ph, width, height;
};

class PrintScaling : public PrintCommand, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PrintScaling, Print_Should_FillOneSideOfPrintableArea_KeepingAspect) {
  const LayoutCase& c = GetParam();
  LoadPicture(c.w, c.h, [](int x, int y) { return 0x336699u; });
  g_fake.pageWidth = c.pw;
  g_fake.pageHeight = c.ph;
  editor->CheckBox2.SetChecked(c.pw > c.ph);
  RunPrint();
  ASSERT_EQ(g_fake.calls, kOnePageJob);
  EXPECT_EQ(g_fake.orientation, c.pw > c.ph ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
  const StretchCall& s = g_fake.stretch;
  EXPECT_EQ(s.xDest, 0);
  EXPECT_EQ(s.yDest, 0);
  EXPECT_EQ(s.wDest, c.width);
  EXPECT_EQ(s.hDest, c.height);
  EXPECT_EQ(s.wSrc, c.w);
  EXPECT_EQ(s.hSrc, c.h);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintScaling,
    ::testing::Values(LayoutCase{1000, 500, 4800, 6600, 4800, 2400},  // wider: full width
                      LayoutCase{1000, 500, 6600, 4800, 6600, 3300},  // landscape, still wider
                      LayoutCase{300, 600, 6600, 4800, 2400, 4800},   // taller: full height
                      LayoutCase{660, 480, 6600, 4800, 6600, 4800},   // equal ratios: height branch
                      LayoutCase{1000, 500, 2479, 3508, 2479, 1240},  // 1239.5 rounds up
                      LayoutCase{600, 500, 3508, 2479, 2975, 2479},   // 2974.8 rounds up
                      LayoutCase{3, 2, 2479, 3508, 2479, 1653},       // small picture enlarged
                      LayoutCase{2000, 3000, 480, 660, 440, 660}));   // large picture reduced

// ---- the real spooler ------------------------------------------------------------------------

// The folder where the PDF printer puts its files, as a Windows path; empty when not set up.
std::string PdfFolder() {
  const char* unixPath = std::getenv("QUILLORA_PDF_DIR");
  if (!unixPath || !*unixPath) return {};
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.back() == '\\') path.pop_back();
  return path;
}

std::vector<std::string> PdfFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd{};
  HANDLE h = FindFirstFileA((folder + "\\*.pdf").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

// Waits for a complete PDF, not in `before`, that holds a picture of w x h pixels (other print
// jobs may share the folder); empty on time-out.
std::string WaitForNewPdf(const std::string& folder, const std::vector<std::string>& before, int w,
                          int h) {
  const std::string width = "/Width " + std::to_string(w), height = "/Height " + std::to_string(h);
  for (int tries = 0; tries < 120; ++tries) {
    qtk::Application::Get().ProcessMessages();
    Sleep(250);
    for (const std::string& name : PdfFiles(folder)) {
      if (std::find(before.begin(), before.end(), name) != before.end()) continue;
      std::string bytes = ReadFileBytes(folder + "\\" + name);
      bool complete =
          bytes.find("%%EOF", bytes.size() > 64 ? bytes.size() - 64 : 0) != std::string::npos;
      if (complete && bytes.find(width) != std::string::npos &&
          bytes.find(height) != std::string::npos)
        return name;
    }
  }
  return {};
}

class PrintSpooler : public EditorTest {
 protected:
  void TearDown() override {
    qtk::PrintDialog::hook = nullptr;
    EditorTest::TearDown();
  }
};

// Leaves quillora-print-portrait.pdf and quillora-print-landscape.pdf for tests/print_check.sh.
TEST_F(PrintSpooler, Print_Should_PutPictureOnPdfPage_InBothOrientations) {
  const std::string folder = PdfFolder();
  if (folder.empty()) GTEST_SKIP() << "QUILLORA_PDF_DIR is not set";
  const std::string targets[] = {folder + "\\quillora-print-portrait.pdf",
                                 folder + "\\quillora-print-landscape.pdf"};
  // Pages of an earlier run must not pass for this run's.
  for (const std::string& t : targets) DeleteFileA(t.c_str());
  char printerName[256] = {};
  DWORD size = sizeof printerName;
  if (!GetDefaultPrinterA(printerName, &size)) GTEST_SKIP() << "no default printer";

  // Width and height 6:5, of a size of this process's own, so that its pages are told apart.
  const int w = 600 + 6 * static_cast<int>(GetCurrentProcessId() % 50), h = w * 5 / 6;
  TempDir dir;
  std::string path = dir.File("quadrants.bmp");
  WriteFile(path, MakeBmp24(w, h, [w, h](int x, int y) { return Quadrants(x, y, w, h); }));
  CreateEditor(path);
  qtk::PrintDialog::hook = [](qtk::PrintDialog&, qtk::Printer&) { return true; };
  for (bool landscape : {false, true}) {
    const std::string& target = targets[landscape ? 1 : 0];
    std::vector<std::string> before = PdfFiles(folder);
    editor->CheckBox2.SetChecked(landscape);
    PostMessageA(editor->Handle(), WM_COMMAND, MAKEWPARAM(editor->Act(kCmdPrint).CommandId(), 0),
                 0);
    Pump();
    EXPECT_TRUE(boxes.boxes.empty());
    std::string made = WaitForNewPdf(folder, before, w, h);
    ASSERT_FALSE(made.empty()) << "no PDF arrived in " << folder;
    EXPECT_TRUE(MoveFileA((folder + "\\" + made).c_str(), target.c_str())) << made;
  }
}

}  // namespace
}  // namespace quillora::testing_support
