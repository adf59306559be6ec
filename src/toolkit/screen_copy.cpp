#include "toolkit/screen_copy.h"

#include "toolkit/clipboard.h"
#include "toolkit/gdi.h"
#include "toolkit/platform.h"

namespace qtk {

namespace {

using SetThreadDpiContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

// Makes the calling thread per-monitor DPI aware for a scope, where the system has the call
// (Windows 10 1607 and later); older systems and Wine without it copy as they are.
class PerMonitorDpiScope {
 public:
  PerMonitorDpiScope() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
    set_ = reinterpret_cast<SetThreadDpiContext>(reinterpret_cast<void*>(proc));
    if (!set_) return;
    old_ = set_(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (!old_) old_ = set_(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  }
  ~PerMonitorDpiScope() {
    if (set_ && old_) set_(old_);
  }
  PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
  PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

 private:
  SetThreadDpiContext set_ = nullptr;
  DPI_AWARENESS_CONTEXT old_ = nullptr;
};

constexpr UINT kCopyMessage = WM_APP + 1;
const char* const kWindowClass = "QtkPrintScreenStandIn";
HWND g_window = nullptr;
int g_copies = 0;

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg != kCopyMessage) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    CopyScreenToClipboard(hwnd, wp != 0);
    ++g_copies;
  } catch (...) {
    // As with the system's own copy, a busy clipboard simply gets no picture.
  }
  return 0;
}

// Only notes the press: a hook must return quickly, so the copy is made from a posted message.
LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp) noexcept {
  if (code == HC_ACTION && (wp == WM_KEYDOWN || wp == WM_SYSKEYDOWN) && g_window) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    if (key->vkCode == VK_SNAPSHOT) {
      // Scan code 1 is the simulated window copy; Alt+Print Screen sends SysRq (0x54).
      const bool window =
          key->scanCode == 1 || key->scanCode == 0x54 || (key->flags & LLKHF_ALTDOWN) != 0;
      PostMessageA(g_window, kCopyMessage, window ? 1 : 0, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

void CopyScreenToClipboard(HWND owner, bool activeWindowOnly) {
  PerMonitorDpiScope dpi;
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT area = screen;
  if (activeWindowOnly) {
    RECT window{};
    HWND foreground = GetForegroundWindow();
    if (foreground && GetWindowRect(foreground, &window) && !IntersectRect(&area, &window, &screen))
      return;
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  WindowDC screenDC(nullptr);
  MemoryDC memory(CreateCompatibleDC(screenDC.get()));
  BitmapObject picture(CreateCompatibleBitmap(screenDC.get(), width, height));
  if (!memory.get() || !picture) return;
  {
    SelectScope select(memory.get(), picture.get());
    BitBlt(memory.get(), 0, 0, width, height, screenDC.get(), area.left, area.top,
           SRCCOPY | CAPTUREBLT);
  }
  PutBitmapOnClipboard(owner, picture.get());
}

PrintScreenStandIn::PrintScreenStandIn() {
  if (!RunningUnderWine() || g_window) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{sizeof(wc)};
  wc.lpfnWndProc = StandInProc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  RegisterClassExA(&wc);  // fails harmlessly when already registered
  window_.reset(CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                nullptr));
  if (!window_) return;
  hook_.reset(SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0));
  if (!hook_) {
    window_.reset();
    return;
  }
  g_window = window_.get();
  g_copies = 0;
}

PrintScreenStandIn::~PrintScreenStandIn() {
  hook_.reset();
  if (g_window == window_.get()) g_window = nullptr;
  window_.reset();
}

int PrintScreenStandIn::Copies() const { return g_copies; }

}  // namespace qtk
