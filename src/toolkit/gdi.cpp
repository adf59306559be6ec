#include "toolkit/gdi.h"

#include <algorithm>

#include "toolkit/error.h"

namespace qtk {

uint32_t ResolveColor(Color c) {
  if (IsSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFF;
}

std::string SystemMessage(unsigned long code) {
  char* buf = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
  std::string text = n && buf ? std::string(buf, n) : "error " + std::to_string(code);
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

void ThrowLastError(const std::string& what) {
  DWORD code = GetLastError();
  throw Error(what + SystemMessage(code));
}

void ThrowCallFailed(const std::string& what, const char* call) {
  const DWORD code = GetLastError();
  throw Error(what + "\n" + call + (code ? ": " + SystemMessage(code) : std::string()));
}

LOGFONTA FontSpec::ToLogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style & fsItalic) ? 1 : 0;
  lf.lfUnderline = (style & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (style & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(charset);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  size_t n = std::min(name.size(), sizeof(lf.lfFaceName) - 1);
  std::copy_n(name.data(), n, lf.lfFaceName);
  return lf;
}

FontSpec FontSpec::FromLogFont(const LOGFONTA& lf, Color color) {
  FontSpec f;
  f.name = lf.lfFaceName;
  f.height = lf.lfHeight;
  f.style = (lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
            (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0);
  f.charset = lf.lfCharSet;
  f.color = color;
  return f;
}

FontObject CreateFontObject(const FontSpec& spec) {
  LOGFONTA lf = spec.ToLogFont();
  return FontObject(CreateFontIndirectA(&lf));
}

std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<size_t>(size), L'\0');  // never more UTF-16 units than bytes
  const int n = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, wide.data(), size);
  wide.resize(static_cast<size_t>(std::max(n, 0)));
  return wide;
}

Canvas::~Canvas() { Attach(nullptr); }

void Canvas::Attach(HDC dc) {
  if (dc_) {
    if (oldPen_) SelectObject(dc_, oldPen_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    if (oldFont_) SelectObject(dc_, oldFont_);
  }
  oldPen_ = oldBrush_ = oldFont_ = nullptr;
  penValid_ = brushValid_ = fontValid_ = false;
  dc_ = dc;
}

// Pens and brushes are made again only when their settings or the resolved colour changed, so a
// composition pass over hundreds of lines of one style creates one pen.
void Canvas::RealizePen() {
  uint32_t rgb = ResolveColor(pen_.color);
  if (!penValid_ || !(pen_ == penMade_) || rgb != penResolved_) {
    PenObject pen(CreatePen(PS_SOLID, std::max(pen_.width, 0), rgb));
    HGDIOBJ prev = SelectObject(dc_, pen.get());
    if (!oldPen_) oldPen_ = prev;
    penObj_ = std::move(pen);
    penMade_ = pen_;
    penResolved_ = rgb;
    penValid_ = true;
  }
  SetROP2(dc_, pen_.mode == PenMode::Not ? R2_NOT : R2_COPYPEN);
}

void Canvas::RealizeBrush() {
  uint32_t rgb = ResolveColor(brush_.color);
  if (!brushValid_ || !(brush_ == brushMade_) || rgb != brushResolved_) {
    HGDIOBJ obj;
    BrushObject made;
    if (brush_.style == BrushStyle::Clear) {
      obj = GetStockObject(NULL_BRUSH);
    } else {
      made.reset(CreateSolidBrush(rgb));
      obj = made.get();
    }
    HGDIOBJ prev = SelectObject(dc_, obj);
    if (!oldBrush_) oldBrush_ = prev;
    brushObj_ = std::move(made);
    brushMade_ = brush_;
    brushResolved_ = rgb;
    brushValid_ = true;
  }
}

void Canvas::RealizeFont() {
  auto same = [](const FontSpec& a, const FontSpec& b) {
    return a.name == b.name && a.height == b.height && a.style == b.style && a.charset == b.charset;
  };
  if (!fontValid_ || !same(font_, fontMade_)) {
    auto it = std::find_if(fonts_.begin(), fonts_.end(),
                           [&](const CachedFont& c) { return same(c.spec, font_); });
    if (it == fonts_.end()) {
      constexpr size_t kCachedFonts = 8;
      if (fonts_.size() == kCachedFonts) {
        // The oldest may still be selected: put the current font in first.
        if (fontValid_ && same(fonts_.front().spec, fontMade_) && oldFont_)
          SelectObject(dc_, oldFont_);
        fontValid_ = false;
        fonts_.erase(fonts_.begin());
      }
      fonts_.push_back(CachedFont{font_, CreateFontObject(font_)});
      it = fonts_.end() - 1;
    }
    HGDIOBJ prev = SelectObject(dc_, it->font.get());
    if (!oldFont_) oldFont_ = prev;
    fontMade_ = font_;
    fontValid_ = true;
  }
  SetTextColor(dc_, ResolveColor(font_.color));
}

void Canvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void Canvas::LineTo(int x, int y) {
  RealizePen();
  ::LineTo(dc_, x, y);
}

void Canvas::Polygon(std::span<const POINT> points) {
  RealizePen();
  RealizeBrush();
  ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
  RealizePen();
  RealizeBrush();
  ::Rectangle(dc_, left, top, right, bottom);
}

void Canvas::FillRect(const RECT& r) {
  RealizeBrush();
  ::FillRect(dc_, &r, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)));
}

// Text output paints its background with the DC's background colour, so no brush is made.
void Canvas::PutText(int x, int y, std::string_view text) {
  RealizeFont();
  if (brush_.style == BrushStyle::Clear) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ResolveColor(brush_.color));
  }
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  // Text ignores the mix mode, but Wine draws underline and strike-out as polygons under it: a
  // pen left inverting by the drawing before must not invert them.
  const int mix = SetROP2(dc_, R2_COPYPEN);
  const std::wstring wide = Widen(text);
  ExtTextOutW(dc_, x, y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), nullptr);
  SetROP2(dc_, mix);
}

SIZE Canvas::TextExtent(std::string_view text) {
  RealizeFont();
  const std::wstring wide = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc_, wide.data(), static_cast<int>(wide.size()), &size);
  return size;
}

SIZE Canvas::CalcRectSize(std::string_view text) {
  RealizeFont();
  std::wstring wide = Widen(text);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc_, wide.data(), static_cast<int>(wide.size()), &r, DT_CALCRECT);
  return {r.right - r.left, r.bottom - r.top};
}

Color Canvas::Pixel(int x, int y) {
  COLORREF c = GetPixel(dc_, x, y);
  return c == CLR_INVALID ? clBlack : c;
}

void Canvas::Draw(int x, int y, HDC source, int width, int height) {
  BitBlt(dc_, x, y, width, height, source, 0, 0, SRCCOPY);
}

}  // namespace qtk
