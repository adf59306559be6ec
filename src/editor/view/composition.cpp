// The composition pass. A pass redraws only the rectangles that the document's changes touched:
// those an annotation covered before or covers now. There it copies the base picture back and
// draws clipped every annotation that can reach them, in list order, which gives each of their
// pixels what the whole pass gives it.
#include "editor/view/composition.h"

#include <algorithm>
#include <cstdlib>

#include "annotations/line_drawing.h"
#include "toolkit/gdi.h"

namespace quillora {

namespace {

bool MeetsAny(const Box& b, const std::vector<Box>& boxes) {
  for (const Box& d : boxes)
    if (b.Meets(d)) return true;
  return false;
}

bool LineMeetsAny(const LineRecord& line, const std::vector<Box>& boxes) {
  for (const Box& d : boxes)
    if (LineMeets(line, d)) return true;
  return false;
}

void CopyBox(HDC to, HDC from, const Box& b) {
  const RECT r = {static_cast<LONG>(b.left), static_cast<LONG>(b.top), static_cast<LONG>(b.right),
                  static_cast<LONG>(b.bottom)};
  BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
}

std::string ExtentKey(const TMoji& label) {
  const qtk::FontSpec& f = label.Font;
  std::string key = f.name;
  key += '\n';
  key += std::to_string(f.height) + ',' + std::to_string(f.style) + ',' + std::to_string(f.charset);
  key += '\n';
  key += label.Text;
  return key;
}

}  // namespace

Composition::Composition() { measure_.Allocate(1, 1); }
Composition::~Composition() = default;

Box Composition::Marker::Bounds() const { return StrokeBox(x, top, x, bottom, 4); }

void Composition::ShowMarker(int32_t x, int32_t y, int32_t height) {
  marker_ = Marker{x, y, int64_t{y} + std::abs(int64_t{height})};
}

const qtk::Bitmap& Composition::Picture() const { return frame_.Empty() ? doc_->Base() : frame_; }

qtk::Color Composition::PixelAt(int32_t x, int32_t y) const {
  const COLORREF c = GetPixel(Picture().DC(), x, y);
  return c == CLR_INVALID ? qtk::clBlack : c;
}

Box Composition::LabelBox(const TMoji& label) {
  const std::string key = ExtentKey(label);
  auto it = extents_.find(key);
  if (it == extents_.end()) {
    if (extents_.size() > 4096) extents_.clear();
    TMoji origin = label;
    origin.X = origin.Y = 0;
    const TMoji::Bounds b = origin.PaintedBounds(measure_.GetCanvas());
    it = extents_.emplace(key, Box{b.left, b.top, b.right, b.bottom}).first;
  }
  return it->second.Shifted(label.X, label.Y);
}

void Composition::AddSelectedBoxes(const Box& clip, std::vector<Box>& boxes) {
  if (shownLine_) AddLineBoxes(*shownLine_, clip, boxes);
  if (shownLabel_) AddBox(boxes, LabelBox(*shownLabel_).Intersect(clip));
}

const std::vector<Box>& Composition::Update(const Document& doc, const Damage& damage) {
  doc_ = &doc;
  const qtk::Bitmap& base = doc.Base();
  const Box picture{0, 0, base.Width(), base.Height()};
  const bool whole = all_ || damage.all || version_ != doc.PictureVersion() || picture != picture_;
  all_ = false;
  version_ = doc.PictureVersion();
  picture_ = picture;
  dirty_.clear();
  changed_.clear();
  if (!whole) {
    for (const LineRecord& line : damage.lines) AddLineBoxes(line, picture, dirty_);
    for (const TMoji& label : damage.labels) AddBox(dirty_, LabelBox(label).Intersect(picture));
  }

  if (!doc.HasMarks()) {
    if (!frame_.Empty()) qtk::Bitmap().Swap(frame_);  // the picture is the base picture itself
  } else if (frame_.Width() != base.Width() || frame_.Height() != base.Height()) {
    frame_.Allocate(base.Width(), base.Height());
    ComposeWhole();
  } else if (whole) {
    ComposeWhole();
  } else {
    Recompose();
  }
  changed_ = whole ? std::vector<Box>{picture} : dirty_;

  // The overlays: the selection and the marker, where they were and where they are.
  const LineRecord* line = doc.SelectedLine();
  const TMoji* label = doc.SelectedText();
  const bool sameLine = line == shownLineRecord_ && (!line || *shownLine_ == *line);
  const bool sameLabel = label == shownLabelRecord_ &&
                         (!label || (ExtentKey(*shownLabel_) == ExtentKey(*label) &&
                                     shownLabel_->X == label->X && shownLabel_->Y == label->Y));
  const bool selectionMoved = !(sameLine && sameLabel);
  if (!whole && selectionMoved) AddSelectedBoxes(picture, changed_);
  shownLineRecord_ = line;
  shownLabelRecord_ = label;
  shownLine_ = line ? std::optional<LineRecord>(*line) : std::nullopt;
  shownLabel_ = label ? std::optional<TMoji>(*label) : std::nullopt;
  if (!line && !label && !scratch_.Empty()) qtk::Bitmap().Swap(scratch_);  // a selection's size
  if (!whole && selectionMoved) AddSelectedBoxes(picture, changed_);
  if (!whole && marker_ != shownMarker_) {
    if (shownMarker_) AddBox(changed_, shownMarker_->Bounds().Intersect(picture));
    if (marker_) AddBox(changed_, marker_->Bounds().Intersect(picture));
  }
  shownMarker_ = marker_;
  return changed_;
}

void Composition::ComposeWhole() {
  qtk::Canvas& canvas = frame_.GetCanvas();
  canvas.Draw(0, 0, doc_->Base().DC(), frame_.Width(), frame_.Height());
  for (const LineRecord& line : doc_->Lines()) DrawLine(canvas, line, false);
  for (const TMoji& label : doc_->Texts()) label.Draw(canvas, false);
}

void Composition::Recompose() {
  if (!dirty_.empty()) DrawOver(frame_, dirty_, false);
}

void Composition::DrawOver(qtk::Bitmap& into, const std::vector<Box>& clip, bool selectedForms) {
  HDC dc = into.DC();
  for (const Box& b : clip) CopyBox(dc, doc_->Base().DC(), b);
  qtk::GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  for (const Box& b : clip) {
    qtk::GdiObject<HRGN> piece(CreateRectRgn(static_cast<int>(b.left), static_cast<int>(b.top),
                                             static_cast<int>(b.right),
                                             static_cast<int>(b.bottom)));
    CombineRgn(region.get(), region.get(), piece.get(), RGN_OR);
  }
  // The region is in device units: where the surface is moved (a window origin), so is it.
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  OffsetRgn(region.get(), -origin.x, -origin.y);
  SelectClipRgn(dc, region.get());
  qtk::Canvas& canvas = into.GetCanvas();
  const LineRecord* selectedLine = selectedForms ? shownLineRecord_ : nullptr;
  const TMoji* selectedLabel = selectedForms ? shownLabelRecord_ : nullptr;
  for (const LineRecord& line : doc_->Lines())
    if (LineMeetsAny(line, clip)) DrawLine(canvas, line, &line == selectedLine);
  for (const TMoji& label : doc_->Texts())
    if (MeetsAny(LabelBox(label), clip)) label.Draw(canvas, &label == selectedLabel);
  SelectClipRgn(dc, nullptr);
}

void Composition::Paint(HDC dc, const Box& area) {
  if (!doc_) return;
  const Box part = area.Intersect(picture_);
  if (part.Empty()) return;
  CopyBox(dc, Picture().DC(), part);

  // The selected annotation: each of its rectangles composed again in a scratch frame with the
  // window origin at the rectangle's corner, so that it draws in picture coordinates.
  std::vector<Box> selected;
  AddSelectedBoxes(part, selected);
  for (const Box& b : selected) {
    const int w = static_cast<int>(b.right - b.left), h = static_cast<int>(b.bottom - b.top);
    if (scratch_.Width() < w || scratch_.Height() < h)
      scratch_.Allocate(std::max(w, scratch_.Width()), std::max(h, scratch_.Height()));
    HDC s = scratch_.DC();
    SetWindowOrgEx(s, static_cast<int>(b.left), static_cast<int>(b.top), nullptr);
    DrawOver(scratch_, {b}, true);
    BitBlt(dc, static_cast<int>(b.left), static_cast<int>(b.top), w, h, s, static_cast<int>(b.left),
           static_cast<int>(b.top), SRCCOPY);
    SetWindowOrgEx(s, 0, 0, nullptr);
  }

  if (marker_) {
    // The bar is vertical: bringing its ends to the box just around the picture leaves every
    // visible pixel as it was and keeps GDI's numbers small for a point far outside.
    constexpr int64_t kMargin = 8;
    const Marker& m = *marker_;
    if (m.x < -kMargin || m.x > picture_.right + kMargin || m.bottom < -kMargin ||
        m.top > picture_.bottom + kMargin)
      return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, static_cast<int>(part.left), static_cast<int>(part.top),
                      static_cast<int>(part.right), static_cast<int>(part.bottom));
    {
      qtk::Canvas canvas(dc);
      canvas.SetPenMode(qtk::PenMode::Not);
      canvas.SetPenWidth(4);
      canvas.MoveTo(static_cast<int>(m.x), static_cast<int>(std::max(m.top, -kMargin)));
      canvas.LineTo(static_cast<int>(m.x),
                    static_cast<int>(std::min(m.bottom, picture_.bottom + kMargin)));
    }
    RestoreDC(dc, saved);
  }
}

}  // namespace quillora
