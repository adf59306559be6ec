#pragma once
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "toolkit/action.h"
#include "toolkit/controls.h"
#include "toolkit/gdi.h"
#include "toolkit/window.h"

namespace quillora {

class TScrivletForm1;

// The callback message of the notification-area icon.
constexpr UINT kTrayMessage = WM_USER + 1;

// The launcher: the program's main window, with the capture modes, "G O" and "N G", and the
// notification-area icon. Methods are split over files by concern.
class TScrivletForm0 : public qtk::Form {
 public:
  TScrivletForm0();
  ~TScrivletForm0() override;

  // Creates the window and its controls and runs FormCreate. `editor` receives the captures.
  void Create(TScrivletForm1* editor);

  // --- window (launcher.cpp) ---
  void FormCreate();
  void ActCancelExecute();

  // --- capture (capture.cpp) ---
  void ScreenCapClick();
  void CheckWindowsFamily();
  // One capture pause; false when the program was told to end meanwhile.
  bool CapturePause();

  // --- notification-area icon (tray.cpp) ---
  void ActTrayInExecute();
  void ActTrayDelExecute();
  void WMTrayNotify(WPARAM id, LPARAM mouseMessage);
  void FormDestroy();

  // The platform services of the capture, replaceable by tests.
  std::function<uint32_t()> tickSource;
  std::function<void(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra)> keySender;
  // Whether the Print Screen key opens the snipping overlay instead of copying the screen, read
  // at every capture (PrintScreenOpensSnipping by default).
  std::function<bool()> snippingSource;
  // The version query of CheckWindowsFamily (GetVersionExA by default).
  std::function<BOOL(OSVERSIONINFOA*)> versionSource;
  // The shell's icon call (Shell_NotifyIconA by default).
  std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)> notifyIcon;

  // --- state ---
  int32_t wholeScreenScan = 0;
  int32_t activeWindowScan = 0;
  NOTIFYICONDATAA iconRecord{};
  TScrivletForm1* editor = nullptr;

  // --- commands and controls ---
  qtk::Action ActTrayIn, ActTrayDel, ActCancel;
  std::unique_ptr<qtk::Menu> PopupMenu1, PopupMenu2;
  qtk::Button ScreenCap, NG;
  qtk::RadioGroup ModeSelect;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  qtk::IconHandle icon_;
};

extern const char* const kLauncherClassName;

// The per-user setting HKCU\Control Panel\Keyboard\PrintScreenKeyForSnippingEnabled is 1.
bool PrintScreenOpensSnipping();  // "TScrivletForm0"

}  // namespace quillora
