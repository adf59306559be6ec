// The editor window's layout, its commands' actions, menus and tool bar.
#include <windows.h>

#include <commctrl.h>

#include <span>

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

// The line colour swatch lies one scaled pixel inside its complement frame on every side.
void PlaceSwatch(qtk::Window& swatch, const qtk::Window& frame) {
  const RECT f = frame.Bounds();
  const int edge = frame.Scale(1);
  swatch.SetBounds(f.left + edge, f.top + edge, f.right - f.left - 2 * edge,
                   f.bottom - f.top - 2 * edge);
}

}  // namespace

// One action for each entry of the command table, under the entry's fixed id.
TScrivletForm1::TScrivletForm1() {
  for (const CommandEntry& c : Commands()) {
    actions_.push_back(std::make_unique<qtk::Action>(qtk::Action::Args{
        c.name, c.category, c.caption, c.hint, c.key, c.glyph, c.shiftKey, c.id}));
    const CommandId id = c.id;
    auto run = c.run;
    actions_.back()->onExecute = [this, id, run] { run ? (this->*run)() : ChooseTool(id); };
  }
  UpdateCommands();
}

TScrivletForm1::~TScrivletForm1() {
  // The hint hook names this form; a pointer leaving a window after it is gone still sets a hint.
  qtk::Application::Get().onHint = nullptr;
  if (Handle()) FormDestroy();
}

qtk::Action& TScrivletForm1::Act(CommandId id) {
  return *actions_.at(static_cast<size_t>(&FindCommand(id) - Commands().data()));
}

void TScrivletForm1::UpdateCommands() {
  for (size_t i = 0; i < actions_.size(); ++i) {
    const CommandEntry& c = Commands()[i];
    actions_[i]->SetEnabled(!c.enabled || c.enabled(commandState));
    actions_[i]->SetChecked(c.tool.mode != kToolNone && c.tool.mode == commandState.tool);
  }
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
  std::vector<qtk::Action*> actions;
  for (auto& a : actions_) actions.push_back(a.get());
  accelerators_.reset(qtk::CreateAccelerators(actions));
  SetAccelerators(accelerators_.get());
  FormCreate(commandLineFile);
}

namespace {

// Menu items and tool-bar buttons by name and command, kSeparator for a separator.
struct LayoutItem {
  const char* name;
  CommandId id;
};

constexpr LayoutItem kFileItems[] = {
    {"New1", kCmdNew},   {"", kSeparator},      {"Reload1", kCmdReload}, {"", kSeparator},
    {"Open1", kCmdOpen}, {"", kSeparator},      {"Save1", kCmdSave},     {"SaveAs1", kCmdSaveAs},
    {"", kSeparator},    {"Print1", kCmdPrint}, {"", kSeparator},        {"Exit1", kCmdExit}};
constexpr LayoutItem kEditItems[] = {
    {"Font1", kCmdFont},       {"", kSeparator},  {"FontColor1", kCmdFontColor},
    {"BKColor1", kCmdBKColor}, {"", kSeparator},  {"Color1", kCmdColor},
    {"", kSeparator},          {"N17", kCmdPaste}};
constexpr LayoutItem kHelpItems[] = {{"About1", kCmdVer}};
// The picture's menu: the tools, then the text and colour commands.
constexpr LayoutItem kPictureItems[] = {
    {"Spoide2", kCmdPick}, {"Select2", kCmdSelect}, {"Line2", kCmdLine}, {"Text2", kCmdText},
    {"", kSeparator},      {"Font2", kCmdFont},     {"", kSeparator},    {"C1", kCmdFontColor},
    {"B1", kCmdBKColor},   {"", kSeparator},        {"N14", kCmdColor}};

}  // namespace

void TScrivletForm1::CreateMenus() {
  using qtk::MenuEntry;
  auto entries = [this](std::span<const LayoutItem> items) {
    std::vector<MenuEntry> out;
    for (const LayoutItem& i : items)
      out.push_back(i.id == kSeparator ? MenuEntry::Separator(i.name)
                                       : MenuEntry::Of(i.name, &Act(i.id)));
    return out;
  };
  auto sub = [&](const char* name, const char* caption, std::span<const LayoutItem> items) {
    MenuEntry e{name, nullptr, caption};
    e.children = entries(items);
    return e;
  };
  MainMenu1 = std::make_unique<qtk::Menu>(
      qtk::Menu::Kind::Bar, std::vector<MenuEntry>{sub("File1", "ファイル(&F)", kFileItems),
                                                   sub("Edit1", "編集(&E)", kEditItems),
                                                   sub("Help1", "ヘルプ(&H)", kHelpItems)});
  SetMainMenu(MainMenu1.get());
  PopupMenu1 = std::make_unique<qtk::Menu>(qtk::Menu::Kind::Popup, std::vector<MenuEntry>{});
  PopupMenu2 = std::make_unique<qtk::Menu>(qtk::Menu::Kind::Popup, entries(kPictureItems));
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
  // Separators are 8 pixels wide.
  constexpr LayoutItem kButtons[] = {
      {"ToolButton4", kCmdNew},  {"ToolButton2", kCmdReload}, {"ToolButton5", kCmdOpen},
      {"ToolButton6", kCmdSave}, {"ToolButton7", kCmdPrint},  {"ToolButton9", kSeparator},
      {"ToolButton3", kCmdDel},  {"ToolButton1", kSeparator}, {kSpoide1, kCmdPick},
      {kSelect1, kCmdSelect},    {kLine1, kCmdLine},          {kArrow1, kCmdArrow},
      {kText1, kCmdText},        {"ToolButton8", kSeparator}};
  for (const LayoutItem& i : kButtons) {
    qtk::ToolBar::ButtonArgs b;
    b.name = i.name;
    if (i.id == kSeparator) {
      b.separatorWidth = 8;
    } else {
      const ToolFacts& tool = FindCommand(i.id).tool;
      b.action = &Act(i.id);
      b.glyph = b.action->Glyph();
      if (tool.mode != kToolNone) {
        b.caption = tool.buttonCaption;
        b.toggle = true;
        b.allowAllUp = tool.allowAllUp;
        b.visible = tool.visible;
        b.onClick = [this, click = tool.buttonClick] { (this->*click)(); };
      }
    }
    ToolBar1.AddButton(std::move(b));
  }

  Panel4.Create(ToolBar1.Handle(), 0, 0, 250, 24, false);
  FColorButton.Create(Panel4.Handle(), 0, 1, 50, 22, "文字色");
  FColorButton.SetFont(Gothic(-12));
  FColorButton.SetAction(&Act(kCmdFontColor));
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
