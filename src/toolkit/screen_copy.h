#pragma once
#include <windows.h>

#include "toolkit/gdi.h"

namespace qtk {

// Puts a picture of the screen on the clipboard as a CF_BITMAP, as Windows does for the Print
// Screen key: the whole virtual screen, or only the foreground window's rectangle (clipped to
// the screen; the whole screen when no window is in the foreground). The copy is taken with the
// thread per-monitor DPI aware where the system offers that, so that scaled screens are copied
// at their real size. Throws Error when the clipboard cannot be written.
void CopyScreenToClipboard(HWND owner, bool activeWindowOnly);

// Answers the Print Screen key where the platform does not (Wine leaves the clipboard empty):
// a keyboard hook of the calling thread sees every press, real or simulated, and the copy is
// made from that thread's message handling, so the thread must keep handling messages. Scan
// code 1, or Alt held, copies the foreground window; anything else the whole screen. Does
// nothing on Windows itself. One instance at a time.
class PrintScreenStandIn {
 public:
  PrintScreenStandIn();
  ~PrintScreenStandIn();
  PrintScreenStandIn(const PrintScreenStandIn&) = delete;
  PrintScreenStandIn& operator=(const PrintScreenStandIn&) = delete;

  // True when the hook is in place.
  bool Active() const { return static_cast<bool>(hook_); }
  // The number of copies made since it was installed.
  int Copies() const;

 private:
  struct Unhook {
    void operator()(HHOOK h) const { UnhookWindowsHookEx(h); }
  };
  struct DestroyWindowHandle {
    void operator()(HWND h) const { DestroyWindow(h); }
  };
  Owned<HHOOK, Unhook> hook_;
  Owned<HWND, DestroyWindowHandle> window_;  // a message-only window of our own
};

}  // namespace qtk
