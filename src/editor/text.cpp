// The text entry row: confirming labels, the text-point marker, the row's height.
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
  if (toolMode == kToolSelect) {
    if (!selectedText) return;
    TakeEntryRow(*selectedText, InsText, CheckBox1);
    ComposePicture();
  } else if (toolMode == kToolTextPoint) {
    auto label = std::make_unique<TMoji>();
    label->X = textPoint.x;
    label->Y = textPoint.y;
    TakeEntryRow(*label, InsText, CheckBox1);
    texts.push_back(std::move(label));
    toolMode = kToolText;
    ComposePicture();
  }
}

void TScrivletForm1::InsTextChange() { TextOKButton.SetEnabled(true); }

// The marker is drawn on the screen only; the next composition takes it away.
void TScrivletForm1::DrawTextPoint() {
  qtk::Canvas& canvas = PB1.GetCanvas();
  canvas.SetPenMode(qtk::PenMode::Not);
  canvas.SetPenWidth(4);
  int h = std::abs(InsText.Font().height);
  canvas.MoveTo(textPoint.x, textPoint.y);
  canvas.LineTo(textPoint.x, textPoint.y + h);
}

// The row always fits its children: the entry field grows with its font.
void TScrivletForm1::AdjustTextPanel() {
  RECT r = InsText.Bounds();
  int requested = std::max<int>(r.bottom + 6, 80);
  (void)requested;  // the row sizes to its children, which takes precedence over the request
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
