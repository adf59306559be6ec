// The 16-colour palette grid.
#include <windowsx.h>

#include <algorithm>
#include <array>

#include "toolkit/controls.h"

namespace qtk {

namespace {

constexpr int kColumns = 8, kRows = 2, kCells = kColumns * kRows;

// Where the i-th of n cells begins along an extent. Painting and hit-testing both go through
// here, so a pixel belongs to the cell that is painted on it.
int CellEdge(int extent, int n, int i) { return extent * i / n; }

int CellIndexAt(int pos, int extent, int n) {
  pos = std::clamp(pos, 0, extent - 1);
  int i = 0;
  while (i + 1 < n && pos >= CellEdge(extent, n, i + 1)) ++i;
  return i;
}

RECT CellRect(const RECT& client, int index) {
  int col = index % kColumns, row = index / kColumns;
  return RECT{CellEdge(client.right, kColumns, col), CellEdge(client.bottom, kRows, row),
              CellEdge(client.right, kColumns, col + 1), CellEdge(client.bottom, kRows, row + 1)};
}

// Black on light colours, white on dark ones.
COLORREF ContrastOf(COLORREF c) {
  int luma = (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
  return luma >= 128 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

}  // namespace

Color ColorGrid::CellColor(int index) {
  static constexpr std::array<Color, kCells> colors{
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  return colors.at(static_cast<size_t>(std::clamp(index, 0, kCells - 1)));
}

void ColorGrid::Create(HWND parent, int x, int y, int width, int height) {
  CreateCustom("QtkColorGrid", WS_CHILD | WS_VISIBLE, 0, parent, x, y, width, height);
}

void ColorGrid::SetForegroundIndex(int index) {
  index = std::clamp(index, 0, kCells - 1);
  if (index == foreground_) return;
  foreground_ = index;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

Color ColorGrid::ForegroundColor() const { return CellColor(foreground_); }

// Points outside the grid count as the nearest cell, so a drag that leaves the grid stays on
// its edge.
int ColorGrid::CellAt(int x, int y) const {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  if (rc.right <= 0 || rc.bottom <= 0) return foreground_;
  return CellIndexAt(y, rc.bottom, kRows) * kColumns + CellIndexAt(x, rc.right, kColumns);
}

LRESULT ColorGrid::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the cells cover the whole window
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT rc{};
      GetClientRect(hwnd_, &rc);
      BrushObject frame(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
      for (int i = 0; i < kCells; ++i) {
        RECT cell = CellRect(rc, i);
        BrushObject fill(CreateSolidBrush(CellColor(i)));
        FillRect(dc, &cell, fill.get());
        FrameRect(dc, &cell, frame.get());
      }
      RECT fg = CellRect(rc, foreground_);
      FontObject font = CreateFontObject(ScaledFont());
      {
        SelectScope scope(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ContrastOf(CellColor(foreground_)));
        DrawTextA(dc, "FG", 2, &fg, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(hwnd_);
      tracking_ = true;
      SetForegroundIndex(CellAt(x, y));
      break;
    case WM_MOUSEMOVE:
      if (tracking_) SetForegroundIndex(CellAt(x, y));
      break;
    case WM_LBUTTONUP:
      if (tracking_) {
        tracking_ = false;
        ReleaseCapture();
        RECT rc{};
        GetClientRect(hwnd_, &rc);
        POINT pt{x, y};
        if (PtInRect(&rc, pt) && onClick) {
          auto run = onClick;
          run();
        }
      }
      break;
    case WM_CAPTURECHANGED:
      tracking_ = false;
      break;
    case WM_RBUTTONDOWN:
      // Held so that the release comes here wherever it lands: it clicks, and it is no release
      // on the window beneath (the picture would open its menu).
      if (!tracking_) SetCapture(hwnd_);
      break;
    case WM_RBUTTONUP:
      if (!tracking_ && GetCapture() == hwnd_) ReleaseCapture();
      if (onClick) {
        auto run = onClick;
        run();
      }
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace qtk
