// Containers and surfaces of ours: Panel, PaintBox and ScrollBox.
#include <windowsx.h>

#include <algorithm>

#include "toolkit/controls.h"

namespace qtk {

namespace {

void FillBackground(HWND hwnd, HDC dc, Color color) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  BrushObject brush(CreateSolidBrush(ResolveColor(color)));
  FillRect(dc, &rc, brush.get());
}

MouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return MouseButton::Right;
    default:
      return MouseButton::Middle;
  }
}

constexpr int kLineStep = 16;
constexpr int kWheelLines = 3;

}  // namespace

// --- Panel ---

void Panel::Create(HWND parent, int x, int y, int width, int height, bool border) {
  CreateCustom("QtkPanel", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (border ? WS_BORDER : 0), 0,
               parent, x, y, width, height);
}

LRESULT Panel::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    FillBackground(hwnd_, reinterpret_cast<HDC>(wp), GetColor());
    return 1;
  }
  return Window::OnMessage(msg, wp, lp);
}

// --- PaintBox ---

void PaintBox::Create(HWND parent, int x, int y, int width, int height) {
  CreateCustom("QtkPaintBox", WS_CHILD | WS_VISIBLE, 0, parent, x, y, width, height, "", CS_OWNDC);
  canvas_.Attach(GetDC(hwnd_));
}

void PaintBox::OnDestroyed() { canvas_.Attach(nullptr); }

LRESULT PaintBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // onPaint covers the whole box
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      BeginPaint(hwnd_, &ps);
      struct EndGuard {
        HWND hwnd;
        PAINTSTRUCT* ps;
        ~EndGuard() { EndPaint(hwnd, ps); }
      } guard{hwnd_, &ps};
      if (onPaint) onPaint(ps.hdc, ps.rcPaint);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (msg == WM_LBUTTONDOWN) SetCapture(hwnd_);
      if (onPress) onPress(ButtonOf(msg), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_MOUSEMOVE:
      if (onMove) onMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // Capture is given back even when the handler throws.
      struct CaptureGuard {
        bool release;
        ~CaptureGuard() {
          if (release) ReleaseCapture();
        }
      } guard{msg == WM_LBUTTONUP && GetCapture() == hwnd_};
      if (onRelease) onRelease(ButtonOf(msg), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    }
    default:
      break;
  }
  // Right releases go on to become WM_CONTEXTMENU, which shows the popup menu.
  return Window::OnMessage(msg, wp, lp);
}

// --- ScrollBox ---

void ScrollBox::Create(HWND parent, int x, int y, int width, int height, Color background) {
  CreateCustom("QtkScrollBox", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0,
               parent, x, y, width, height);
  SetColor(background);
  UpdateBars();
}

void ScrollBox::SetContentSize(int width, int height) {
  contentW_ = std::max(0, width);
  contentH_ = std::max(0, height);
  UpdateBars();
}

// A bar is needed when the content does not fit the room that the other bar leaves; showing a
// bar changes the client area, which comes back here through WM_SIZE with the same answer.
void ScrollBox::UpdateBars() {
  if (!hwnd_) return;
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  int cxBar = GetSystemMetrics(SM_CXVSCROLL), cyBar = GetSystemMetrics(SM_CYHSCROLL);
  int fullW = rc.right + ((style & WS_VSCROLL) ? cxBar : 0);
  int fullH = rc.bottom + ((style & WS_HSCROLL) ? cyBar : 0);
  int w = fullW, h = fullH;
  bool needH = contentW_ > w;
  if (needH) h -= cyBar;
  bool needV = contentH_ > h;
  if (needV) {
    w -= cxBar;
    if (!needH && contentW_ > w) {
      needH = true;
      h -= cyBar;
    }
  }
  w = std::max(0, w);
  h = std::max(0, h);
  if (((style & WS_HSCROLL) != 0) != needH) ShowScrollBar(hwnd_, SB_HORZ, needH);
  if (((style & WS_VSCROLL) != 0) != needV) ShowScrollBar(hwnd_, SB_VERT, needV);

  SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE};
  si.nMin = 0;
  si.nMax = needH ? contentW_ - 1 : 0;
  si.nPage = needH ? static_cast<UINT>(w) : 0;
  SetScrollInfo(hwnd_, SB_HORZ, &si, needH);
  si.nMax = needV ? contentH_ - 1 : 0;
  si.nPage = needV ? static_cast<UINT>(h) : 0;
  SetScrollInfo(hwnd_, SB_VERT, &si, needV);
  ScrollTo(scrollX_, scrollY_);
}

void ScrollBox::ScrollTo(int x, int y) {
  if (!hwnd_) return;
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  x = std::clamp(x, 0, std::max(0, contentW_ - static_cast<int>(rc.right)));
  y = std::clamp(y, 0, std::max(0, contentH_ - static_cast<int>(rc.bottom)));
  int dx = scrollX_ - x, dy = scrollY_ - y;
  scrollX_ = x;
  scrollY_ = y;
  SCROLLINFO si{sizeof(si), SIF_POS};
  si.nPos = x;
  if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_HSCROLL) SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
  si.nPos = y;
  if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VSCROLL) SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
  if (dx || dy) {
    ScrollWindowEx(hwnd_, dx, dy, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    // Paint now, so that the picture follows a dragged thumb.
    UpdateWindow(hwnd_);
  }
}

void ScrollBox::Scroll(int bar, WORD request) {
  SCROLLINFO si{sizeof(si), SIF_ALL};
  GetScrollInfo(hwnd_, bar, &si);
  bool horz = bar == SB_HORZ;
  int pos = horz ? scrollX_ : scrollY_;
  int page = std::max(1, static_cast<int>(si.nPage));
  switch (request) {
    case SB_LINEUP:
      pos -= kLineStep;
      break;
    case SB_LINEDOWN:
      pos += kLineStep;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = horz ? contentW_ : contentH_;
      break;
    default:
      return;
  }
  if (horz)
    ScrollTo(pos, scrollY_);
  else
    ScrollTo(scrollX_, pos);
}

LRESULT ScrollBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      FillBackground(hwnd_, reinterpret_cast<HDC>(wp), GetColor());
      return 1;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lp) break;  // from a child scroll bar control, not ours
      Scroll(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wp));
      return 0;
    case WM_MOUSEWHEEL: {
      int lines = -GET_WHEEL_DELTA_WPARAM(wp) * kWheelLines / WHEEL_DELTA;
      if (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT)
        ScrollTo(scrollX_ + lines * kLineStep, scrollY_);
      else
        ScrollTo(scrollX_, scrollY_ + lines * kLineStep);
      return 0;
    }
    case WM_SIZE:
      UpdateBars();
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace qtk
