#include "program/driver.h"

#include <psapi.h>

#include <cstring>

#include "support/find_window.h"

namespace quillora::program {

using testing_support::FindDescendant;

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

void Wait(DWORD ms) { Sleep(ms); }

std::string ProgramPath() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string test = self;
  return test.substr(0, test.find_last_of('\\') + 1) + "Quillora.exe";
}

Program::Program(const std::string& args) {
  const std::string exe = ProgramPath();
  std::string command = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA si{sizeof si};
  started_ = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi_);
}

Program::~Program() {
  if (!started_) return;
  if (Running()) {
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

bool Program::Running() const {
  return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

long Program::WaitEnd(DWORD ms) const {
  if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

HWND Program::Window(const char* className) const {
  struct Search {
    DWORD pid;
    const char* cls;
    HWND found;
  } search{pi_.dwProcessId, className, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != s->pid || ClassOf(h) != s->cls || !IsWindowVisible(h)) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::WaitWindow(const char* className, DWORD ms) const {
  HWND h = nullptr;
  WaitFor([&] { return (h = Window(className)) != nullptr || !Running(); }, ms);
  if (h) Settle(h);
  return h;
}

void Settle(HWND window) {
  // A window manager places and sizes a window a moment after it is shown: wait until it stays.
  RECT last{}, now{};
  GetWindowRect(window, &last);
  for (int stable = 0, round = 0; stable < 3 && round < 40; ++round) {
    Sleep(50);
    GetWindowRect(window, &now);
    stable = EqualRect(&now, &last) ? stable + 1 : 0;
    last = now;
  }
}

size_t Program::ResidentBytes() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(pi_.hProcess, &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

HWND Program::OpenEditor() {
  launcher = WaitWindow("TScrivletForm0", 30000);
  if (!launcher) return nullptr;
  if (!PressButton(launcher, "エディタの起動のみ") || !PressButton(launcher, "G O")) return nullptr;
  editor = WaitWindow("TScrivletForm1", 15000);
  // The capture ends with the editor shown; let it finish before the test goes on.
  if (editor) WaitFor([&] { return !IsWindowVisible(launcher); }, 5000);
  Wait(300);
  return editor;
}

std::string Text(HWND hwnd) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string ClassOf(HWND hwnd) {
  char cls[128] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return cls;
}

HWND Child(HWND parent, const char* className, const char* caption) {
  return FindDescendant(parent, [&](HWND h) {
    return IsWindowVisible(h) && _stricmp(ClassOf(h).c_str(), className) == 0 &&
           (!caption || Text(h) == caption);
  });
}

Box ReadBox(HWND box) {
  Box read;
  read.hwnd = box;
  read.title = Text(box);
  EnumChildWindows(
      box,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* r = reinterpret_cast<Box*>(lp);
        const std::string cls = ClassOf(h), text = Text(h);
        if (_stricmp(cls.c_str(), "Button") == 0 && IsWindowVisible(h)) r->buttons.push_back(text);
        if (_stricmp(cls.c_str(), "Static") == 0 && text.size() > r->text.size()) r->text = text;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&read));
  return read;
}

Box WaitBox(const Program& program, DWORD ms) {
  HWND h = program.WaitWindow("#32770", ms);
  // The box is shown before its controls have their texts and before it is on the screen.
  if (h) WaitFor([&] { return !ReadBox(h).buttons.empty(); }, 2000);
  Wait(300);
  return h ? ReadBox(h) : Box{};
}

bool Answer(const Box& box, int id) {
  HWND button = GetDlgItem(box.hwnd, id);
  if (!button) return false;
  return ClickUntilGone(box.hwnd, button);
}

bool Foreground(HWND target) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    SetForegroundWindow(target);
    if (WaitFor([&] { return GetForegroundWindow() == target; }, 1000)) return true;
  }
  return false;
}

namespace {

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MoveTo(POINT screen) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(screen.x, 65535, w - 1);
  in.mi.dy = MulDiv(screen.y, 65535, h - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  Send({in});
  POINT at{};
  if (WaitFor([&] { return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y; }, 300))
    return;
  // Rounding of the absolute scale: finish with a small relative step.
  in.mi.dx = screen.x - at.x;
  in.mi.dy = screen.y - at.y;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  Send({in});
  WaitFor([&] { return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y; }, 300);
  // The program must see the pointer arrive before a press: a press at once can be lost.
  Wait(80);
}

void Button(bool right, bool up) {
  Wait(40);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = right ? (up ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_RIGHTDOWN)
                        : (up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
  Send({in});
}

}  // namespace

void Keys(HWND target, std::initializer_list<WORD> chord) {
  if (target) Foreground(target);
  std::vector<INPUT> inputs;
  for (WORD vk : chord) inputs.push_back(Key(vk, false));
  for (auto it = chord.end(); it != chord.begin();) inputs.push_back(Key(*--it, true));
  Send(inputs);
  Wait(150);
}

void TypeText(HWND target, const std::wstring& text) {
  if (target) Foreground(target);
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  }
  Send(inputs);
  Wait(150);
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
  POINT pt{x, y};
  ClientToScreen(hwnd, &pt);
  return pt;
}

void Click(HWND target, int x, int y, bool right) {
  MoveTo(ClientToScreenPoint(target, x, y));
  Button(right, false);
  Wait(60);
  Button(right, true);
  Wait(100);
}

void Drag(HWND target, POINT from, POINT to) {
  MoveTo(ClientToScreenPoint(target, from.x, from.y));
  Button(false, false);
  for (int step = 1; step <= 4; ++step)
    MoveTo(ClientToScreenPoint(target, from.x + (to.x - from.x) * step / 4,
                               from.y + (to.y - from.y) * step / 4));
  Button(false, true);
  Wait(100);
}

void ClickButton(HWND button) {
  RECT r{};
  GetClientRect(button, &r);
  Foreground(GetAncestor(button, GA_ROOT));
  Click(button, r.right / 2, r.bottom / 2);
}

bool ClickUntilGone(HWND window, HWND button) {
  // A box can be shown to Windows a moment before it is on the screen: click again if needed.
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickButton(button);
    if (WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 3000)) return true;
  }
  return false;
}

bool PressButton(HWND window, const char* caption) {
  HWND button = Child(window, "Button", caption);
  if (!button) return false;
  ClickButton(button);
  return true;
}

bool MenuCommand(HWND window, int menuIndex, WORD itemKey) {
  Keys(window, {VK_F10});
  for (int i = 0; i < menuIndex; ++i) Keys(nullptr, {VK_RIGHT});
  Keys(nullptr, {VK_DOWN});
  Keys(nullptr, {itemKey});
  return true;
}

HWND WaitFileDialog(const Program& program, DWORD ms) {
  HWND h = nullptr;
  WaitFor(
      [&] {
        h = program.Window("#32770");
        return h && (GetDlgItem(h, 0x47C) || GetDlgItem(h, 0x480));
      },
      ms);
  if (!h || !(GetDlgItem(h, 0x47C) || GetDlgItem(h, 0x480))) return nullptr;
  Wait(500);  // the dialog fills its folder view after it is shown
  return h;
}

bool FillFileDialog(HWND dialog, const std::string& path, int typeIndex) {
  if (typeIndex >= 0) {
    HWND types = GetDlgItem(dialog, 0x470);
    if (!types) return false;
    SendMessageA(types, CB_SETCURSEL, typeIndex, 0);
    // What the list tells the dialog when the user picks an entry.
    for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(types));
  }
  // The name field: an edit inside the name box (a combo box), or an edit of its own.
  HWND name = GetDlgItem(dialog, 0x480);
  if (HWND box = GetDlgItem(dialog, 0x47C); !name && box) name = Child(box, "Edit");
  if (!name) return false;
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  HWND ok = GetDlgItem(dialog, IDOK);
  if (!ok) return false;
  return ClickUntilGone(dialog, ok);
}

bool CancelDialog(HWND dialog) {
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  return cancel && ClickUntilGone(dialog, cancel);
}

uint32_t ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

uint32_t ClientPixel(HWND hwnd, int x, int y) {
  const POINT p = ClientToScreenPoint(hwnd, x, y);
  return ScreenPixel(p.x, p.y);
}

namespace {

bool OpenClipboardRetrying() {
  return WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 3000);
}

}  // namespace

void ClipboardText(const char* text) {
  if (!OpenClipboardRetrying()) return;
  EmptyClipboard();
  if (text) {
    const size_t size = std::strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
  }
  CloseClipboard();
}

void ClipboardBitmap(int width, int height, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  if (!OpenClipboardRetrying()) {
    DeleteObject(bitmap);
    return;
  }
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);  // the clipboard owns it now
  CloseClipboard();
}

}  // namespace quillora::program
