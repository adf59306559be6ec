// The text entry row: confirming labels, the text-point marker, the row's height.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "editor/editor.h"

namespace quillora {

namespace {

// The entry row's style goes into a label: text, font with colour, background.
void TakeEntryRow(TMoji& label, const qtk::Edit& insText, const qtk::CheckBox& transparent) {
  label.Text = insText.Text();
  label.Font = insText.Font();
  label.BkColor = transparent.Checked() ? qtk::clNone : insText.GetColor();
}

}  // namespace

void TScrivletForm1::TextOKButtonClick() {
  TextOKButton.SetEnabled(false);
  InsText.SetFocus();  // the disabled button drops the focus: the entry takes the next words
  if (toolMode == kToolSelect) {
    const TMoji* selected = doc.SelectedText();
    if (!selected) return;
    TMoji restyled = *selected;
    TakeEntryRow(restyled, InsText, CheckBox1);
    doc.ChangeText(*selected, restyled);
    ComposePicture();
  } else if (toolMode == kToolTextPoint) {
    TMoji label;
    label.X = textPoint.x;
    label.Y = textPoint.y;
    TakeEntryRow(label, InsText, CheckBox1);
    doc.AddText(label);
    toolMode = kToolText;
    ComposePicture();
  } else {
    return;
  }
  // The words are confirmed: Ctrl+Z now takes back the label, not the typing.
  SendMessageA(InsText.Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
}

void TScrivletForm1::InsTextChange() { TextOKButton.SetEnabled(true); }

// A selected label's words and style come into the text row, ready to be changed and confirmed.
void TScrivletForm1::ShowLabelInEntry(const TMoji& label) {
  InsText.SetFont(label.Font);
  InsText.SetColor(label.BkColor == qtk::clNone ? qtk::clWhite : label.BkColor);
  InsText.SetText(label.Text);
  TextOKButton.SetEnabled(true);
  CheckBox1.SetChecked(label.BkColor == qtk::clNone);
  AdjustTextPanel();
}

// The marker shows on the screen only, until the text point is given up.
void TScrivletForm1::DrawTextPoint() {
  view.ShowMarker(textPoint.x, textPoint.y, InsText.Font().height);
  ComposePicture();
}

// The row always fits its children, which takes precedence over any height asked of it: the
// entry field grows and shrinks with its font.
void TScrivletForm1::AdjustTextPanel() {
  int fit = 0;
  for (qtk::Window* child : {static_cast<qtk::Window*>(&InsText), static_cast<qtk::Window*>(&FName),
                             static_cast<qtk::Window*>(&TextOKButton)}) {
    RECT b = child->Bounds();
    fit = std::max<int>(fit, b.bottom);
  }
  fit += 1;
  if (fit != Panel2.Height()) {
    Panel2.SetSize(Panel2.Width(), fit);
    CoolBar1.SetBandMinHeight(1, fit);
    LayoutBands();
  }
}

}  // namespace quillora
