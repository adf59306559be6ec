#pragma once
// Drives the shipped Quillora.exe from outside, as a user would: its own process, real input,
// real boxes and dialogs answered, results read from captions, files and the screen.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace quillora::program {

// Runs `done` until it holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& done, DWORD ms);
void Wait(DWORD ms);

// Returns when the window has kept its place and size for a moment (a window manager moves it).
void Settle(HWND window);

// Quillora.exe beside the test program.
std::string ProgramPath();

// Quillora.exe beside the test program, started with `args`; ended at the end if still running.
class Program {
 public:
  explicit Program(const std::string& args = "");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  bool Running() const;
  // Waits for the process to end; its exit code, or -1 when it did not end in time.
  long WaitEnd(DWORD ms) const;

  // A visible top-level window of the program of that class ("#32770" for boxes and dialogs).
  HWND Window(const char* className) const;
  HWND WaitWindow(const char* className, DWORD ms = 10000) const;
  // Resident memory of the process in bytes.
  size_t ResidentBytes() const;
  HANDLE Process() const { return pi_.hProcess; }

  // Launcher, mode "エディタの起動のみ", "G O": the shown editor, or null.
  HWND OpenEditor();
  HWND launcher = nullptr;
  HWND editor = nullptr;

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

std::string Text(HWND hwnd);
std::string ClassOf(HWND hwnd);
// The first child (any depth) of that class, and caption when given, that is visible.
HWND Child(HWND parent, const char* className, const char* caption = nullptr);

// A message box as the user sees it.
struct Box {
  HWND hwnd = nullptr;
  std::string title, text;
  std::vector<std::string> buttons;
};
Box ReadBox(HWND box);
// Waits for a message box of the program and reads it (hwnd null when none came).
Box WaitBox(const Program& program, DWORD ms = 10000);
// Presses the button of that id (IDOK, IDYES, ...) as a click; true when the box went away.
bool Answer(const Box& box, int id);

// Real keyboard input to the foreground window, which is made `target` first.
bool Foreground(HWND target);
void Keys(HWND target, std::initializer_list<WORD> chord);  // held in order, released in reverse
void TypeText(HWND target, const std::wstring& text);       // Unicode key events
// Real pointer input at client positions of `target`.
void Click(HWND target, int x, int y, bool right = false);
void Drag(HWND target, POINT from, POINT to);
// A command of the window's menu bar from the keyboard: F10, the menu by its position, the item
// by its access key.
bool MenuCommand(HWND window, int menuIndex, WORD itemKey);
// A real click in the middle of a button; a button child of `window` found by its caption.
void ClickButton(HWND button);
// Clicks `button` until `window` has gone (at most three times); whether it went.
bool ClickUntilGone(HWND window, HWND button);
bool PressButton(HWND window, const char* caption);

// The open or save dialog of the program: name typed, type chosen (index from 0), OK pressed.
HWND WaitFileDialog(const Program& program, DWORD ms = 10000);
bool FillFileDialog(HWND dialog, const std::string& path, int typeIndex = -1);
bool CancelDialog(HWND dialog);

// Screen pixel as 0x00BBGGRR, at a screen position or at a client position of `hwnd`.
uint32_t ScreenPixel(int x, int y);
uint32_t ClientPixel(HWND hwnd, int x, int y);
POINT ClientToScreenPoint(HWND hwnd, int x, int y);
// The editor's red pen as it comes back from the screen or through JPEG (0x00BBGGRR).
inline bool IsRed(uint32_t c) {
  return (c & 0xFF) > 180 && (c >> 8 & 0xFF) < 90 && (c >> 16 & 0xFF) < 90;
}

// Clipboard contents put by the test.
void ClipboardText(const char* text);
void ClipboardBitmap(int width, int height, COLORREF colour);

}  // namespace quillora::program
