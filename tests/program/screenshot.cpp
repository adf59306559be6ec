// Sets the shipped program up for the README's picture: a picture taken from the clipboard, a
// red line and a text label on it, the palette in view. Prints the editor's screen rectangle
// ("x y width height") for the caller, which takes the screenshot, then keeps the program open
// until the file named by its argument appears (at most 30 s).
#include <windows.h>

#include <cstdio>

#include "program/driver.h"

using namespace quillora::program;

namespace {

// A calm picture: a sky gradient, a window frame and a few blocks, drawn here.
void PutPictureOnClipboard(int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < height; ++y) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200 - y / 4, 220 - y / 5, 250));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, width, y);
    DeleteObject(SelectObject(dc, oldPen));
  }
  const struct {
    RECT r;
    COLORREF c;
  } blocks[] = {
      {{30, 40, 250, 200}, RGB(255, 255, 255)},  {{30, 40, 250, 60}, RGB(60, 90, 160)},
      {{50, 80, 230, 95}, RGB(200, 200, 200)},   {{50, 105, 190, 120}, RGB(200, 200, 200)},
      {{290, 60, 470, 180}, RGB(250, 240, 200)}, {{310, 80, 450, 160}, RGB(240, 180, 90)}};
  for (const auto& b : blocks) {
    HBRUSH brush = CreateSolidBrush(b.c);
    FillRect(dc, &b.r, brush);
    DeleteObject(brush);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 3000)) return;
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  PutPictureOnClipboard(500, 230);
  Program program;
  HWND launcher = program.WaitWindow("TScrivletForm0", 30000);
  if (!launcher || !PressButton(launcher, "クリップボード") || !PressButton(launcher, "G O"))
    return 1;
  HWND editor = program.WaitWindow("TScrivletForm1", 15000);
  if (!editor) return 1;
  Wait(800);
  HWND picture = Child(editor, "QtkPaintBox");
  if (!picture) return 1;
  Foreground(editor);
  Drag(picture, {120, 190}, {300, 130});  // the capture chose the line tool

  // The text tool from the picture's own menu (its fourth item), a point, the words, "確　定".
  Click(picture, 330, 200, true);
  Wait(400);
  for (int i = 0; i < 4; ++i) Keys(nullptr, {VK_DOWN});
  Keys(nullptr, {VK_RETURN});
  Click(picture, 310, 195);
  HWND entry = nullptr;
  EnumChildWindows(
      editor,
      [](HWND h, LPARAM lp) -> BOOL {
        if (ClassOf(h) != "Edit" || !IsWindowVisible(h) ||
            (GetWindowLongA(h, GWL_STYLE) & ES_READONLY))
          return TRUE;
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&entry));
  if (!entry) return 1;
  RECT r{};
  GetClientRect(entry, &r);
  Click(entry, r.right / 2, r.bottom / 2);
  TypeText(entry, L"ここが新しいボタン");
  PressButton(editor, "確　定");
  // The pointer off the picture, where a click would choose a new text point.
  if (HWND status = Child(editor, "msctls_statusbar32")) Click(status, 5, 5);
  Wait(800);

  // The part of the window on the screen: a window manager may have put its frame off the edges.
  RECT frame{}, window{};
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetWindowRect(editor, &window);
  IntersectRect(&frame, &window, &screen);
  std::printf("%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  std::fflush(stdout);
  WaitFor([&] { return GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES; }, 30000);
  return 0;
}
