// The notification-area icon of the launcher.
#include <cstring>

#include "launcher/launcher.h"

namespace quillora {

void TScrivletForm0::ActTrayInExecute() {
  ActTrayDel.SetVisible(true);
  ActTrayIn.SetVisible(false);
  iconRecord = NOTIFYICONDATAA{};
  // The first form of the record: the shell reads no field past the 64-byte tip.
  iconRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
  iconRecord.hWnd = Handle();
  iconRecord.uID = 1;
  iconRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  iconRecord.uCallbackMessage = kTrayMessage;
  iconRecord.hIcon = icon_.get();
  std::strncpy(iconRecord.szTip, "Quillora", 64);
  notifyIcon(NIM_ADD, &iconRecord);
  Hide();
}

void TScrivletForm0::ActTrayDelExecute() {
  ActTrayDel.SetVisible(false);
  ActTrayIn.SetVisible(true);
  notifyIcon(NIM_DELETE, &iconRecord);
}

void TScrivletForm0::WMTrayNotify(WPARAM, LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONDOWN) {
    Show();
    SetForegroundWindow(Handle());
  } else if (mouseMessage == WM_RBUTTONDOWN) {
    POINT pt{};
    GetCursorPos(&pt);
    PopupMenu2->Popup(Handle(), pt.x, pt.y);
  }
}

// Without an icon the record is all zero and the removal does nothing.
void TScrivletForm0::FormDestroy() { notifyIcon(NIM_DELETE, &iconRecord); }

}  // namespace quillora
