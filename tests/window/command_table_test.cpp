// The editor's commands as the user meets them: ids, captions, hints and keys of every command,
// and the menus and tool bar made from them.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

using Captions = std::vector<std::string>;

class CommandTable : public EditorTest {
 protected:
  void SetUp() override { CreateEditor(); }
};

TEST_F(CommandTable, EveryCommand_Should_KeepItsIdCaptionHintAndKeys) {
  struct Row {
    unsigned id;
    const char *name, *caption, *hint, *keys;
  };
  const Row rows[] = {
      {101, "ActNew", "新規作成(&N)", "新規作成|新規作成状態にします。", "Ctrl+N"},
      {102, "ActOpen", "開く(&O)", "開く|ファイルを開きます。", "Ctrl+O"},
      {103, "ActSave", "上書き保存(&S)", "保存|ファイルに保存します。", "Ctrl+S"},
      {104, "ActSaveAs", "名前を付けて保存(&A)", "名前を付けて保存|名前を付けて保存します。", ""},
      {105, "ActPrint", "印刷(&P)", "印刷|印刷します。", "Ctrl+P"},
      {106, "ActExit", "終了(&X)", "終了|このソフトを終了します。", ""},
      {107, "ActReload", "再読み込み", "再読込|再度画面を取り込みます。", "Ctrl+R"},
      {108, "ActVer", "バージョン情報(&V)", "バージョン情報|バージョン情報を表示します。", ""},
      {109, "ActFont", "フォント(&F)", "文字フォント|文字フォントを設定します。", ""},
      {110, "ActBKColor", "文字背景色(&B)", "背景色|文字の背景色を選択できます。", ""},
      {111, "ActDel", "削除(&D)", "削除|選択された部分を削除します。", ""},
      {112, "ActFontColor", "文字色(&C)", "文字色|文字の色を選択できます。", ""},
      {113, "ActColor", "線の色(&L)", "線の色|線の色を選択できます。", ""},
      {114, "ActPaste", "貼り付け", "貼付け|クリップボードのイメージを貼り付けます。", "Ctrl+V"},
      {115, "ActUndo", "元に戻す", "", "Ctrl+Z"},
      {116, "ActRedo", "やり直し", "", "Ctrl+Y Ctrl+Shift+Z"},
      {117, "Spoide1", "色の抽出", "色抽出|画像から色を抽出します。", ""},
      {118, "Select1", "範囲選択", "選択|クリックされた部分を選択状態にします。", ""},
      {119, "Line1", "直線描画", "直線|直線を書きます", ""},
      {120, "Arrow1", "", "矢印|矢印を描きます。", ""},
      {121, "Text1", "文字描画", "文字|文字を書きます", ""},
  };
  ASSERT_EQ(Commands().size(), std::size(rows));
  for (const Row& row : rows) {
    const qtk::Action& a = editor->Act(static_cast<CommandId>(row.id));
    EXPECT_EQ(a.CommandId(), row.id);
    EXPECT_EQ(a.Name(), row.name);
    EXPECT_EQ(a.Caption(), row.caption) << row.name;
    EXPECT_EQ(a.Hint(), row.hint) << row.name;
    std::string keys = qtk::ShortcutText(a.ShortcutKey());
    if (a.ShiftShortcutKey()) keys += std::string(" Ctrl+Shift+") + char(a.ShiftShortcutKey());
    EXPECT_EQ(keys, row.keys) << row.name;
  }
}

TEST_F(CommandTable, MenusAndToolBar_Should_ShowTheirItemsInOrder) {
  const HMENU bar = editor->MainMenu1->Handle();
  EXPECT_EQ(qtk::MenuCaptions(bar), (Captions{"ファイル(&F)", "編集(&E)", "ヘルプ(&H)"}));
  EXPECT_EQ(qtk::MenuCaptions(GetSubMenu(bar, 0)),
            (Captions{"新規作成(&N)\tCtrl+N", "-", "再読み込み\tCtrl+R", "-", "開く(&O)\tCtrl+O",
                      "-", "上書き保存(&S)\tCtrl+S", "名前を付けて保存(&A)", "-",
                      "印刷(&P)\tCtrl+P", "-", "終了(&X)"}));
  EXPECT_EQ(qtk::MenuCaptions(GetSubMenu(bar, 1)),
            (Captions{"フォント(&F)", "-", "文字色(&C)", "文字背景色(&B)", "-", "線の色(&L)", "-",
                      "貼り付け\tCtrl+V"}));
  EXPECT_EQ(qtk::MenuCaptions(GetSubMenu(bar, 2)), (Captions{"バージョン情報(&V)"}));
  EXPECT_EQ(editor->PopupMenu2->VisibleCaptions(),
            (Captions{"色の抽出", "範囲選択", "直線描画", "文字描画", "-", "フォント(&F)", "-",
                      "文字色(&C)", "文字背景色(&B)", "-", "線の色(&L)"}));
  EXPECT_EQ(editor->MainMenu1->CommandOf("SaveAs1"), 104u);
  EXPECT_EQ(editor->PopupMenu2->CommandOf("Spoide2"), 117u);
  int at = 0;
  for (const char* name : {"ToolButton4", "ToolButton2", "ToolButton5", "ToolButton6",
                           "ToolButton7", "ToolButton9", "ToolButton3", "ToolButton1", "Spoide1",
                           "Select1", "Line1", "Arrow1", "Text1", "ToolButton8"})
    EXPECT_EQ(editor->ToolBar1.ButtonIndex(name), at++) << name;
}

}  // namespace
}  // namespace quillora::testing_support
