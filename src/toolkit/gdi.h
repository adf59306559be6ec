#pragma once
#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/color.h"

namespace qtk {

// Owns one handle of kind H, given back by Release (a function object); move-only.
template <class H, class Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(H h = nullptr) {
    if (h_) Release{}(h_);
    h_ = h;
  }
  H release() { return std::exchange(h_, nullptr); }

 private:
  H h_ = nullptr;
};

struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct CloseKernelHandle {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FreeGlobalBlock {
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};
struct DeleteCreatedDC {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct UnmapView {
  void operator()(void* p) const { UnmapViewOfFile(p); }
};
struct DestroyIconHandle {
  void operator()(HICON h) const { DestroyIcon(h); }
};

// One GDI object, deleted with DeleteObject.
template <class H>
using GdiObject = Owned<H, DeleteGdiObject>;
// A kernel object (process, section, event), closed with CloseHandle.
using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
// A movable global block, freed with GlobalFree.
using GlobalBlock = Owned<HGLOBAL, FreeGlobalBlock>;
// A DC of our own making (CreateCompatibleDC, CreateDC), deleted with DeleteDC.
using CreatedDC = Owned<HDC, DeleteCreatedDC>;
using MemoryDC = CreatedDC;
// A view of a file mapping, from MapViewOfFile.
using MappedView = Owned<void*, UnmapView>;

using PenObject = GdiObject<HPEN>;
using BrushObject = GdiObject<HBRUSH>;
using FontObject = GdiObject<HFONT>;
using BitmapObject = GdiObject<HBITMAP>;
using PaletteObject = GdiObject<HPALETTE>;

// Selects an object into a DC for the scope and puts back what it replaced.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectScope() { SelectObject(dc_, old_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An icon, destroyed with DestroyIcon unless it was loaded shared.
class IconHandle {
 public:
  IconHandle() = default;
  IconHandle(HICON h, bool owned) : shared_(owned ? nullptr : h), owned_(owned ? h : nullptr) {}
  HICON get() const { return owned_ ? owned_.get() : shared_; }
  void reset() {
    shared_ = nullptr;
    owned_.reset();
  }

 private:
  HICON shared_ = nullptr;
  Owned<HICON, DestroyIconHandle> owned_;
};

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font description with its text colour, copied by value.
struct FontSpec {
  std::string name = "ＭＳ Ｐゴシック";
  int height = -12;  // negative: character height in pixels
  unsigned style = 0;
  int charset = SHIFTJIS_CHARSET;
  Color color = clWindowText;

  bool operator==(const FontSpec&) const = default;
  LOGFONTA ToLogFont() const;
  static FontSpec FromLogFont(const LOGFONTA& lf, Color color);
};

// Creates the GDI font of a description (without its colour).
FontObject CreateFontObject(const FontSpec& spec);

// The code page of the text that the canvas draws and measures, whatever the character set of
// its font.
constexpr unsigned kTextCodePage = 932;

// Text of kTextCodePage as UTF-16. Drawn and measured through the wide functions, the glyphs are
// those of the text itself; the narrow ones would read its bytes in the code page of the font's
// character set, so Japanese text in a Western font would turn into Western letters.
std::wstring Widen(std::string_view text);

enum class PenMode { Copy, Not };
enum class BrushStyle { Solid, Clear };

// A drawing surface over a borrowed DC: pen, brush and font are properties that are turned into
// GDI objects when something is drawn, and stay set until changed.
class Canvas {
 public:
  Canvas() = default;
  explicit Canvas(HDC dc) : dc_(dc) {}
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas();

  void Attach(HDC dc);
  HDC Handle() const { return dc_; }

  // Pen.
  void SetPenColor(Color c) { pen_.color = c; }
  void SetPenWidth(int w) { pen_.width = w; }
  void SetPenMode(PenMode m) { pen_.mode = m; }
  Color PenColor() const { return pen_.color; }
  int PenWidth() const { return pen_.width; }
  PenMode GetPenMode() const { return pen_.mode; }
  // Brush.
  void SetBrushColor(Color c) { brush_.color = c; }
  void SetBrushStyle(BrushStyle s) { brush_.style = s; }
  Color BrushColor() const { return brush_.color; }
  BrushStyle GetBrushStyle() const { return brush_.style; }
  // Font.
  void SetFont(const FontSpec& f) { font_ = f; }
  const FontSpec& Font() const { return font_; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polygon(std::span<const POINT> points);
  void Rectangle(int left, int top, int right,
                 int bottom);                         // outline and fill as pen and brush say
  void FillRect(const RECT& r);                       // with the brush
  void PutText(int x, int y, std::string_view text);  // top-left aligned, one line
  SIZE TextExtent(std::string_view text);             // the cells that PutText paints
  // The size that text measuring with DT_CALCRECT alone gives: line breaks start new lines and
  // "&" is a mnemonic prefix, unlike PutText.
  SIZE CalcRectSize(std::string_view text);
  Color Pixel(int x, int y);
  void Draw(int x, int y, HDC source, int width, int height);  // plain copy

  // Realised objects, for callers that draw with GDI themselves.
  void RealizeFont();
  void RealizePen();
  void RealizeBrush();

 private:
  struct PenState {
    Color color = clBlack;
    int width = 1;
    PenMode mode = PenMode::Copy;
    bool operator==(const PenState&) const = default;
  };
  struct BrushState {
    Color color = clWhite;
    BrushStyle style = BrushStyle::Solid;
    bool operator==(const BrushState&) const = default;
  };

  HDC dc_ = nullptr;
  PenState pen_, penMade_;
  BrushState brush_, brushMade_;
  FontSpec font_, fontMade_;
  PenObject penObj_;
  BrushObject brushObj_;
  // Fonts made recently, newest last: labels of a few styles reuse them on every pass.
  struct CachedFont {
    FontSpec spec;
    FontObject font;
  };
  std::vector<CachedFont> fonts_;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
  bool penValid_ = false, brushValid_ = false, fontValid_ = false;
  uint32_t penResolved_ = 0, brushResolved_ = 0;
};

}  // namespace qtk
