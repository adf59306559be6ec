// The command table: caption, hint, shortcut, glyph, handler and state of every command.
#include "editor/commands.h"

#include <stdexcept>

#include "editor/editor.h"

namespace quillora {

namespace {

using F = TScrivletForm1;
constexpr const char* kFile = "ファイル(&F)";
constexpr const char* kEdit = "編集(&E)";
constexpr const char* kHelp = "ヘルプ(&H)";

bool SaveEnabled(const CommandState& s) { return s.saveEnabled; }

constexpr CommandEntry Tool(CommandId id, const char* button, const char* caption, const char* hint,
                            int glyph, ToolFacts tool) {
  return {id, button, "", caption, hint, 0, 0, glyph, tool.menuClick, nullptr, tool};
}

// Undo and redo have keys only: no menu or button shows them. A menu item's status-bar hint is
// its command's, so commands shown only in the menus carry the hint that the menus show.
const CommandEntry kCommands[] = {
    {kCmdNew, "ActNew", kFile, "新規作成(&N)", "新規作成|新規作成状態にします。", 'N', 0, 17,
     &F::ActNewExecute},
    {kCmdOpen, "ActOpen", kFile, "開く(&O)", "開く|ファイルを開きます。", 'O', 0, 16,
     &F::ActOpenExecute},
    {kCmdSave, "ActSave", kFile, "上書き保存(&S)", "保存|ファイルに保存します。", 'S', 0, 13,
     &F::ActSaveExecute, &SaveEnabled},
    {kCmdSaveAs, "ActSaveAs", kFile, "名前を付けて保存(&A)",
     "名前を付けて保存|名前を付けて保存します。", 0, 0, -1, &F::ActSaveAsExecute},
    {kCmdPrint, "ActPrint", kFile, "印刷(&P)", "印刷|印刷します。", 'P', 0, 14,
     &F::ActPrintExecute},
    {kCmdExit, "ActExit", kFile, "終了(&X)", "終了|このソフトを終了します。", 0, 0, -1,
     &F::ActExitExecute},
    {kCmdReload, "ActReload", kFile, "再読み込み", "再読込|再度画面を取り込みます。", 'R', 0, 18,
     &F::ActReloadExecute},
    {kCmdVer, "ActVer", kHelp, "バージョン情報(&V)", "バージョン情報|バージョン情報を表示します。",
     0, 0, -1, &F::ActVerExecute},
    {kCmdFont, "ActFont", kEdit, "フォント(&F)", "文字フォント|文字フォントを設定します。", 0, 0,
     -1, &F::ActFontExecute},
    {kCmdBKColor, "ActBKColor", kEdit, "文字背景色(&B)", "背景色|文字の背景色を選択できます。", 0,
     0, -1, &F::ActBKColorExecute},
    {kCmdDel, "ActDel", kEdit, "削除(&D)", "削除|選択された部分を削除します。", 0, 0, 15,
     &F::ActDelExecute},
    {kCmdFontColor, "ActFontColor", kEdit, "文字色(&C)", "文字色|文字の色を選択できます。", 0, 0,
     -1, &F::ActFontColorExecute},
    {kCmdColor, "ActColor", kEdit, "線の色(&L)", "線の色|線の色を選択できます。", 0, 0, -1,
     &F::ActColorExecute},
    {kCmdPaste, "ActPaste", kEdit, "貼り付け", "貼付け|クリップボードのイメージを貼り付けます。",
     'V', 0, -1, &F::ActPastExecute},
    {kCmdUndo, "ActUndo", kEdit, "元に戻す", "", 'Z', 0, -1, &F::ActUndoExecute},
    {kCmdRedo, "ActRedo", kEdit, "やり直し", "", 'Y', 'Z', -1, &F::ActRedoExecute},
    // The tools: the caption is the pop-up menu's, the button has a caption of its own.
    Tool(kCmdPick, "Spoide1", "色の抽出", "色抽出|画像から色を抽出します。", 2,
         {kToolPick, "色抽出", false, true, qtk::clAqua, "  色の抽出",
          " 画像の中から\r\n 色を抽出！！", &F::Spoide1Click, &F::Spoide2Click}),
    Tool(kCmdSelect, "Select1", "範囲選択", "選択|クリックされた部分を選択状態にします。", 0,
         {kToolSelect, "選択", true, true, qtk::clYellow, "  部分選択",
          " 文字背景色を\r\n 選択出来ます", &F::Select1Click, &F::Select2Click}),
    Tool(kCmdLine, "Line1", "直線描画", "直線|直線を書きます", 5,
         {kToolLine, "直線", true, true, qtk::clAqua, "  直線描画", " 直線の色を\r\n 選択出来ます",
          &F::Line1Click, &F::Line2Click}),
    Tool(kCmdArrow, "Arrow1", "", "矢印|矢印を描きます。", 6,
         {kToolArrow, "Arrow1", true, false, qtk::clWhite, "  矢印描画",
          " 矢印の色を\r\n 選択出来ます", &F::Arrow1Click}),
    Tool(kCmdText, "Text1", "文字描画", "文字|文字を書きます", 10,
         {kToolText, "テキスト", true, true, qtk::clLime, "  文字描画",
          " 文字背景色を\r\n 選択出来ます", &F::Text1Click, &F::Text2Click}),
};

}  // namespace

std::span<const CommandEntry> Commands() { return kCommands; }

const CommandEntry& FindCommand(CommandId id) {
  for (const CommandEntry& c : kCommands)
    if (c.id == id) return c;
  throw std::logic_error("no such command");
}

const CommandEntry* ToolCommand(int32_t mode) {
  for (const CommandEntry& c : kCommands)
    if (mode != kToolNone && c.tool.mode == mode) return &c;
  return nullptr;
}

}  // namespace quillora
