// Both windows at 96, 120, 144 and 192 dpi: at 96 every control where it always was, elsewhere
// scaled within a pixel, and no caption or display cut off by its own control or covered by a
// neighbour.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/glyphs.h"
#include "launcher/launcher.h"
#include "support/editor_fixture.h"
#include "toolkit/controls.h"
#include "toolkit/logic/dpi_scale.h"
#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

struct Placed {
  const char* name;
  HWND hwnd;
  RECT at96;     // x, y, width, height in the parent's client area; height < 0: not compared
  bool hasText;  // its caption must fit its client width
};

// Where an edit's caption puts ink, in its client area: the caption drawn with the edit's font at
// the top left of its formatting rectangle, as the edit draws it, on white.
RECT InkedText(HWND edit) {
  char text[256] = {};
  GetWindowTextA(edit, text, sizeof(text));
  RECT format{};
  SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const int w = format.right - format.left, h = format.bottom - format.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  TextOutA(dc, 0, 0, text, lstrlenA(text));
  GdiFlush();
  RECT ink{w, h, 0, 0};
  const auto* px = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((px[y * w + x] & 0xFFFFFF) != 0xFFFFFF)
        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
               std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  if (ink.right == 0) return {};
  OffsetRect(&ink, format.left, format.top);
  return ink;
}

// Rows of an edit's inked text that a sibling above it in the z-order covers.
int CoveredTextRows(HWND edit) {
  RECT ink = InkedText(edit);
  if (IsRectEmpty(&ink)) return 0;
  MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&ink), 2);
  int covered = 0;
  for (HWND above = GetWindow(edit, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    RECT r{}, both{};
    GetWindowRect(above, &r);
    if ((GetWindowLongA(above, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&both, &r, &ink))
      covered = std::max(covered, static_cast<int>(both.bottom - both.top));
  }
  return covered;
}

RECT InParent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Runs of ink along the top edge of the select tool's glyph, drawn for a screen of `dpi`.
int DotsOnSelectGlyph(int dpi) {
  qtk::BitmapObject strip = CreateGlyphStrip(dpi);
  const int size = qtk::ScaleToDpi(16, dpi), y = qtk::ScaleToDpi(2, dpi);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, strip.get());
  int runs = 0;  // along the first glyph
  for (int x = 1; x < size; ++x) runs += GetPixel(dc, x, y) == 0 && GetPixel(dc, x - 1, y) != 0;
  SelectObject(dc, old);
  DeleteDC(dc);
  return runs;
}

class DpiLayout : public EditorTest {};

TEST_F(DpiLayout, EveryControl_Should_ScaleWithTheScreenAndKeepItsTextWhole) {
  CreateEditor();
  CreateLauncher();
  TScrivletForm0& l = *launcher;
  TScrivletForm1& e = *editor;
  e.InsText.SetText("");
  e.NowMode.SetText("  文字描画");  // a mode's name: kanji fill the whole height of the font
  const std::vector<Placed> placed = {
      {"ScreenCap", l.ScreenCap.Handle(), {20, 88, 50, 25}, true},
      {"ModeSelect", l.ModeSelect.Handle(), {16, 8, 135, 73}, true},
      {"NG", l.NG.Handle(), {97, 88, 50, 25}, true},
      {"Mode0", l.ModeSelect.ItemHandle(0), {6, 14, 127, 14}, true},
      {"Mode1", l.ModeSelect.ItemHandle(1), {6, 28, 127, 14}, true},
      {"Mode2", l.ModeSelect.ItemHandle(2), {6, 42, 127, 14}, true},
      {"Mode3", l.ModeSelect.ItemHandle(3), {6, 56, 127, 14}, true},
      {"FColorButton", e.FColorButton.Handle(), {0, 1, 50, 22}, true},
      {"CheckBox1", e.CheckBox1.Handle(), {56, 2, 97, 21}, true},
      {"CheckBox2", e.CheckBox2.Handle(), {156, 2, 92, 21}, true},
      {"InsText", e.InsText.Handle(), {1, 1, 317, -1}, false},
      {"FName", e.FName.Handle(), {320, 1, 150, 20}, true},
      {"TextOKButton", e.TextOKButton.Handle(), {474, 1, 50, 20}, true},
      {"SelColor", e.SelColor.Handle(), {2, 2, 95, 36}, true},
      {"ColorGrid1", e.ColorGrid1.Handle(), {100, 1, 168, 38}, false},
      {"Panel3", e.Panel3.Handle(), {272, 1, 230, 37}, false},
      {"MHyouji", e.MHyouji.Handle(), {0, 0, 121, 20}, true},
      {"NowMode", e.NowMode.Handle(), {0, 16, 121, 20}, true},
      {"LineW", e.LineW.Handle(), {120, 0, 77, 18}, true},
      {"LW", e.LW.Handle(), {197, 0, 30, 18}, true},
      {"LineC", e.LineC.Handle(), {120, 17, 71, 18}, true},
      {"LCB", e.LCB.Handle(), {191, 16, 36, 18}, false},
      {"NBK", e.NBK.Handle(), {196, 19, 11, 11}, false},
      {"NowColor", e.NowColor.Handle(), {197, 20, 9, 9}, false},
      {"SpinEdit1", e.SpinEdit1.Handle(), {505, 1, 20, 36}, false},
  };
  EXPECT_EQ(e.SpinEdit1.Width(), 20) << "as created";
  int worstText = -1000;
  for (int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    MoveToDpi(l.Handle(), dpi);
    MoveToDpi(e.Handle(), dpi);
    Pump();
    for (const Placed& p : placed) {
      SCOPED_TRACE(p.name);
      const RECT got = InParent(p.hwnd);
      const LONG want[4] = {qtk::ScaleToDpi(p.at96.left, dpi), qtk::ScaleToDpi(p.at96.top, dpi),
                            qtk::ScaleToDpi(p.at96.right, dpi),
                            qtk::ScaleToDpi(p.at96.bottom, dpi)};
      const LONG have[4] = {got.left, got.top, got.right, got.bottom};
      for (int i = 0; i < (p.at96.bottom < 0 ? 3 : 4); ++i) {
        if (dpi == 96)
          EXPECT_EQ(have[i], want[i]) << "edge " << i;
        else
          EXPECT_LE(std::labs(have[i] - want[i]), 1) << "edge " << i << " want " << want[i];
      }
      if (!p.hasText) continue;
      RECT client{};
      GetClientRect(p.hwnd, &client);
      const int text = qtk::CaptionWidth(p.hwnd);
      worstText = std::max(worstText, text - static_cast<int>(client.right));
      EXPECT_LE(text, client.right) << "the text is cut";
      char cls[16] = {};
      GetClassNameA(p.hwnd, cls, sizeof cls);
      if (lstrcmpiA(cls, "Edit") == 0) {
        EXPECT_EQ(CoveredTextRows(p.hwnd), 0) << "a neighbour covers the text";
      }
    }
    // The glyphs are drawn at their scaled size; the status bar's first panel is scaled too.
    SIZE glyph{};
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(SendMessageA(e.ToolBar1.Handle(), TB_GETIMAGELIST, 0, 0));
    int gw = 0, gh = 0;
    ImageList_GetIconSize(images, &gw, &gh);
    glyph = {gw, gh};
    EXPECT_EQ(glyph.cx, qtk::ScaleToDpi(16, dpi));
    int edges[2] = {};
    SendMessageA(e.StatusBar1.Handle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], qtk::ScaleToDpi(400, dpi));
    // The swatch's complement frame is as wide on every side; no grey plate leaves a strip of
    // another colour showing in the display panel.
    const RECT frame = InParent(e.NBK.Handle()), swatch = InParent(e.NowColor.Handle());
    const int edge = swatch.left - frame.left;
    EXPECT_EQ(swatch.top - frame.top, edge);
    EXPECT_EQ(frame.right - swatch.right - edge, edge);
    EXPECT_EQ(frame.bottom - swatch.bottom - edge, edge);
    EXPECT_EQ(e.Panel3.GetColor(), qtk::clGray);
    // The spin buttons keep their width from creation on; away from 96 dpi they are drawn without
    // the theme, whose arrows keep their 96-dpi size.
    EXPECT_EQ(GetWindowTheme(e.SpinEdit1.Handle()) == nullptr, dpi != 96);
    // The select tool's glyph keeps a dotted outline: its top edge is ink and gaps in turn.
    EXPECT_GE(DotsOnSelectGlyph(dpi), 6);
    RECT area{};
    GetClientRect(e.Handle(), &area);
    std::printf("dpi %d: editor client %ld x %ld, TextOKButton %ld wide, text margin %d\n", dpi,
                area.right, area.bottom, InParent(e.TextOKButton.Handle()).right, -worstText);
  }
}

// A move to a screen of another density: the window takes the suggested rectangle and keeps the
// document, the selection and the tool; the picture stays one pixel per pixel.
class DpiMove : public PictureTest {};

TEST_F(DpiMove, DpiChanged_Should_TakeSuggestedRectangle_AndKeepDocumentSelectionAndTool) {
  Tool(TScrivletForm1::kLine1);
  Drag(10, 10, 110, 60);
  Tool(TScrivletForm1::kSelect1);
  Click(60, 35);
  ASSERT_EQ(editor->doc.Lines().size(), 1u);
  const auto* const selected = editor->doc.SelectedLine();
  ASSERT_NE(selected, nullptr);
  Pump();
  auto picture = [&] {
    const qtk::Bitmap& b = Shown();
    return std::string(reinterpret_cast<const char*>(b.Bits()), b.Stride() * b.Height());
  };
  const std::string before = picture();
  const int width = editor->view.Picture().Width(), height = editor->view.Picture().Height();

  for (const RECT suggested : {RECT{40, 30, 940, 730}, RECT{10, 20, 560, 460}}) {
    const int dpi = suggested.right - suggested.left > 600 ? 144 : 96;
    SCOPED_TRACE(dpi);
    SendMessageA(editor->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    Pump();
    RECT at{};
    GetWindowRect(editor->Handle(), &at);
    EXPECT_TRUE(EqualRect(&at, &suggested))
        << at.left << "," << at.top << " " << at.right << "," << at.bottom;
    EXPECT_EQ(editor->FormDpi(), dpi);
    EXPECT_EQ(editor->doc.Lines().size(), 1u);
    EXPECT_EQ(editor->doc.SelectedLine(), selected);
    EXPECT_EQ(editor->toolMode, kToolSelect);
    EXPECT_TRUE(editor->ToolBar1.Down(TScrivletForm1::kSelect1));
    RECT box{};
    GetClientRect(Picture(), &box);
    EXPECT_EQ(box.right, width);
    EXPECT_EQ(box.bottom, height);
    EXPECT_TRUE(picture() == before) << "the composed picture changed";
  }
}

TEST_F(DpiMove, LabelPlacedOnAScaledScreen_Should_PaintTheSamePixelsAsAt96) {
  PlaceLabel(20, 20, "ラベル Label");
  MoveToDpi(editor->Handle(), 144);
  Pump();
  PlaceLabel(20, 120, "ラベル Label");
  ASSERT_EQ(editor->doc.Texts().size(), 2u);
  EXPECT_EQ(editor->doc.Texts()[1].Font.height, editor->doc.Texts()[0].Font.height);
  Click(300, 300);  // neither selected
  Pump();
  const qtk::Bitmap& b = editor->view.Picture();
  ASSERT_GE(b.Height(), 200);
  int differ = 0, inked = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < std::min(b.Width(), 300); ++x) {
      differ += PixelAt(b, x, y) != PixelAt(b, x, y + 100);
      inked += PixelAt(b, x, y) != 0xFFFFFF;
    }
  EXPECT_GT(inked, 50) << "the first label is not there";
  EXPECT_EQ(differ, 0) << "the label placed at 144 dpi differs from the one placed at 96";
}

}  // namespace
}  // namespace quillora::testing_support
