#include "editor/glyphs.h"

#include <vector>

#include "toolkit/bitmap.h"

namespace quillora {

namespace {

using Draw = void (*)(qtk::Canvas&, int ox);

void Pen(qtk::Canvas& c, qtk::Color color, int width = 1) {
  c.SetPenColor(color);
  c.SetPenWidth(width);
  c.SetPenMode(qtk::PenMode::Copy);
}

void Line(qtk::Canvas& c, int x0, int y0, int x1, int y1) {
  c.MoveTo(x0, y0);
  c.LineTo(x1, y1);
}

void Fill(qtk::Canvas& c, qtk::Color color, int l, int t, int r, int b) {
  c.SetBrushStyle(qtk::BrushStyle::Solid);
  c.SetBrushColor(color);
  c.FillRect(RECT{l, t, r, b});
}

void Select(qtk::Canvas& c, int o) {
  Pen(c, qtk::clBlack);
  for (int i = 2; i < 14; i += 2) {
    Line(c, o + i, 2, o + i + 1, 2);
    Line(c, o + i, 13, o + i + 1, 13);
    Line(c, o + 2, i, o + 2, i + 1);
    Line(c, o + 13, i, o + 13, i + 1);
  }
}

void Pick(qtk::Canvas& c, int o) {
  Pen(c, qtk::clBlack);
  Line(c, o + 2, 14, o + 9, 7);
  Line(c, o + 3, 14, o + 10, 7);
  Fill(c, qtk::clNavy, o + 9, 2, o + 14, 7);
  Fill(c, qtk::clRed, o + 2, 14, o + 4, 16);
}

void StraightLine(qtk::Canvas& c, int o) {
  Pen(c, qtk::clBlue, 2);
  Line(c, o + 2, 13, o + 13, 2);
}

void Arrow(qtk::Canvas& c, int o) {
  Pen(c, qtk::clRed, 2);
  Line(c, o + 2, 13, o + 12, 3);
  POINT head[] = {{o + 14, 1}, {o + 8, 3}, {o + 12, 7}};
  c.SetBrushStyle(qtk::BrushStyle::Solid);
  c.SetBrushColor(qtk::clRed);
  Pen(c, qtk::clRed);
  c.Polygon(head);
}

void Text(qtk::Canvas& c, int o) {
  Pen(c, qtk::clBlack, 2);
  Line(c, o + 3, 3, o + 13, 3);
  Line(c, o + 8, 3, o + 8, 14);
  Line(c, o + 6, 14, o + 11, 14);
}

void Save(qtk::Canvas& c, int o) {
  Fill(c, qtk::clNavy, o + 2, 2, o + 14, 14);
  Fill(c, qtk::clSilver, o + 4, 2, o + 12, 7);
  Fill(c, qtk::clWhite, o + 5, 9, o + 11, 14);
}

void Print(qtk::Canvas& c, int o) {
  Fill(c, qtk::clWhite, o + 4, 1, o + 12, 6);
  Pen(c, qtk::clBlack);
  c.SetBrushStyle(qtk::BrushStyle::Clear);
  c.Rectangle(o + 4, 1, o + 12, 7);
  Fill(c, qtk::clGray, o + 1, 6, o + 15, 12);
  Fill(c, qtk::clWhite, o + 4, 10, o + 12, 15);
  Fill(c, qtk::clLime, o + 12, 7, o + 14, 9);
}

void Delete(qtk::Canvas& c, int o) {
  Pen(c, qtk::clRed, 3);
  Line(c, o + 3, 3, o + 12, 12);
  Line(c, o + 12, 3, o + 3, 12);
}

void Open(qtk::Canvas& c, int o) {
  Fill(c, qtk::clOlive, o + 1, 4, o + 7, 6);
  Fill(c, qtk::clYellow, o + 1, 6, o + 14, 14);
  Pen(c, qtk::clOlive);
  c.SetBrushStyle(qtk::BrushStyle::Clear);
  c.Rectangle(o + 1, 6, o + 14, 14);
}

void New(qtk::Canvas& c, int o) {
  Pen(c, qtk::clBlack);
  c.SetBrushStyle(qtk::BrushStyle::Solid);
  c.SetBrushColor(qtk::Color(0xFEFEFE));  // not the transparent key
  c.Rectangle(o + 3, 1, o + 13, 15);
  Line(c, o + 5, 5, o + 11, 5);
  Line(c, o + 5, 8, o + 11, 8);
  Line(c, o + 5, 11, o + 9, 11);
}

void Reload(qtk::Canvas& c, int o) {
  Pen(c, qtk::clGreen, 2);
  c.RealizePen();
  Arc(c.Handle(), o + 2, 2, o + 14, 14, o + 14, 4, o + 8, 2);
  POINT head[] = {{o + 14, 2}, {o + 14, 8}, {o + 9, 6}};
  c.SetBrushStyle(qtk::BrushStyle::Solid);
  c.SetBrushColor(qtk::clGreen);
  Pen(c, qtk::clGreen);
  c.Polygon(head);
}

}  // namespace

qtk::BitmapObject CreateGlyphStrip() {
  qtk::Bitmap strip(16 * kGlyphCount, 16);
  qtk::Canvas& c = strip.GetCanvas();
  const std::pair<int, Draw> glyphs[] = {{0, Select}, {2, Pick},   {5, StraightLine}, {6, Arrow},
                                         {10, Text},  {13, Save},  {14, Print},       {15, Delete},
                                         {16, Open},  {17, New},   {18, Reload}};
  for (auto [index, draw] : glyphs) draw(c, index * 16);
  // The tool bar's image list wants a plain DDB; copy the strip into one.
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 16 * kGlyphCount, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, ddb);
  BitBlt(dc, 0, 0, 16 * kGlyphCount, 16, strip.DC(), 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return qtk::BitmapObject(ddb);
}

}  // namespace quillora
