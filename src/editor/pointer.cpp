// Tool modes and what the pointer and keys do on the picture.
#include <algorithm>

#include "annotations/logic/line_geometry.h"
#include "editor/editor.h"
#include "editor/logic/texts.h"

namespace quillora {

// The tool whose button is down sets the mode and its displays; with none down they stay.
void TScrivletForm1::UpdateToolMode() {
  if (const CommandEntry* tool = ToolCommand(commandState.tool)) {
    toolMode = tool->tool.mode;
    NowMode.SetFontColor(tool->tool.color);
    NowMode.SetText(tool->tool.modeName);
    SelColor.SetText(tool->tool.modeMessage);
  }
  DeselectAll();
}

void TScrivletForm1::ToolButtonClick(CommandId tool) {
  commandState.tool =
      ToolBar1.Down(FindCommand(tool).name) ? FindCommand(tool).tool.mode : kToolNone;
  UpdateCommands();
  UpdateToolMode();
}

void TScrivletForm1::ChooseTool(CommandId tool) {
  commandState.tool = FindCommand(tool).tool.mode;
  UpdateCommands();
  UpdateToolMode();
}

const TScrivletForm1::Gesture* TScrivletForm1::GestureOf(int32_t mode) {
  using F = TScrivletForm1;
  static const Gesture kGestures[] = {
      {kToolSelect, &F::SelectPress, &F::SelectMove, &F::SelectRelease},
      {kToolLine, &F::LinePress, &F::LineMove, &F::LineRelease},
      {kToolArrow, &F::LinePress, &F::LineMove, &F::LineRelease},
      {kToolText, &F::TextPress, nullptr, &F::TextRelease},
      {kToolTextPoint, &F::TextPointPress, nullptr, &F::TextRelease},
      {kToolPick, &F::PickPress, nullptr, nullptr},
  };
  for (const Gesture& g : kGestures)
    if (g.mode == mode) return &g;
  return nullptr;
}

// A press starts a gesture: whatever the drag that follows changes is one step to undo.
void TScrivletForm1::PB1MouseDown(qtk::MouseButton button, int32_t x, int32_t y) {
  if (button != qtk::MouseButton::Left) return;
  EndGesture();
  doc.MarkModified();
  commandState.saveEnabled = true;
  UpdateCommands();
  if (const Gesture* g = GestureOf(toolMode); g && g->press) (this->*g->press)(x, y);
}

void TScrivletForm1::SelectPress(int32_t x, int32_t y) {
  DeselectAll();
  doc.BeginStep();
  gestureStep_ = true;
  for (const LineRecord& line : doc.Lines()) {
    if (HitTestLine(line, x, y)) {
      doc.Select(&line);
      lastPoint = {x, y};
      dragging = true;
      return;
    }
  }
  for (const TMoji& text : doc.Texts()) {
    if (text.HitTest(x, y, view.Measuring())) {
      doc.Select(&text);
      lastPoint = {x, y};
      dragging = true;
      InsText.SetFocus();
      return;
    }
  }
  EndGesture();
}

void TScrivletForm1::LinePress(int32_t x, int32_t y) {
  LineRecord line;
  line.StartX = line.EndX = x;
  line.StartY = line.EndY = y;
  line.Width = SpinEdit1.Value();
  line.Color = NowColor.GetColor();
  line.Arrow = toolMode == kToolArrow;
  doc.BeginStep();
  gestureStep_ = true;
  gestureLine = &doc.AddLine(line);
  dragging = true;
}

void TScrivletForm1::TextPress(int32_t, int32_t) { dragging = true; }

void TScrivletForm1::TextPointPress(int32_t, int32_t) {
  toolMode = kToolText;
  ComposePicture();
  dragging = true;
}

void TScrivletForm1::PickPress(int32_t x, int32_t y) {
  ComposePicture();
  qtk::Color picked = view.PixelAt(x, y);
  NowColor.SetColor(picked);
  NBK.SetColor(NowColor.GetColor() ^ 0x00FFFFFF);
}

namespace {

// Moves add the pointer's displacement since the previous step, so the annotation keeps its
// offset from the pointer; sums saturate instead of overflowing.
int32_t Shift(int32_t v, int64_t d) {
  return static_cast<int32_t>(std::clamp<int64_t>(v + d, INT32_MIN, INT32_MAX));
}

}  // namespace

// Its changes are one step, done; a line of no length is no line, and its step leaves no trace.
void TScrivletForm1::EndGesture() {
  const LineRecord* line = gestureLine;
  const bool empty = line && line->StartX == line->EndX && line->StartY == line->EndY;
  gestureLine = nullptr;
  dragging = false;
  if (gestureStep_ && empty)
    doc.CancelStep();
  else if (gestureStep_)
    doc.EndStep();
  gestureStep_ = false;
}

void TScrivletForm1::PB1MouseMove(int32_t x, int32_t y) {
  StatusBar1.SetPanelText(1, PositionText(x, y), true);
  if (!dragging) return;
  if (const Gesture* g = GestureOf(toolMode); g && g->move) (this->*g->move)(x, y);
}

void TScrivletForm1::SelectMove(int32_t x, int32_t y) {
  int64_t dx = int64_t{x} - lastPoint.x, dy = int64_t{y} - lastPoint.y;
  if (const LineRecord* selected = doc.SelectedLine()) {
    LineRecord moved = *selected;
    moved.StartX = Shift(moved.StartX, dx);
    moved.EndX = Shift(moved.EndX, dx);
    moved.StartY = Shift(moved.StartY, dy);
    moved.EndY = Shift(moved.EndY, dy);
    doc.ChangeLine(*selected, moved);
    ComposePicture();
  }
  if (const TMoji* selected = doc.SelectedText()) {
    TMoji moved = *selected;
    moved.X = Shift(moved.X, dx);
    moved.Y = Shift(moved.Y, dy);
    doc.ChangeText(*selected, moved);
    ComposePicture();
  }
  lastPoint = {x, y};
}

void TScrivletForm1::LineMove(int32_t x, int32_t y) {
  if (!gestureLine) {
    dragging = false;
    return;
  }
  LineRecord drawn = *gestureLine;
  drawn.EndX = x;
  drawn.EndY = y;
  doc.ChangeLine(*gestureLine, drawn);
  ComposePicture();
}

void TScrivletForm1::PB1MouseUp(qtk::MouseButton button, int32_t x, int32_t y) {
  if (button != qtk::MouseButton::Left || !dragging) return;
  dragging = false;
  if (const Gesture* g = GestureOf(toolMode); g && g->release) (this->*g->release)(x, y);
}

void TScrivletForm1::SelectRelease(int32_t, int32_t) {
  EndGesture();
  if (const TMoji* selected = doc.SelectedText()) ShowLabelInEntry(*selected);
  ComposePicture();
}

void TScrivletForm1::LineRelease(int32_t, int32_t) { EndGesture(); }

void TScrivletForm1::TextRelease(int32_t x, int32_t y) {
  textPoint = {x, y};
  toolMode = kToolTextPoint;
  TextOKButton.SetEnabled(true);
  DrawTextPoint();
  InsText.SetFocus();
}

void TScrivletForm1::ActDelExecute() {
  if (const LineRecord* line = doc.SelectedLine()) {
    doc.Remove(*line);
    DeselectAll();
  } else if (const TMoji* label = doc.SelectedText()) {
    doc.Remove(*label);
    DeselectAll();
  }
}

void TScrivletForm1::FormKeyDown(WORD key) {
  if (key == VK_DELETE) ActDelExecute();
}

void TScrivletForm1::FormKeyUp(WORD key) {
  if (key == VK_SNAPSHOT) ActPastExecute();
}

}  // namespace quillora
