#include "editor/glyphs.h"

#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/logic/dpi_scale.h"

namespace quillora {

namespace {

// One glyph's square, drawn in 16-pixel units scaled to the density: lines stay one stroke of
// the scaled width instead of a blown-up bitmap.
struct Pad {
  qtk::Canvas& c;
  int o;  // the glyph's left edge in the strip
  int dpi;
  int S(int v) const { return qtk::ScaleToDpi(v, dpi); }
  int X(int v) const { return o + S(v); }
};

using Draw = void (*)(const Pad&);

void Pen(const Pad& p, qtk::Color color, int width = 1) {
  p.c.SetPenColor(color);
  p.c.SetPenWidth(p.S(width));
  p.c.SetPenMode(qtk::PenMode::Copy);
}

void Line(const Pad& p, int x0, int y0, int x1, int y1) {
  p.c.MoveTo(p.X(x0), p.S(y0));
  p.c.LineTo(p.X(x1), p.S(y1));
}

void Fill(const Pad& p, qtk::Color color, int l, int t, int r, int b) {
  p.c.SetBrushStyle(qtk::BrushStyle::Solid);
  p.c.SetBrushColor(color);
  p.c.FillRect(RECT{p.X(l), p.S(t), p.X(r), p.S(b)});
}

void Frame(const Pad& p, int l, int t, int r, int b) {
  p.c.Rectangle(p.X(l), p.S(t), p.X(r), p.S(b));
}

// Dots as squares of one scaled unit: a pen as wide as a dot would join its ends into a line.
void Select(const Pad& p) {
  for (int i = 2; i < 14; i += 2) {
    Fill(p, qtk::clBlack, i, 2, i + 1, 3);
    Fill(p, qtk::clBlack, i, 13, i + 1, 14);
    Fill(p, qtk::clBlack, 2, i, 3, i + 1);
    Fill(p, qtk::clBlack, 13, i, 14, i + 1);
  }
}

void Pick(const Pad& p) {
  Pen(p, qtk::clBlack);
  Line(p, 2, 14, 9, 7);
  Line(p, 3, 14, 10, 7);
  Fill(p, qtk::clNavy, 9, 2, 14, 7);
  Fill(p, qtk::clRed, 2, 14, 4, 16);
}

void StraightLine(const Pad& p) {
  Pen(p, qtk::clBlue, 2);
  Line(p, 2, 13, 13, 2);
}

void Arrow(const Pad& p) {
  Pen(p, qtk::clRed, 2);
  Line(p, 2, 13, 12, 3);
  POINT head[] = {{p.X(14), p.S(1)}, {p.X(8), p.S(3)}, {p.X(12), p.S(7)}};
  p.c.SetBrushStyle(qtk::BrushStyle::Solid);
  p.c.SetBrushColor(qtk::clRed);
  Pen(p, qtk::clRed);
  p.c.Polygon(head);
}

void Text(const Pad& p) {
  Pen(p, qtk::clBlack, 2);
  Line(p, 3, 3, 13, 3);
  Line(p, 8, 3, 8, 14);
  Line(p, 6, 14, 11, 14);
}

void Save(const Pad& p) {
  Fill(p, qtk::clNavy, 2, 2, 14, 14);
  Fill(p, qtk::clSilver, 4, 2, 12, 7);
  Fill(p, qtk::clWhite, 5, 9, 11, 14);
}

void Print(const Pad& p) {
  Fill(p, qtk::clWhite, 4, 1, 12, 6);
  Pen(p, qtk::clBlack);
  p.c.SetBrushStyle(qtk::BrushStyle::Clear);
  Frame(p, 4, 1, 12, 7);
  Fill(p, qtk::clGray, 1, 6, 15, 12);
  Fill(p, qtk::clWhite, 4, 10, 12, 15);
  Fill(p, qtk::clLime, 12, 7, 14, 9);
}

void Delete(const Pad& p) {
  Pen(p, qtk::clRed, 3);
  Line(p, 3, 3, 12, 12);
  Line(p, 12, 3, 3, 12);
}

void Open(const Pad& p) {
  Fill(p, qtk::clOlive, 1, 4, 7, 6);
  Fill(p, qtk::clYellow, 1, 6, 14, 14);
  Pen(p, qtk::clOlive);
  p.c.SetBrushStyle(qtk::BrushStyle::Clear);
  Frame(p, 1, 6, 14, 14);
}

void New(const Pad& p) {
  Pen(p, qtk::clBlack);
  p.c.SetBrushStyle(qtk::BrushStyle::Solid);
  p.c.SetBrushColor(qtk::Color(0xFEFEFE));  // not the transparent key
  Frame(p, 3, 1, 13, 15);
  Line(p, 5, 5, 11, 5);
  Line(p, 5, 8, 11, 8);
  Line(p, 5, 11, 9, 11);
}

void Reload(const Pad& p) {
  Pen(p, qtk::clGreen, 2);
  p.c.RealizePen();
  Arc(p.c.Handle(), p.X(2), p.S(2), p.X(14), p.S(14), p.X(14), p.S(4), p.X(8), p.S(2));
  POINT head[] = {{p.X(14), p.S(2)}, {p.X(14), p.S(8)}, {p.X(9), p.S(6)}};
  p.c.SetBrushStyle(qtk::BrushStyle::Solid);
  p.c.SetBrushColor(qtk::clGreen);
  Pen(p, qtk::clGreen);
  p.c.Polygon(head);
}

}  // namespace

qtk::BitmapObject CreateGlyphStrip(int dpi) {
  const int size = qtk::ScaleToDpi(16, dpi);
  qtk::Bitmap strip(size * kGlyphCount, size);
  qtk::Canvas& c = strip.GetCanvas();
  const std::pair<int, Draw> glyphs[] = {{0, Select}, {2, Pick},  {5, StraightLine}, {6, Arrow},
                                         {10, Text},  {13, Save}, {14, Print},       {15, Delete},
                                         {16, Open},  {17, New},  {18, Reload}};
  for (auto [index, draw] : glyphs) draw(Pad{c, index * size, dpi});
  // The tool bar's image list wants a plain DDB; copy the strip into one.
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, size * kGlyphCount, size);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, ddb);
  BitBlt(dc, 0, 0, size * kGlyphCount, size, strip.DC(), 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return qtk::BitmapObject(ddb);
}

}  // namespace quillora
