// Tool modes and what the pointer and keys do on the picture.
#include <algorithm>

#include "editor/editor.h"
#include "editor/logic/texts.h"
#include "annotations/logic/line_geometry.h"

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
    {TScrivletForm1::kArrow1, kToolArrow, qtk::clWhite, "  矢印描画", " 矢印の色を\r\n 選択出来ます"},
    {TScrivletForm1::kText1, kToolText, qtk::clLime, "  文字描画", " 文字背景色を\r\n 選択出来ます"},
    {TScrivletForm1::kSpoide1, kToolPick, qtk::clAqua, "  色の抽出", " 画像の中から\r\n 色を抽出！！"},
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

void TScrivletForm1::PB1MouseDown(qtk::MouseButton button, int32_t x, int32_t y) {
  if (button != qtk::MouseButton::Left) return;
  gestureLine = nullptr;  // a press starts a new gesture; only a line press gives it a record
  modified = true;
  ActSave.SetEnabled(true);
  switch (toolMode) {
    case kToolSelect: {
      DeselectAll();
      for (const auto& line : lines) {
        if (HitTestLine(*line, x, y)) {
          selectedLine = line.get();
          lastPoint = {x, y};
          dragging = true;
          return;
        }
      }
      for (const auto& text : texts) {
        if (text->HitTest(x, y, composedImage.GetCanvas())) {
          selectedText = text.get();
          lastPoint = {x, y};
          dragging = true;
          InsText.SetFocus();
          return;
        }
      }
      return;
    }
    case kToolLine:
    case kToolArrow: {
      auto line = std::make_unique<LineRecord>();
      line->StartX = line->EndX = x;
      line->StartY = line->EndY = y;
      line->Width = SpinEdit1.Value();
      line->Color = NowColor.GetColor();
      line->Arrow = toolMode == kToolArrow;
      gestureLine = line.get();
      gestureShape = *line;
      lines.push_back(std::move(line));
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
      qtk::Color picked = composedImage.GetCanvas().Pixel(x, y);
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

bool SameRecord(const LineRecord& a, const LineRecord& b) {
  return a.StartX == b.StartX && a.StartY == b.StartY && a.EndX == b.EndX && a.EndY == b.EndY &&
         a.Width == b.Width && a.Color == b.Color && a.Arrow == b.Arrow;
}

// Where the gesture's record sits in the line list; end() once the document was cleared under a
// held button, so the rest of that gesture touches no record. A record that took the freed one's
// address after the clearing does not hold what the gesture left in its own.
auto FindLine(std::vector<std::unique_ptr<LineRecord>>& lines, const LineRecord* line,
              const LineRecord& shape) {
  if (!line) return lines.end();
  auto it = !lines.empty() && lines.back().get() == line
                ? lines.end() - 1
                : std::find_if(lines.begin(), lines.end(),
                               [line](const auto& l) { return l.get() == line; });
  return it != lines.end() && SameRecord(**it, shape) ? it : lines.end();
}

}  // namespace

void TScrivletForm1::PB1MouseMove(int32_t x, int32_t y) {
  StatusBar1.SetPanelText(1, PositionText(x, y), true);
  if (!dragging) return;
  switch (toolMode) {
    case kToolSelect: {
      int64_t dx = int64_t{x} - lastPoint.x, dy = int64_t{y} - lastPoint.y;
      if (selectedLine) {
        selectedLine->StartX = Shift(selectedLine->StartX, dx);
        selectedLine->EndX = Shift(selectedLine->EndX, dx);
        selectedLine->StartY = Shift(selectedLine->StartY, dy);
        selectedLine->EndY = Shift(selectedLine->EndY, dy);
        ComposePicture();
      }
      if (selectedText) {
        selectedText->X = Shift(selectedText->X, dx);
        selectedText->Y = Shift(selectedText->Y, dy);
        ComposePicture();
      }
      lastPoint = {x, y};
      return;
    }
    case kToolLine:
    case kToolArrow: {
      auto it = FindLine(lines, gestureLine, gestureShape);
      if (it == lines.end()) {
        gestureLine = nullptr;
        dragging = false;
        return;
      }
      (*it)->EndX = gestureShape.EndX = x;
      (*it)->EndY = gestureShape.EndY = y;
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
      if (selectedText) {
        InsText.SetFont(selectedText->Font);
        InsText.SetColor(selectedText->BkColor == qtk::clNone ? qtk::clWhite : selectedText->BkColor);
        InsText.SetText(selectedText->Text);
        TextOKButton.SetEnabled(true);
        CheckBox1.SetChecked(selectedText->BkColor == qtk::clNone);
        AdjustTextPanel();
      }
      ComposePicture();
      return;
    case kToolLine:
    case kToolArrow: {
      auto it = FindLine(lines, gestureLine, gestureShape);
      gestureLine = nullptr;
      if (it == lines.end()) return;
      const LineRecord& line = **it;
      if (line.StartX == line.EndX && line.StartY == line.EndY) {
        if (selectedLine == &line) selectedLine = nullptr;
        lines.erase(it);
      }
      return;
    }
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
  if (selectedLine) {
    auto it = std::find_if(lines.begin(), lines.end(),
                           [this](const auto& l) { return l.get() == selectedLine; });
    selectedLine = nullptr;
    if (it != lines.end()) lines.erase(it);
    DeselectAll();
  } else if (selectedText) {
    auto it = std::find_if(texts.begin(), texts.end(),
                           [this](const auto& t) { return t.get() == selectedText; });
    selectedText = nullptr;
    if (it != texts.end()) texts.erase(it);
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
