#include "toolkit/caretless.h"

#include <commctrl.h>

namespace qtk {

namespace {

constexpr UINT_PTR kCaretlessId = 0x43415254;        // one subclass slot per control
const char* const kCaretlessProp = "qtk.caretless";  // marks a control already subclassed

// Lets the edit create and show its caret as usual, then hides it once more.
LRESULT CALLBACK CaretlessProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                               DWORD_PTR) noexcept {
  switch (msg) {
    case WM_SETFOCUS: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      HideCaret(hwnd);
      return r;
    }
    case WM_SETFONT: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      if (GetFocus() == hwnd) HideCaret(hwnd);
      return r;
    }
    case WM_NCDESTROY:
      RemovePropA(hwnd, kCaretlessProp);
      RemoveWindowSubclass(hwnd, CaretlessProc, kCaretlessId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void KeepCaretHidden(Window& control) {
  HWND hwnd = control.Handle();
  if (!hwnd) return;
  if (GetPropA(hwnd, kCaretlessProp)) return;
  if (!SetWindowSubclass(hwnd, CaretlessProc, kCaretlessId, 0)) return;
  SetPropA(hwnd, kCaretlessProp, reinterpret_cast<HANDLE>(1));
  // A display that holds the focus already has a caret showing.
  if (GetFocus() == hwnd) HideCaret(hwnd);
}

}  // namespace qtk
