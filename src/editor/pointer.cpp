// Tool modes and what the pointer and keys do on the picture.
#include <algorithm>

#include "annotations/logic/line_geometry.h"
#include "editor/editor.h"
#include "editor/logic/texts.h"

namespace quillora {

namespace {

struct ModeDisplay {
  const char* button;
  int32_t mode;
  qtk::Color color;
  const char* name;
  const char* message;
};

const ModeDisplay kModeDisplays[] = {
    {TScrivletForm1::kSelect1, kToolSelect, qtk::clYellow, "  部分選択",
     " 文字背景色を\r\n 選択出来ます"},
    {TScrivletForm1::kLine1, kToolLine, qtk::clAqua, "  直線描画", " 直線の色を\r\n 選択出来ます"},
    {TScrivletForm1::kArrow1, kToolArrow, qtk::clWhite, "  矢印描画",
     " 矢印の色を\r\n 選択出来ます"},
    {TScrivletForm1::kText1, kToolText, qtk::clLime, "  文字描画",
     " 文字背景色を\r\n 選択出来ます"},
    {TScrivletForm1::kSpoide1, kToolPick, qtk::clAqua, "  色の抽出",
     " 画像の中から\r\n 色を抽出！！"},
};

}  // namespace

void TScrivletForm1::UpdateToolMode() {
  for (const ModeDisplay& d : kModeDisplays) {
    if (!ToolBar1.Down(d.button)) continue;
    toolMode = d.mode;
    NowMode.SetFontColor(d.color);
    NowMode.SetText(d.name);
    SelColor.SetText(d.message);
  }
  DeselectAll();
}

void TScrivletForm1::Select2Click() {
  ToolBar1.SetDown(kSelect1, true);
  UpdateToolMode();
}
void TScrivletForm1::Line2Click() {
  ToolBar1.SetDown(kLine1, true);
  UpdateToolMode();
}
void TScrivletForm1::Text2Click() {
  ToolBar1.SetDown(kText1, true);
  UpdateToolMode();
}
void TScrivletForm1::Spoide2Click() {
  ToolBar1.SetDown(kSpoide1, true);
  UpdateToolMode();
}

// A press starts a gesture: whatever the drag that follows changes is one step to undo.
void TScrivletForm1::PB1MouseDown(qtk::MouseButton button, int32_t x, int32_t y) {
  if (button != qtk::MouseButton::Left) return;
  EndGesture();
  doc.MarkModified();
  ActSave.SetEnabled(true);
  switch (toolMode) {
    case kToolSelect: {
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
      return;
    }
    case kToolLine:
    case kToolArrow: {
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
      return;
    }
    case kToolText:
      dragging = true;
      return;
    case kToolTextPoint:
      toolMode = kToolText;
      ComposePicture();
      dragging = true;
      return;
    case kToolPick: {
      ComposePicture();
      qtk::Color picked = view.PixelAt(x, y);
      NowColor.SetColor(picked);
      NBK.SetColor(NowColor.GetColor() ^ 0x00FFFFFF);
      return;
    }
    default:
      return;
  }
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
  switch (toolMode) {
    case kToolSelect: {
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
      return;
    }
    case kToolLine:
    case kToolArrow: {
      if (!gestureLine) {
        dragging = false;
        return;
      }
      LineRecord drawn = *gestureLine;
      drawn.EndX = x;
      drawn.EndY = y;
      doc.ChangeLine(*gestureLine, drawn);
      ComposePicture();
      return;
    }
    default:
      return;
  }
}

void TScrivletForm1::PB1MouseUp(qtk::MouseButton button, int32_t x, int32_t y) {
  if (button != qtk::MouseButton::Left || !dragging) return;
  dragging = false;
  switch (toolMode) {
    case kToolSelect:
      EndGesture();
      if (const TMoji* selected = doc.SelectedText()) ShowLabelInEntry(*selected);
      ComposePicture();
      return;
    case kToolLine:
    case kToolArrow:
      EndGesture();
      return;
    case kToolText:
    case kToolTextPoint:
      textPoint = {x, y};
      toolMode = kToolTextPoint;
      TextOKButton.SetEnabled(true);
      DrawTextPoint();
      InsText.SetFocus();
      return;
    default:
      return;
  }
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
