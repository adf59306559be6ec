// The capture sequence of "G O": hide, pause, Print Screen, pause, hand the picture to the editor.
#include "editor/editor.h"
#include "launcher/launcher.h"
#include "launcher/logic/capture_pause.h"
#include "toolkit/app.h"
#include "toolkit/screen_copy.h"

namespace quillora {

namespace {
constexpr uint32_t kPauseMs = 700;
}

// Keeps the interface alive while the system copies the screen. Once the program is told to
// end, the pause stops at once and nothing more of the sequence may run.
bool TScrivletForm0::CapturePause() {
  qtk::Application& app = qtk::Application::Get();
  const HWND self = Handle();
  return ::quillora::CapturePause(
      kPauseMs, tickSource, [&app] { app.ProcessMessages(); },
      [&app, self] { return app.Terminated() || !IsWindow(self); });
}

bool PrintScreenOpensSnipping() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Keyboard", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return false;
  DWORD value = 0, type = 0, size = sizeof(value);
  LONG rc = RegQueryValueExA(key, "PrintScreenKeyForSnippingEnabled", nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) && value == 1;
}

void TScrivletForm0::CheckWindowsFamily() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 148;
  if (!versionSource(&info)) return;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    wholeScreenScan = 1;
    activeWindowScan = 0;
  } else if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    wholeScreenScan = 0;
    activeWindowScan = 1;
  }
}

void TScrivletForm0::ScreenCapClick() {
  Hide();
  if (!CapturePause()) return;
  CheckWindowsFamily();
  try {
    const int mode = ModeSelect.ItemIndex();
    if (mode == 0 || mode == 1) {
      const BYTE scan = static_cast<BYTE>((mode == 0 ? wholeScreenScan : activeWindowScan) & 0xFF);
      // Where the key opens the system's snipping overlay instead of copying the screen, the copy
      // is made here, as the key would make it: scan code 1 the foreground window, else the screen.
      if (snippingSource())
        qtk::CopyScreenToClipboard(Handle(), scan == 1);
      else
        keySender(VK_SNAPSHOT, scan, 0, 0);
    }
    if (!CapturePause()) return;
    if (!editor) return;
    editor->TakeCapture(ModeSelect.ItemIndex());
  } catch (...) {
    // A capture that could not copy the screen or found no picture brings the launcher back, so
    // the program is never left running without a window; the error itself goes on to the
    // standard display.
    Show();
    throw;
  }
}

}  // namespace quillora
