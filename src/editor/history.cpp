// Undo and redo, and the capture that arrives as one step.
#include "editor/editor.h"
#include "editor/logic/name_parts.h"

namespace quillora {

// While the entry holds typing that was not confirmed, Ctrl+Z takes back the typing, as in any
// edit field; everywhere else it takes back the document's last step.
void TScrivletForm1::ActUndoExecute() {
  if (GetFocus() == InsText.Handle() && SendMessageA(InsText.Handle(), EM_CANUNDO, 0, 0)) {
    SendMessageA(InsText.Handle(), EM_UNDO, 0, 0);
    return;
  }
  EndGesture();
  const bool hadText = doc.SelectedText() != nullptr;
  if (doc.Undo()) ShowHistoryStep(hadText);
}

void TScrivletForm1::ActRedoExecute() {
  EndGesture();
  const bool hadText = doc.SelectedText() != nullptr;
  if (doc.Redo()) ShowHistoryStep(hadText);
}

// The annotation that came back or changed is selected when the select tool is in use, and the
// text row then shows it as a selection by the pointer does; otherwise nothing is selected.
void TScrivletForm1::ShowHistoryStep(bool hadTextSelected) {
  if (toolMode == kToolSelect) {
    if (doc.TouchedLine()) doc.Select(doc.TouchedLine());
    if (doc.TouchedText()) doc.Select(doc.TouchedText());
  }
  if (const TMoji* label = doc.SelectedText()) {
    ShowLabelInEntry(*label);
  } else if (hadTextSelected) {
    InsText.SetText("");
    TextOKButton.SetEnabled(false);
  }
  if (doc.Base().Width() != PB1.Width() || doc.Base().Height() != PB1.Height()) SizeToBase();
  ShowCaption();
  commandState.saveEnabled = true;
  UpdateCommands();
  ComposePicture();
}

// A drag the user still holds is a step of its own, closed before the capture begins. The
// first capture is what the user first sees: the history begins with it.
void TScrivletForm1::TakeCapture(int mode) {
  EndGesture();
  {
    Document::StepScope step(doc);
    if (mode >= 0 && mode <= 3) ActNewExecute();
    if (mode >= 0 && mode <= 2) ActPastExecute();
  }
  doc.MarkUnsaved();  // a capture was never saved, even where its picture is the blank one
  if (!historyBegun_) doc.ForgetHistory();
  historyBegun_ = true;
  ChooseTool(kCmdLine);
  Show();
}

}  // namespace quillora
