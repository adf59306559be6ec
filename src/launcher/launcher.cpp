// The launcher window: layout, commands and menus.
#include "launcher/launcher.h"

#include "toolkit/app.h"

namespace quillora {

const char* const kLauncherClassName = "TScrivletForm0";

TScrivletForm0::TScrivletForm0()
    : tickSource([] { return static_cast<uint32_t>(GetTickCount()); }),
      keySender([](BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
        keybd_event(vk, scan, flags, extra);
      }),
      snippingSource(PrintScreenOpensSnipping),
      versionSource([](OSVERSIONINFOA* info) { return GetVersionExA(info); }),
      notifyIcon(
          [](DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); }),
      ActTrayIn({"ActTrayIn", "", "タスクトレイに入れる(&I)", "", 0, -1}),
      ActTrayDel({"ActTrayDel", "", "アイコンを削除する(&D)", "", 0, -1}),
      ActCancel({"ActCancel", "", "N G", "終了|終了します。", 0, -1}) {
  ActTrayIn.onExecute = [this] { ActTrayInExecute(); };
  ActTrayDel.onExecute = [this] { ActTrayDelExecute(); };
  ActCancel.onExecute = [this] { ActCancelExecute(); };
  ActTrayDel.SetVisible(false);
}

TScrivletForm0::~TScrivletForm0() {
  if (Handle()) FormDestroy();
}

void TScrivletForm0::Create(TScrivletForm1* editorWindow) {
  editor = editorWindow;
  icon_ =
      qtk::IconHandle(LoadIconA(qtk::Application::Get().Instance(), MAKEINTRESOURCEA(1)), false);
  // Fixed size: a single border, the system menu and the minimise box only.
  CreateForm(kLauncherClassName, "　Quillora",
             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 160, 122, icon_.get());
  SetFont(qtk::FontSpec{});

  using qtk::MenuEntry;
  PopupMenu1 = std::make_unique<qtk::Menu>(
      qtk::Menu::Kind::Popup,
      std::vector<MenuEntry>{MenuEntry::Of("I1", &ActTrayIn), MenuEntry::Separator("N1"),
                             MenuEntry::Of("D1", &ActTrayDel), MenuEntry::Separator("N3"),
                             MenuEntry::Of("C1", &ActCancel)});
  PopupMenu2 = std::make_unique<qtk::Menu>(
      qtk::Menu::Kind::Popup,
      std::vector<MenuEntry>{MenuEntry::Of("D2", &ActTrayDel), MenuEntry::Separator("N2"),
                             MenuEntry::Of("Cancel", &ActCancel)});
  SetPopupMenu(PopupMenu1.get());

  // Created in tab order: "G O", the modes, "N G".
  ScreenCap.Create(Handle(), 20, 88, 50, 25, "G O");
  ScreenCap.SetFont(Font());
  ScreenCap.SetHint("開始|開始します。");
  ScreenCap.SetShowHint(true);
  ScreenCap.onClick = [this] { ScreenCapClick(); };
  ModeSelect.Create(
      Handle(), 16, 8, 135, 73, "取込モード",
      {"スクリーン全体", "アクティブウィンドウ", "クリップボード", "エディタの起動のみ"});
  ModeSelect.SetFont(Font());
  // Four items share the 73-pixel box below its caption evenly, in the window's font.
  ModeSelect.PlaceItems(6, 14, 14, 127, 14);
  ModeSelect.SetItemIndex(0);
  ModeSelect.SetEnterButton(&ScreenCap);  // Enter on a mode starts it, as "G O" does
  NG.Create(Handle(), 97, 88, 50, 25, "N G");
  NG.SetFont(Font());
  NG.SetAction(&ActCancel);
  NG.SetShowHint(true);
  FormCreate();
}

void TScrivletForm0::FormCreate() { CenterOnScreen(); }

// The launcher is the main window: closing it ends the program without any question.
void TScrivletForm0::ActCancelExecute() { Close(); }

LRESULT TScrivletForm0::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTrayMessage) {
    WMTrayNotify(wp, lp);
    return 0;
  }
  // The controls have no menu of their own: a right click on any of them shows the window's.
  if (msg == WM_CONTEXTMENU) {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (lp == -1) {
      pt = {0, 0};
      ClientToScreen(Handle(), &pt);
    }
    PopupMenu1->Popup(Handle(), pt.x, pt.y);
    return 0;
  }
  return Form::OnMessage(msg, wp, lp);
}

}  // namespace quillora
