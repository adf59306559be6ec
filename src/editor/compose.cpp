// The composition pass. The composed picture is always what copying the base picture and drawing
// every line in list order, then every label, the selected ones in their selected form, gives.
// A pass redraws only the rectangles that changed since the pass before: those an annotation
// covered then or covers now, when it came, went, moved, or changed its look or selection. There
// it copies the base picture back, draws clipped every annotation that can reach them, in list
// order, and copies just those rectangles to PB1.
#include <windows.h>

#include <algorithm>
#include <functional>

#include "editor/editor.h"

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
  const RECT r = ToRect(b);
  BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
}

// Brings what was shown of a list (`shown`, one entry a record, in drawing order) up to the list.
// A record shown before and still listed goes to `changed` with its entry, which it updates; a new
// one to `make`, which gives its entry; an entry whose record left to `gone`. Records are matched
// by address. False, with `shown` as it was, when the records that stayed are no longer in the
// order they were drawn in.
template <class Item, class Shown, class Key, class Changed, class Make, class Gone>
bool DiffList(const std::vector<std::unique_ptr<Item>>& list, std::vector<Shown>& shown,
              std::vector<size_t>& order, Key key, Changed changed, Make make, Gone gone) {
  bool same = list.size() == shown.size();
  for (size_t i = 0; same && i < list.size(); ++i) same = list[i].get() == key(shown[i]);
  if (same) {
    for (size_t i = 0; i < list.size(); ++i) changed(*list[i], shown[i]);
    return true;
  }
  order.resize(shown.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::less<const Item*> less;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return less(key(shown[a]), key(shown[b])); });
  std::vector<bool> stayed(shown.size(), false);
  std::vector<Shown> next;
  next.reserve(list.size());
  size_t previous = 0;
  bool any = false;
  for (const auto& item : list) {
    auto it = std::lower_bound(order.begin(), order.end(), item.get(),
                               [&](size_t i, const Item* p) { return less(key(shown[i]), p); });
    if (it != order.end() && key(shown[*it]) == item.get()) {
      if (any && *it < previous) return false;
      previous = *it;
      any = true;
      stayed[*it] = true;
      next.push_back(shown[*it]);
      changed(*item, next.back());
    } else {
      next.push_back(make(*item));
    }
  }
  for (size_t i = 0; i < shown.size(); ++i)
    if (!stayed[i]) gone(shown[i]);
  shown = std::move(next);
  return true;
}

}  // namespace

void TScrivletForm1::ComposeFull() {
  composeAll_ = true;
  ComposePicture();
}

TScrivletForm1::ShownLabel TScrivletForm1::Shown(const TMoji& label, bool selected,
                                                 const ShownLabel* before) {
  ShownLabel s{&label, label.Text, label.Font, label.BkColor, label.X, label.Y, selected, {}};
  if (before && before->text == label.Text && before->font == label.Font) {
    s.box = before->box.Shifted(int64_t{label.X} - before->x, int64_t{label.Y} - before->y);
  } else {
    const TMoji::Bounds b = label.PaintedBounds(composedImage.GetCanvas());
    s.box = {b.left, b.top, b.right, b.bottom};
  }
  return s;
}

bool TScrivletForm1::DiffLines(const Box& picture) {
  return DiffList(
      doc.Lines(), shownLines_, order_, [](const ShownLine& s) { return s.record; },
      [&](const LineRecord& line, ShownLine& was) {
        const bool selected = &line == doc.SelectedLine();
        if (was.drawn == line && was.selected == selected) return;
        AddLineBoxes(was.drawn, picture, dirty_);
        AddLineBoxes(line, picture, dirty_);
        was.drawn = line;
        was.selected = selected;
      },
      [&](const LineRecord& line) {
        AddLineBoxes(line, picture, dirty_);
        return ShownLine{&line, line, &line == doc.SelectedLine()};
      },
      [&](const ShownLine& was) { AddLineBoxes(was.drawn, picture, dirty_); });
}

bool TScrivletForm1::DiffLabels(const Box& picture) {
  return DiffList(
      doc.Texts(), shownLabels_, order_, [](const ShownLabel& s) { return s.label; },
      [&](const TMoji& label, ShownLabel& was) {
        const bool selected = &label == doc.SelectedText();
        if (was.text == label.Text && was.font == label.Font && was.background == label.BkColor &&
            was.x == label.X && was.y == label.Y && was.selected == selected)
          return;
        AddBox(dirty_, was.box.Intersect(picture));
        was = Shown(label, selected, &was);
        AddBox(dirty_, was.box.Intersect(picture));
      },
      [&](const TMoji& label) {
        ShownLabel made = Shown(label, &label == doc.SelectedText(), nullptr);
        AddBox(dirty_, made.box.Intersect(picture));
        return made;
      },
      [&](const ShownLabel& was) { AddBox(dirty_, was.box.Intersect(picture)); });
}

void TScrivletForm1::ComposePicture() {
  if (composedImage.Empty()) return;
  const Box picture{0, 0, composedImage.Width(), composedImage.Height()};
  dirty_.clear();
  if (shownPictureVersion_ != doc.PictureVersion()) composeAll_ = true;
  if (!composeAll_ && picture == shownPicture_ && DiffLines(picture) && DiffLabels(picture)) {
    Recompose();
    return;
  }
  composeAll_ = false;
  shownPicture_ = picture;
  shownPictureVersion_ = doc.PictureVersion();
  const qtk::Bitmap& base = doc.Base();
  const TextList& texts = doc.Texts();
  qtk::Canvas& canvas = composedImage.GetCanvas();
  canvas.Draw(0, 0, base.DC(), base.Width(), base.Height());
  shownLines_.clear();
  for (const auto& line : doc.Lines()) {
    const bool selected = line.get() == doc.SelectedLine();
    DrawLine(*line, selected);
    shownLines_.push_back({line.get(), *line, selected});
  }
  // A label in the place it had keeps its measurement when its text and font stayed.
  std::vector<ShownLabel> before;
  before.swap(shownLabels_);
  for (size_t i = 0; i < texts.size(); ++i) {
    const TMoji& text = *texts[i];
    const bool selected = &text == doc.SelectedText();
    text.Draw(canvas, selected);
    const bool same = i < before.size() && before[i].label == &text;
    shownLabels_.push_back(Shown(text, selected, same ? &before[i] : nullptr));
  }
  screenOnly_.clear();
  dirty_.assign(1, picture);  // what went to the screen
  if (PB1.Handle())
    PB1.GetCanvas().Draw(0, 0, composedImage.DC(), composedImage.Width(), composedImage.Height());
}

const qtk::Bitmap& TScrivletForm1::WrittenPicture(qtk::Bitmap& scratch) {
  ComposePicture();
  if (!doc.SelectedLine() && !doc.SelectedText()) return composedImage;
  const qtk::Bitmap& base = doc.Base();
  scratch.Allocate(base.Width(), base.Height());
  qtk::Canvas& canvas = scratch.GetCanvas();
  canvas.Draw(0, 0, base.DC(), base.Width(), base.Height());
  for (const auto& line : doc.Lines()) DrawLine(scratch, *line, false);
  for (const auto& label : doc.Texts()) label->Draw(canvas, false);
  return scratch;
}

// Redraws the dirty rectangles: the base picture, then every annotation that can reach one of
// them, in the order of the whole pass, clipped to them all, so each pixel there gets what the
// whole pass gives it (an inverting selected form included).
void TScrivletForm1::Recompose() {
  const Box picture = shownPicture_;
  HDC dc = composedImage.DC();
  if (!dirty_.empty()) {
    for (const Box& b : dirty_) CopyBox(dc, doc.Base().DC(), b);
    qtk::GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
    for (const Box& b : dirty_) {
      const RECT r = ToRect(b);
      qtk::GdiObject<HRGN> piece(CreateRectRgnIndirect(&r));
      CombineRgn(clip.get(), clip.get(), piece.get(), RGN_OR);
    }
    SelectClipRgn(dc, clip.get());
    for (const auto& line : doc.Lines())
      if (LineMeetsAny(*line, dirty_)) DrawLine(*line, line.get() == doc.SelectedLine());
    qtk::Canvas& canvas = composedImage.GetCanvas();
    const TextList& texts = doc.Texts();
    for (size_t i = 0; i < texts.size(); ++i)
      if (MeetsAny(shownLabels_[i].box, dirty_)) texts[i]->Draw(canvas, shownLabels_[i].selected);
    SelectClipRgn(dc, nullptr);
  }
  // The marker drawn on PB1 alone goes with the rectangles that changed.
  for (const Box& b : screenOnly_) AddBox(dirty_, b.Intersect(picture));
  screenOnly_.clear();
  if (PB1.Handle()) {
    HDC screen = PB1.GetCanvas().Handle();
    for (const Box& b : dirty_) CopyBox(screen, dc, b);
  }
}

}  // namespace quillora
