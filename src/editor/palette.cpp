// The palette: colour grid, colour and font dialogs, line width, hints.
#include <string>

#include "editor/editor.h"
#include "toolkit/caretless.h"

namespace quillora {

namespace {

// Tool modes in which the grid colours the next label's background instead of the lines.
bool GridTargetsText(int32_t mode) {
  return mode == kToolSelect || mode == kToolText || mode == kToolTextPoint;
}

}  // namespace

void TScrivletForm1::ColorGrid1Click() {
  const qtk::Color chosen = ColorGrid1.ForegroundColor();
  if (GridTargetsText(toolMode)) {
    InsText.SetColor(chosen);
    TextOKButton.SetEnabled(true);
  } else {
    NowColor.SetColor(chosen);
    NBK.SetColor(NowColor.GetColor() ^ 0x00FFFFFF);
  }
}

void TScrivletForm1::ActColorExecute() {
  ColorDialog1.color = NowColor.GetColor();
  FColorButton.SetFocus();
  if (!ColorDialog1.Execute(Handle())) return;
  NowColor.SetColor(ColorDialog1.color);
  NBK.SetColor(NowColor.GetColor() ^ 0x00FFFFFF);
}

void TScrivletForm1::ActFontColorExecute() {
  ColorDialog1.color = InsText.Font().color;
  FColorButton.SetFocus();
  if (!ColorDialog1.Execute(Handle())) return;
  InsText.SetFontColor(ColorDialog1.color);
  TextOKButton.SetEnabled(true);
}

void TScrivletForm1::ActBKColorExecute() {
  ColorDialog1.color = InsText.GetColor();
  FColorButton.SetFocus();
  if (!ColorDialog1.Execute(Handle())) return;
  InsText.SetColor(ColorDialog1.color);
  TextOKButton.SetEnabled(true);
  // A chosen background makes the next confirmed label opaque.
  CheckBox1.SetChecked(false);
}

// The confirm button is left alone: a font change alone is not a reason to confirm.
void TScrivletForm1::ActFontExecute() {
  FontDialog1.font = InsText.Font();
  FColorButton.SetFocus();
  if (!FontDialog1.Execute(Handle())) return;
  InsText.SetFont(FontDialog1.font);
  FName.SetText(InsText.Font().name);
  AdjustTextPanel();
  if (toolMode == kToolText)
    InsText.SetFocus();
  else
    FColorButton.SetFocus();
}

void TScrivletForm1::SpinEdit1Change() {
  HideCaret(nullptr);
  LW.SetText(std::to_string(SpinEdit1.Value()));
}

void TScrivletForm1::SpinEdit1Click() { HideCaret(nullptr); }

void TScrivletForm1::ApplicationEvents1Hint(const std::string& hint) {
  StatusBar1.SetPanelText(0, hint);
}

// Runs on a press, before the display takes the focus: the displays are made to drop the caret
// that focusing gives them, and whatever caret shows now is hidden.
void TScrivletForm1::HideDisplayCaret() {
  qtk::Window* const displays[] = {&SelColor, &FName, &MHyouji,  &NowMode, &LineW,
                                   &LineC,    &LW,    &NowColor, &NBK,     &LCB};
  for (qtk::Window* display : displays) qtk::KeepCaretHidden(*display);
  HideCaret(nullptr);
}

}  // namespace quillora
