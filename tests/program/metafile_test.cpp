// A valid placeable WMF whose bitmap record the system's WMF-to-EMF converter mishandles (a
// STRETCHDIB of 8 bits per pixel that counts no colours and carries a palette of 100): selected
// in the open dialog, its preview shows; opened, it becomes the picture, and the program goes on.
#include <cstring>

#include "program/fixture.h"
#include "support/find_window.h"

namespace quillora::program {
namespace {

// The 10 x 10 bitmap stretched over a square of `size` at (`at`, `at`) of the 200 x 200 box.
std::string StretchDibWmf(int at = 0, int size = 200) {
  std::string records;
  auto w16 = [](std::string& d, int v) { d.append({char(v & 0xFF), char((v >> 8) & 0xFF)}); };
  auto w32 = [&](std::string& d, uint32_t v) { w16(d, int(v & 0xFFFF)), w16(d, int(v >> 16)); };
  auto record = [&](int function, const std::string& body) {
    w32(records, uint32_t(3 + body.size() / 2));
    w16(records, function);
    records += body;
  };
  std::string body;
  for (int v : {0, 0}) w16(body, v);
  record(0x020B, body);  // SETWINDOWORG
  body.clear();
  for (int v : {200, 200}) w16(body, v);
  record(0x020C, body);  // SETWINDOWEXT
  body.clear();
  w32(body, SRCCOPY);
  // Sizes and places y before x.
  for (int v : {DIB_RGB_COLORS, 10, 10, 0, 0, size, size, at, at}) w16(body, v);
  BITMAPINFOHEADER info{sizeof info, 10, 10, 1, 8, BI_RGB, 0, 0, 0, 0, 0};  // biClrUsed 0
  body.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int i = 0; i < 100; ++i) w32(body, i == 7 ? 0xFF0000u : uint32_t(i));
  for (int row = 0; row < 10; ++row) body += std::string(10, '\x07') + std::string(2, '\0');
  record(0x0F43, body);  // STRETCHDIB
  record(0x0000, "");
  std::string file;
  w32(file, 0x9AC6CDD7);
  for (int v : {0, 0, 0, 200, 200, 96, 0, 0}) w16(file, v);
  uint16_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2)
    sum ^= uint16_t(uint8_t(file[i]) | uint8_t(file[i + 1]) << 8);
  w16(file, sum);
  for (int v : {1, 9, 0x300}) w16(file, v);
  w32(file, uint32_t(9 + records.size() / 2));
  w16(file, 0);
  w32(file, uint32_t(3 + body.size() / 2));
  w16(file, 0);
  return file + records;
}

using testing_support::PreviewPane;

class MetafileRoad : public ProgramTest {};

TEST_F(MetafileRoad, StretchDibWmf_Should_PreviewAndOpen_AndLeaveTheProgramUsable) {
  StartEditor();
  const std::string path = dir.File("stretchdib.wmf");
  testing_support::WriteFile(path, StretchDibWmf());
  HWND dialog = FileDialogByKeys('O');
  ASSERT_NE(dialog, nullptr) << "the open dialog did not open";
  // Into the folder by its name, then a click on its one file, as the user selects it.
  HWND name = GetDlgItem(dialog, 0x480);
  if (HWND box = GetDlgItem(dialog, 0x47C); !name && box) name = Child(box, "Edit");
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dir.Path().c_str()));
  ClickButton(GetDlgItem(dialog, IDOK));
  Wait(1000);
  HWND list = FindWindowExA(FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr), nullptr,
                            "SysListView32", nullptr);
  ASSERT_NE(list, nullptr);
  Click(list, 30, 8);
  HWND pane = PreviewPane(dialog);
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(WaitFor([&] { return Text(pane) == "200 x 200"; }, 8000))
      << "pane: " << Text(pane) << "; program running: " << program->Running();

  ASSERT_TRUE(FillFileDialog(dialog, path));
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　stretchdib.wmf"; }, 8000))
      << "caption: " << Caption() << "; box: " << ReadBox(program->Window("#32770")).text;
  RECT size{};
  GetClientRect(picture, &size);
  EXPECT_EQ(size.right, 200);
  EXPECT_EQ(size.bottom, 200);
  ExpectAliveAndUsable();
}

// Opened after a green picture, a metafile is white where it paints nothing.
TEST_F(MetafileRoad, MetafileWithMargins_Should_ShowWhiteMargins_AfterAGreenPicture) {
  StartEditor();
  const std::string green = dir.File("green.bmp"), wmf = dir.File("square.wmf");
  testing_support::WriteFile(
      green, testing_support::MakeBmp24(400, 300, [](int, int) { return 0x00FF00u; }));
  testing_support::WriteFile(wmf, StretchDibWmf(50, 100));
  OpenThroughDialog(green);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　green.bmp"; }, 5000));
  OpenThroughDialog(wmf);
  ASSERT_TRUE(WaitFor([&] { return Caption() == "　Quillora　　square.wmf"; }, 8000));
  Wait(300);
  EXPECT_NE(ClientPixel(picture, 100, 100) & 0xFFFFFF, 0xFFFFFFu) << "the bitmap is not drawn";
  for (POINT p : {POINT{5, 5}, POINT{194, 194}, POINT{30, 100}})
    EXPECT_EQ(ClientPixel(picture, p.x, p.y) & 0xFFFFFF, 0xFFFFFFu) << p.x << "," << p.y;
}

}  // namespace
}  // namespace quillora::program
