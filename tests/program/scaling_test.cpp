// The shipped program on a screen of 144 dpi: its controls grow by half, while the picture stays
// one picture pixel to one screen pixel and a drag draws where the pointer went.
#include "program/fixture.h"

namespace quillora::program {
namespace {

// A value of HKCU\Control Panel\Desktop for the programs started from now on; the earlier value,
// or its absence, is put back at the end.
class DesktopSetting {
 public:
  DesktopSetting(const char* name, DWORD value) : name_(name) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof old_, type = 0;
    hadValue_ = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                                 &size) == ERROR_SUCCESS &&
                type == REG_DWORD;
    set_ = RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
  }
  ~DesktopSetting() {
    if (hadValue_)
      RegSetValueExA(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    else
      RegDeleteValueA(key_, name_);
    RegCloseKey(key_);
  }
  DesktopSetting(const DesktopSetting&) = delete;
  DesktopSetting& operator=(const DesktopSetting&) = delete;
  bool Set() const { return set_; }

 private:
  const char* name_;
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool hadValue_ = false, set_ = false;
};

// The manifest the shipped program carries (resource 1 of type RT_MANIFEST).
std::string EmbeddedManifest() {
  HMODULE module = LoadLibraryExA(ProgramPath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return {};
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)))
    if (HGLOBAL data = LoadResource(module, found))
      text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
  FreeLibrary(module);
  return text;
}

class ScaledScreen : public ProgramTest {};

// Every pixel a colour of its own position; odd columns and rows differ from their neighbours in
// full, so a stretch, a blur or a shift of one pixel shows.
uint32_t Pattern(int x, int y) {
  return (x * 5 & 0x7F) | (x & 1 ? 0x80 : 0) | (y * 3 & 0x7F) << 8 | (y & 1 ? 0x8000 : 0) |
         0x400000;
}

// Wine makes every program per-monitor aware, whatever it declares (unless the desktop's
// DpiScalingVer is set, and then Wine 8 mistakes "PerMonitorV2" for an awareness it cannot map), so
// the declaration that Windows reads is checked in the file itself.
TEST_F(ScaledScreen, ShippedProgram_Should_DeclarePerMonitorAwareness_WithFallBacks) {
  const std::string manifest = EmbeddedManifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest in the program";
  EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;
}

TEST_F(ScaledScreen,
       PictureAt144Dpi_Should_ShowOnePicturePixelPerScreenPixel_AndDrawUnderThePointer) {
  DesktopSetting density("LogPixels", 144);
  ASSERT_TRUE(density.Set());
  constexpr int kWidth = 240, kHeight = 160;
  const std::string path = dir.File("scaled.bmp");
  testing_support::WriteFile(path, testing_support::MakeBmp24(kWidth, kHeight, Pattern));
  StartEditor();
  OpenThroughDialog(path);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　scaled.bmp"; }, 10000)) << Caption();
  Wait(300);

  // The program really runs at 144: its window is half as large again as at 96 (542 wide there).
  RECT client{};
  GetClientRect(editor, &client);
  EXPECT_GE(client.right, 542 * 3 / 2 - 1) << "the editor did not scale";
  RECT box{};
  GetClientRect(picture, &box);
  EXPECT_EQ(box.right, kWidth);
  EXPECT_EQ(box.bottom, kHeight);

  int wrong = 0, first = -1;
  for (int y = 0; y < kHeight; y += 3)
    for (int x = 0; x < kWidth; x += 7) {
      if (ClientPixel(picture, x, y) != Pattern(x, y) && wrong++ == 0) first = y * kWidth + x;
    }
  EXPECT_EQ(wrong, 0) << "first wrong pixel at (" << first % kWidth << ", " << first / kWidth
                      << ")";

  // A drag from (20, 40) to (220, 40) in picture pixels: red on that row, the pattern above it.
  Drag(picture, {20, 40}, {220, 40});
  auto redAt = [&](int x, int y) { return IsRed(ClientPixel(picture, x, y)); };
  EXPECT_TRUE(WaitFor([&] { return redAt(120, 40); }, 3000)) << "no line under the pointer's path";
  for (int x : {30, 120, 210}) EXPECT_TRUE(redAt(x, 40)) << "x=" << x;
  EXPECT_EQ(ClientPixel(picture, 120, 30), Pattern(120, 30)) << "the line is wider than drawn";
}

// The open and save dialogs, with their preview pane, lie wholly in the work area at any density.
TEST_F(ScaledScreen, FileDialogs_Should_FitTheWorkAreaWithTheirPreview_AtEveryDensity) {
  RECT work{}, dialog{}, pane{}, both{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  auto inside = [&](const RECT& r, const RECT& in) {
    return IntersectRect(&both, &r, &in) && EqualRect(&both, &r);
  };
  for (DWORD dpi : {144u, 192u}) {
    DesktopSetting density("LogPixels", dpi);
    StartEditor();
    for (WORD key : {WORD('O'), WORD('S')}) {
      HWND h = FileDialogByKeys(key);
      ASSERT_NE(h, nullptr);
      GetWindowRect(h, &dialog);
      GetWindowRect(GetDlgItem(FindWindowExA(h, nullptr, "#32770", nullptr), 0x0B00), &pane);
      EXPECT_TRUE(inside(dialog, work) && inside(pane, dialog)) << dpi << " dpi, " << char(key);
      EXPECT_GE(pane.right - pane.left, 90 * static_cast<int>(dpi) / 96);
      EXPECT_TRUE(CancelDialog(h));
    }
  }
}

}  // namespace
}  // namespace quillora::program
