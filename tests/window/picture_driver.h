// Drives the editor's picture with the messages the system sends for the mouse, and draws the
// pictures that the annotation tests compare against.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "support/editor_fixture.h"
#include "toolkit/bitmap.h"

namespace quillora::testing_support {

// Client coordinates as the system packs them: two signed 16-bit halves.
inline LPARAM At(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                    static_cast<WORD>(static_cast<short>(y)));
}

// The form told that it moved to a screen of `dpi`, suggesting the rectangle it has.
inline void MoveToDpi(HWND form, int dpi) {
  RECT r{};
  GetWindowRect(form, &r);
  SendMessageA(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
}

// The size of a text as DrawTextA with DT_CALCRECT alone gives it, and the cells that
// ExtTextOut paints, both on a DC of our own with the same font.
inline SIZE CalcSize(const qtk::FontSpec& font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  qtk::FontObject made = qtk::CreateFontObject(font);
  HGDIOBJ old = SelectObject(dc, made.get());
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return {r.right - r.left, r.bottom - r.top};
}

inline SIZE CellSize(const qtk::FontSpec& font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  qtk::FontObject made = qtk::CreateFontObject(font);
  HGDIOBJ old = SelectObject(dc, made.get());
  SIZE s{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &s);
  SelectObject(dc, old);
  DeleteDC(dc);
  return s;
}

class PictureTest : public EditorTest {
 protected:
  void SetUp() override { CreateEditor(); }

  HWND Picture() const { return editor->PB1.Handle(); }
  void Press(int x, int y) { SendMessageA(Picture(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y)); }
  void Move(int x, int y) { SendMessageA(Picture(), WM_MOUSEMOVE, MK_LBUTTON, At(x, y)); }
  void Hover(int x, int y) { SendMessageA(Picture(), WM_MOUSEMOVE, 0, At(x, y)); }
  void Release(int x, int y) { SendMessageA(Picture(), WM_LBUTTONUP, 0, At(x, y)); }
  void Click(int x, int y) {
    Press(x, y);
    Release(x, y);
  }
  void Drag(int x0, int y0, int x1, int y1) {
    Press(x0, y0);
    Move(x1, y1);
    Release(x1, y1);
  }

  // Puts a tool button down as the user would (a click on a button that is up).
  void Tool(const char* button) {
    if (!editor->ToolBar1.Down(button)) editor->ToolBar1.Click(button);
  }

  // A label made as the user makes one: text tool, a click, typing, "確　定".
  const TMoji& PlaceLabel(int x, int y, const std::string& text,
                          qtk::Color background = qtk::clWhite) {
    Tool(TScrivletForm1::kText1);
    Click(x, y);
    editor->InsText.SetText(text);
    editor->CheckBox1.SetChecked(background == qtk::clNone);
    if (background != qtk::clNone) editor->InsText.SetColor(background);
    editor->TextOKButton.Click();
    return editor->doc.Texts().back();
  }

  void MoveLabel(const TMoji& label, int32_t x, int32_t y) {
    TMoji moved = label;
    moved.X = x;
    moved.Y = y;
    editor->doc.ChangeText(label, moved);
  }

  const LineRecord& AddLine(LineRecord r) {
    editor->doc.AddLine(r);
    return editor->doc.Lines().back();
  }

  // Replaces the picture by one of the given size and colours.
  void UsePicture(int width, int height, const std::function<uint32_t(int, int)>& f) {
    WriteFile(pictures_.File("p.bmp"), MakeBmp24(width, height, f));
    editor->LoadPicture(pictures_.File("p.bmp"));
  }

  // What the screen shows of the picture as of the last refresh, painted whole.
  const qtk::Bitmap& Shown() const {
    const qtk::Bitmap& base = editor->doc.Base();
    if (shown_.Width() != base.Width() || shown_.Height() != base.Height())
      shown_.Allocate(base.Width(), base.Height());
    editor->view.Paint(shown_.DC(), Box{0, 0, base.Width(), base.Height()});
    return shown_;
  }
  uint32_t Px(int x, int y) const { return PixelAt(Shown(), x, y); }

  std::unique_ptr<qtk::Bitmap> Reference() const { return CopyOf(editor->doc.Base()); }
  ::testing::AssertionResult SameAsComposed(const qtk::Bitmap& ref) const {
    return SamePixels(Shown(), ref);
  }
  int CountNot(uint32_t colour) const { return testing_support::CountNot(Shown(), colour); }

  TempDir pictures_;
  mutable qtk::Bitmap shown_;
};

}  // namespace quillora::testing_support
