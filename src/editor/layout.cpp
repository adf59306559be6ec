// The editor window's layout, command table, menus and tool bar.
#include <windows.h>

#include <commctrl.h>

#include "editor/editor.h"
#include "editor/glyphs.h"
#include "toolkit/app.h"
#include "toolkit/caretless.h"

namespace quillora {

const char* const kEditorClassName = "TScrivletForm1";

namespace {

qtk::FontSpec Gothic(int height, unsigned style = 0, qtk::Color color = qtk::clWindowText) {
  qtk::FontSpec f;
  f.name = "ＭＳ ゴシック";
  f.height = height;
  f.style = style;
  f.color = color;
  return f;
}

qtk::FontSpec PGothic(int height, unsigned style = 0, qtk::Color color = qtk::clWindowText) {
  qtk::FontSpec f;
  f.height = height;
  f.style = style;
  f.color = color;
  return f;
}

constexpr const char* kFile = "ファイル(&F)";
constexpr const char* kEdit = "編集(&E)";
constexpr const char* kHelp = "ヘルプ(&H)";

// The line colour swatch lies one scaled pixel inside its complement frame on every side.
void PlaceSwatch(qtk::Window& swatch, const qtk::Window& frame) {
  const RECT f = frame.Bounds();
  const int edge = frame.Scale(1);
  swatch.SetBounds(f.left + edge, f.top + edge, f.right - f.left - 2 * edge,
                   f.bottom - f.top - 2 * edge);
}

}  // namespace

// The command table: caption, hint, shortcut and glyph of every command.
TScrivletForm1::TScrivletForm1()
    : ActNew({"ActNew", kFile, "新規作成(&N)", "新規作成|新規作成状態にします。", 'N', 17}),
      ActOpen({"ActOpen", kFile, "開く(&O)", "開く|ファイルを開きます。", 'O', 16}),
      ActSave({"ActSave", kFile, "上書き保存(&S)", "保存|ファイルに保存します。", 'S', 13}),
      ActSaveAs({"ActSaveAs", kFile, "名前を付けて保存(&A)", "", 0, -1}),
      ActPrint({"ActPrint", kFile, "印刷(&P)", "印刷|印刷します。", 'P', 14}),
      ActExit({"ActExit", kFile, "終了(&X)", "", 0, -1}),
      ActReload({"ActReload", kFile, "再読み込み", "再読込|再度画面を取り込みます。", 'R', 18}),
      ActVer({"ActVer", kHelp, "バージョン情報(&V)", "", 0, -1}),
      ActFont({"ActFont", kEdit, "フォント(&F)", "文字フォント|文字フォントを設定します。", 0, -1}),
      ActBKColor(
          {"ActBKColor", kEdit, "文字背景色(&B)", "背景色|文字の背景色を選択できます。", 0, -1}),
      ActDel({"ActDel", kEdit, "削除(&D)", "削除|選択された部分を削除します。", 0, 15}),
      ActFontColor({"ActFontColor", kEdit, "文字色(&C)", "文字色|文字の色を選択できます。", 0, -1}),
      ActColor({"ActColor", kEdit, "線の色(&L)", "線の色|線の色を選択できます。", 0, -1}),
      ActPaste({"ActPaste", kEdit, "貼り付け", "貼付け|クリップボードのイメージを貼り付けます。",
                'V', -1}),
      // Keys only: no menu or button shows them.
      ActUndo({"ActUndo", kEdit, "元に戻す", "", 'Z', -1}),
      ActRedo({"ActRedo", kEdit, "やり直し", "", 'Y', -1}) {
  CreateCommands();
}

TScrivletForm1::~TScrivletForm1() {
  // The hint hook names this form; a pointer leaving a window after it is gone still sets a hint.
  qtk::Application::Get().onHint = nullptr;
  if (Handle()) FormDestroy();
}

std::vector<qtk::Action*> TScrivletForm1::Actions() {
  return {&ActNew,    &ActOpen,  &ActSave, &ActSaveAs,  &ActPrint, &ActExit,
          &ActReload, &ActVer,   &ActFont, &ActBKColor, &ActDel,   &ActFontColor,
          &ActColor,  &ActPaste, &ActUndo, &ActRedo};
}

void TScrivletForm1::CreateCommands() {
  ActNew.onExecute = [this] { ActNewExecute(); };
  ActOpen.onExecute = [this] { ActOpenExecute(); };
  ActSave.onExecute = [this] { ActSaveExecute(); };
  ActSaveAs.onExecute = [this] { ActSaveAsExecute(); };
  ActPrint.onExecute = [this] { ActPrintExecute(); };
  ActExit.onExecute = [this] { ActExitExecute(); };
  ActReload.onExecute = [this] { ActReloadExecute(); };
  ActVer.onExecute = [this] { ActVerExecute(); };
  ActFont.onExecute = [this] { ActFontExecute(); };
  ActBKColor.onExecute = [this] { ActBKColorExecute(); };
  ActDel.onExecute = [this] { ActDelExecute(); };
  ActFontColor.onExecute = [this] { ActFontColorExecute(); };
  ActColor.onExecute = [this] { ActColorExecute(); };
  ActPaste.onExecute = [this] { ActPastExecute(); };
  ActUndo.onExecute = [this] { ActUndoExecute(); };
  ActRedo.onExecute = [this] { ActRedoExecute(); };
}

void TScrivletForm1::Create(const std::string& commandLineFile) {
  icon_ =
      qtk::IconHandle(LoadIconA(qtk::Application::Get().Instance(), MAKEINTRESOURCEA(1)), false);
  CreateForm(kEditorClassName, "　Quillora　　", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 542, 383,
             icon_.get());
  SetFont(PGothic(-12));
  SetKeyPreview(true);
  CreateMenus();
  CreateControls();
  // Ctrl+Shift+Z redoes too, as in most editors.
  accelerators_.reset(qtk::CreateAccelerators(
      Actions(),
      {ACCEL{FCONTROL | FSHIFT | FVIRTKEY, 'Z', static_cast<WORD>(ActRedo.CommandId())}}));
  SetAccelerators(accelerators_.get());
  FormCreate(commandLineFile);
}

void TScrivletForm1::CreateMenus() {
  using qtk::MenuEntry;
  auto sep = [] { return MenuEntry::Separator(); };
  auto of = [](const char* name, qtk::Action* a, std::string hint = "") {
    MenuEntry e = MenuEntry::Of(name, a);
    e.hint = std::move(hint);
    return e;
  };
  MenuEntry file{"File1", nullptr, kFile};
  file.children = {of("New1", &ActNew),
                   sep(),
                   of("Reload1", &ActReload),
                   sep(),
                   of("Open1", &ActOpen),
                   sep(),
                   of("Save1", &ActSave),
                   of("SaveAs1", &ActSaveAs, "名前を付けて保存|名前を付けて保存します。"),
                   sep(),
                   of("Print1", &ActPrint),
                   sep(),
                   of("Exit1", &ActExit, "終了|このソフトを終了します。")};
  MenuEntry edit{"Edit1", nullptr, kEdit};
  edit.children = {of("Font1", &ActFont),
                   sep(),
                   of("FontColor1", &ActFontColor),
                   of("BKColor1", &ActBKColor),
                   sep(),
                   of("Color1", &ActColor),
                   sep(),
                   of("N17", &ActPaste)};
  MenuEntry help{"Help1", nullptr, kHelp};
  help.children = {of("About1", &ActVer, "バージョン情報|バージョン情報を表示します。")};
  MainMenu1 =
      std::make_unique<qtk::Menu>(qtk::Menu::Kind::Bar, std::vector<MenuEntry>{file, edit, help});
  SetMainMenu(MainMenu1.get());

  PopupMenu1 = std::make_unique<qtk::Menu>(qtk::Menu::Kind::Popup, std::vector<MenuEntry>{});

  auto tool = [](const char* name, const char* caption, const char* hint,
                 std::function<void()> click) {
    MenuEntry e;
    e.name = name;
    e.caption = caption;
    e.hint = hint;
    e.onClick = std::move(click);
    return e;
  };
  PopupMenu2 = std::make_unique<qtk::Menu>(
      qtk::Menu::Kind::Popup,
      std::vector<MenuEntry>{
          tool("Spoide2", "色の抽出", "色抽出|画像から色を抽出します。",
               [this] { Spoide2Click(); }),
          tool("Select2", "範囲選択", "選択|クリックされた部分を選択状態にします。",
               [this] { Select2Click(); }),
          tool("Line2", "直線描画", "直線|直線を書きます", [this] { Line2Click(); }),
          tool("Text2", "文字描画", "文字|文字を書きます", [this] { Text2Click(); }), sep(),
          of("Font2", &ActFont), sep(), of("C1", &ActFontColor), of("B1", &ActBKColor), sep(),
          of("N14", &ActColor)});
}

void TScrivletForm1::CreateControls() {
  HWND self = Handle();
  CoolBar1.Create(self);
  CreateToolBar();
  CreateTextRow();
  CreatePalette();
  CoolBar1.AddBand(ToolBar1, 26);
  CoolBar1.AddBand(Panel2, 22);
  CoolBar1.AddBand(Panel1, 40);
  // Tab walks the bands from the top: each band went first among the bar's windows when added.
  for (qtk::Window* band : std::initializer_list<qtk::Window*>{&ToolBar1, &Panel2, &Panel1})
    SetWindowPos(band->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CoolBar1.onHeightChange = [this] { LayoutBands(); };

  ScrollBox1.Create(self, 0, 0, 100, 100, qtk::clSilver);
  Image1.Create(ScrollBox1.Handle(), 0, 0, 1, 1);
  Image1.Hide();
  PB1.Create(ScrollBox1.Handle(), 0, 0, 1, 1);
  PB1.SetPopupMenu(PopupMenu2.get());
  PB1.onPaint = [this](HDC dc, const RECT& area) { PB1Paint(dc, area); };
  PB1.onPress = [this](qtk::MouseButton b, int x, int y) { PB1MouseDown(b, x, y); };
  PB1.onMove = [this](int x, int y) { PB1MouseMove(x, y); };
  PB1.onRelease = [this](qtk::MouseButton b, int x, int y) { PB1MouseUp(b, x, y); };

  StatusBar1.Create(self, {400, 50});
  qtk::Application::Get().onHint = [this](const std::string& h) { ApplicationEvents1Hint(h); };
  LayoutBands();
}

void TScrivletForm1::CreateToolBar() {
  glyphs_ = CreateGlyphStrip(FormDpi());
  ToolBar1.Create(CoolBar1.Handle(), glyphs_.get(), kGlyphCount);
  using Args = qtk::ToolBar::ButtonArgs;
  auto push = [](const char* name, qtk::Action* a) {
    Args b;
    b.name = name;
    b.action = a;
    b.glyph = a->Glyph();
    return b;
  };
  auto sep = [](const char* name) {
    Args b;
    b.name = name;
    b.separatorWidth = 8;
    return b;
  };
  auto toggle = [](const char* name, const char* caption, const char* hint, int glyph,
                   bool allowAllUp, bool visible, std::function<void()> click) {
    Args b;
    b.name = name;
    b.caption = caption;
    b.hint = hint;
    b.glyph = glyph;
    b.toggle = true;
    b.allowAllUp = allowAllUp;
    b.visible = visible;
    b.onClick = std::move(click);
    return b;
  };
  ToolBar1.AddButton(push("ToolButton4", &ActNew));
  ToolBar1.AddButton(push("ToolButton2", &ActReload));
  ToolBar1.AddButton(push("ToolButton5", &ActOpen));
  ToolBar1.AddButton(push("ToolButton6", &ActSave));
  ToolBar1.AddButton(push("ToolButton7", &ActPrint));
  ToolBar1.AddButton(sep("ToolButton9"));
  ToolBar1.AddButton(push("ToolButton3", &ActDel));
  ToolBar1.AddButton(sep("ToolButton1"));
  ToolBar1.AddButton(toggle(kSpoide1, "色抽出", "色抽出|画像から色を抽出します。", 2, false, true,
                            [this] { Spoide1Click(); }));
  ToolBar1.AddButton(toggle(kSelect1, "選択", "選択|クリックされた部分を選択状態にします。", 0,
                            true, true, [this] { Select1Click(); }));
  ToolBar1.AddButton(
      toggle(kLine1, "直線", "直線|直線を書きます", 5, true, true, [this] { Line1Click(); }));
  ToolBar1.AddButton(toggle(kArrow1, "Arrow1", "矢印|矢印を描きます。", 6, true, false,
                            [this] { Arrow1Click(); }));
  ToolBar1.AddButton(
      toggle(kText1, "テキスト", "文字|文字を書きます", 10, true, true, [this] { Text1Click(); }));
  ToolBar1.AddButton(sep("ToolButton8"));

  Panel4.Create(ToolBar1.Handle(), 0, 0, 250, 24, false);
  FColorButton.Create(Panel4.Handle(), 0, 1, 50, 22, "文字色");
  FColorButton.SetFont(Gothic(-12));
  FColorButton.SetAction(&ActFontColor);
  FColorButton.SetShowHint(true);
  CheckBox1.Create(Panel4.Handle(), 56, 2, 97, 21, "文字背景透明");
  CheckBox1.SetFont(PGothic(-12));
  CheckBox1.SetHint("背景透明|文字の背景色を透明にします。");
  CheckBox1.SetShowHint(true);
  CheckBox2.Create(Panel4.Handle(), 156, 2, 92, 21, "横向き印刷");
  CheckBox2.SetFont(PGothic(-12));
  CheckBox2.SetHint("印刷方向|印刷方向を設定出来ます。");
  CheckBox2.SetChecked(true);
  ToolBar1.AddControl(Panel4, 250);
}

void TScrivletForm1::CreateTextRow() {
  Panel2.Create(CoolBar1.Handle(), 0, 0, 530, 22, false);
  InsText.Create(Panel2.Handle(), 1, 1, 317, 20,
                 {.readOnly = false, .border = true, .autoSize = true});
  InsText.SetFont(PGothic(-12));
  InsText.SetColor(qtk::clWindow);
  InsText.SetPopupMenu(PopupMenu2.get());
  InsText.onChange = [this] { InsTextChange(); };
  FName.Create(Panel2.Handle(), 320, 1, 150, 20, {.readOnly = true, .border = true});
  FName.SetFont(PGothic(-12, 0, qtk::clLime));
  FName.SetColor(qtk::clGreen);
  FName.SetText("FName");
  FName.SetHint("フォント|現在のフォント名を表示します。 クリックすると設定できます。");
  FName.SetPopupMenu(PopupMenu2.get());
  FName.onMouseDown = [this](qtk::MouseButton, int, int) { HideDisplayCaret(); };
  FName.onClick = [this] { ActFontExecute(); };
  TextOKButton.Create(Panel2.Handle(), 474, 1, 50, 20, "確　定");
  TextOKButton.onClick = [this] { TextOKButtonClick(); };
  InsText.SetEnterButton(&TextOKButton);
}

void TScrivletForm1::CreatePalette() {
  Panel1.Create(CoolBar1.Handle(), 0, 0, 530, 40, false);
  HWND p1 = Panel1.Handle();
  SelColor.Create(p1, 2, 2, 95, 36);
  SelColor.SetColor(qtk::clSilver);
  SelColor.SetFont(Gothic(-13, 0, qtk::clBlue));
  SelColor.SetText("SelColor");
  SelColor.SetHint("色の選択状態|カラーパレットの状態を表示しています。");

  ColorGrid1.Create(p1, 100, 1, 168, 38);
  ColorGrid1.SetHint("色の選択|クリックされた色が選択色になります。");
  ColorGrid1.SetShowHint(true);
  ColorGrid1.onClick = [this] { ColorGrid1Click(); };

  Panel3.Create(p1, 272, 1, 230, 37, true);
  Panel3.SetColor(qtk::clGray);  // where the scaled displays leave a row or column uncovered
  HWND p3 = Panel3.Handle();
  struct Display {
    qtk::Edit* edit;
    int x, y, w, h;
    qtk::Color back;
    qtk::FontSpec font;
    const char* text;
    const char* hint;
    bool tip;
  };
  const Display displays[] = {
      {&MHyouji, 0, 0, 121, 20, qtk::clGray, Gothic(-15, 0, qtk::clWhite), " 動作の状態", "",
       false},
      {&NowMode, 0, 16, 121, 20, qtk::clGray, Gothic(-15, 0, qtk::clAqua), " NowMode",
       "現在の状態|現在の状態を表示しています。", false},
      {&LineW, 120, 0, 77, 18, qtk::clGray, Gothic(-15, 0, qtk::clWhite), " 線の幅", "", false},
      {&LW, 197, 0, 30, 18, qtk::clGray, PGothic(-15, qtk::fsBold, qtk::clAqua), "1",
       "線の幅|この幅で線が描画されます。", true},
      {&LineC, 120, 17, 71, 18, qtk::clGray, Gothic(-15, 0, qtk::clWhite), " 線の色", "", false},
      {&LCB, 191, 16, 36, 18, qtk::clGray, Gothic(-15), "", "", false},
      {&NBK, 196, 19, 11, 11, qtk::clAqua, Gothic(-15), "", "", false},
      {&NowColor, 197, 20, 9, 9, qtk::clRed, Gothic(-15), "", "線の色|この色で線が描画されます。",
       false},
  };
  for (const Display& d : displays) {
    d.edit->Create(p3, d.x, d.y, d.w, d.h, {.readOnly = true, .border = false});
    d.edit->SetColor(d.back);
    d.edit->SetFont(d.font);
    d.edit->SetText(d.text);
    d.edit->SetHint(d.hint);
    d.edit->SetShowHint(d.tip);
    d.edit->SetPopupMenu(PopupMenu1.get());
    d.edit->onMouseDown = [this](qtk::MouseButton, int, int) { HideDisplayCaret(); };
    qtk::KeepCaretHidden(*d.edit);
  }
  qtk::KeepCaretHidden(SelColor);
  qtk::KeepCaretHidden(FName);
  // The lower row overlaps the upper one by a few pixels: it lies on top, where the upper row's
  // texts leave their blank bottom, so that neither row's text is covered at any density. The
  // swatch sits one pixel inside its frame, over the grey plate.
  for (qtk::Window* lower : {&NowMode, &LineC, &LCB, &NBK, &NowColor})
    SetWindowPos(lower->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SelColor.SetPopupMenu(PopupMenu1.get());
  SelColor.onMouseDown = [this](qtk::MouseButton, int, int) { HideDisplayCaret(); };

  SpinEdit1.Create(p1, 505, 1, 20, 36, 1, 100, 5);
  SpinEdit1.SetColor(qtk::clBlack);
  SpinEdit1.SetFont(PGothic(-12, qtk::fsBold, qtk::clAqua));
  SpinEdit1.SetHint("線の太さ|線の太さを設定します。");
  SpinEdit1.SetShowHint(true);
  SpinEdit1.SetPopupMenu(PopupMenu1.get());
  SpinEdit1.onChange = [this] { SpinEdit1Change(); };
  SpinEdit1.onClick = [this] { SpinEdit1Click(); };
  PlaceSwatch(NowColor, NBK);
}

// The band bar on top, the status bar at the bottom, the picture area in between.
//
// A move keeps the pixels that the moved window had on the screen, and in the middle of a re-lay
// those are partly the old layout: a band moved down takes along a strip of the row that has just
// grown over it, and the picture area takes along the palette band that now lies over its old
// top. So once everything is in its place the whole window is drawn again, at once. The band
// bar reports its new height from inside its own re-lay, which comes back here; only the
// outermost call draws.
void TScrivletForm1::LayoutBands() {
  if (!ScrollBox1.Handle()) return;
  static int depth = 0;
  ++depth;
  RECT client{};
  GetClientRect(Handle(), &client);
  SendMessageA(CoolBar1.Handle(), WM_SIZE, 0, 0);
  SendMessageA(StatusBar1.Handle(), WM_SIZE, 0, 0);
  int top = CoolBar1.BarHeight();
  int bottom = client.bottom - StatusBar1.Height();
  // Without the old pixels: the picture area is drawn in full below.
  SetWindowPos(ScrollBox1.Handle(), nullptr, 0, top, client.right, std::max(0, bottom - top),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  if (--depth == 0 && IsWindowVisible(Handle()))
    RedrawWindow(Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TScrivletForm1::OnResize() { LayoutBands(); }

// Moved to a screen of another density: the controls were re-laid from their 96-dpi bounds and
// fonts; the glyphs are drawn anew at their new size, the bands fitted again.
void TScrivletForm1::OnFormDpiChanged() {
  glyphs_ = CreateGlyphStrip(FormDpi());
  ToolBar1.SetGlyphs(glyphs_.get(), kGlyphCount);
  CoolBar1.RefreshBands();
  PlaceSwatch(NowColor, NBK);
  AdjustTextPanel();
  LayoutBands();
}

}  // namespace quillora
