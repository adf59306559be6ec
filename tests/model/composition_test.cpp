// The composition without a window, against a plain whole pass: after every change of a long
// random sequence of edits, selections, undo and redo, the picture is the base picture with
// every line and label drawn over it in their own colours, and a screen that repaints only the
// rectangles an update names shows exactly what a whole pass with the selected forms shows.
// QUILLORA_COMPOSE_SEED picks another sequence.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "annotations/line_drawing.h"
#include "editor/view/composition.h"
#include "support/editor_fixture.h"

namespace quillora {
namespace {

using testing_support::SamePixels;

uint32_t Seed() {
  const char* s = std::getenv("QUILLORA_COMPOSE_SEED");
  return s && *s ? static_cast<uint32_t>(std::strtoul(s, nullptr, 0)) : 20240611u;
}

const qtk::Color kColours[] = {qtk::clRed,   qtk::clBlue,  qtk::clLime, qtk::clYellow,
                               qtk::clBlack, qtk::clWhite, qtk::clAqua, 0x00336699};
const char* const kFaces[] = {"ＭＳ Ｐゴシック", "ＭＳ 明朝", "Arial", "Courier New"};
const char* const kTexts[] = {"注釈", "Quillora 画像", "Wg|&x", "", "a\r\nb", "WWWWWWWWWW", "fj/"};

class CompositionModel : public ::testing::Test {
 protected:
  // Stripes and a gradient, so that inverted forms differ from place to place.
  void NewPicture(int w, int h) {
    qtk::Bitmap p(w, h);
    const int shade = rnd_() % 7;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* px = p.Bits() + y * p.Stride() + x * 3;
        const bool stripe = (x / 7 + y / 5 + shade) % 3 == 0;
        px[0] = stripe ? 0 : static_cast<uint8_t>(x * 3 + shade);
        px[1] = stripe ? 0 : static_cast<uint8_t>(y * 2);
        px[2] = stripe ? 0 : static_cast<uint8_t>(x + y);
      }
    doc_.ReplacePicture(p, rnd_() % 2 == 0, "", "");
  }

  // The whole pass, drawn plainly: the base, every line, every label; with `selected`, the
  // selected one in its selected form, as the screen shows it.
  void WholePass(qtk::Bitmap& into, bool selected) {
    const qtk::Bitmap& base = doc_.Base();
    into.Allocate(base.Width(), base.Height());
    qtk::Canvas& canvas = into.GetCanvas();
    canvas.Draw(0, 0, base.DC(), base.Width(), base.Height());
    for (const LineRecord& line : doc_.Lines())
      DrawLine(canvas, line, selected && &line == doc_.SelectedLine());
    for (const TMoji& label : doc_.Texts())
      label.Draw(canvas, selected && &label == doc_.SelectedText());
  }

  // One update, as the window makes it: the screen repaints what the update names.
  void Update() {
    const std::vector<Box>& changed = view_.Update(doc_, doc_.TakeDamage());
    const qtk::Bitmap& base = doc_.Base();
    if (screen_.Width() != base.Width() || screen_.Height() != base.Height()) {
      screen_.Allocate(base.Width(), base.Height());
      ASSERT_EQ(changed.size(), 1u) << "a new size is shown whole";
    }
    for (const Box& b : changed) view_.Paint(screen_.DC(), b);
  }

  void Check(int step, const char* what) {
    if (failed_) return;
    Update();
    WholePass(reference_, false);
    const char* fault = nullptr;
    if (view_.HoldsFrame() != doc_.HasMarks())
      fault = "a frame held exactly while there are marks";
    else if (!SamePixels(view_.Picture(), reference_))
      fault = "the picture is the whole pass, without selected forms";
    WholePass(reference_, true);
    if (!fault && !SamePixels(screen_, reference_))
      fault = "the screen repainted where told is the whole pass with the selected forms";
    if (!fault) return;
    ADD_FAILURE() << "seed " << seed_ << ", step " << step << " (" << what << "): " << fault;
    failed_ = true;
  }

  int Between(int lo, int hi) { return lo + static_cast<int>(rnd_() % (hi - lo + 1)); }
  bool Chance(int percent) { return static_cast<int>(rnd_() % 100) < percent; }
  POINT SomePoint() { return {Between(-90, 410), Between(-90, 330)}; }

  LineRecord SomeLine() {
    const POINT a = SomePoint(), b = SomePoint();
    return {
        a.x,       a.y, b.x, b.y, Chance(30) ? Between(1, 3) : Between(1, 40), kColours[rnd_() % 8],
        Chance(40)};
  }

  TMoji SomeLabel() {
    TMoji t;
    t.Font.name = kFaces[rnd_() % 4];
    t.Font.height = -Between(8, 40);
    t.Font.style = rnd_() % 16;
    t.Font.color = kColours[rnd_() % 8];
    t.BkColor = Chance(40) ? qtk::clNone : kColours[rnd_() % 8];
    t.Text = kTexts[rnd_() % 7];
    const POINT p = SomePoint();
    t.X = p.x;
    t.Y = p.y;
    return t;
  }

  // A drag of the selected annotation: moves within one step.
  void DragSelected(int step) {
    Document::StepScope scope(doc_);
    for (int i = Between(1, 5); i > 0; --i) {
      const int dx = Chance(20) ? Between(-40000, 40000) : Between(-25, 25);
      const int dy = Chance(20) ? Between(-5000, 5000) : Between(-25, 25);
      if (const LineRecord* l = doc_.SelectedLine()) {
        LineRecord to = *l;
        to.StartX += dx, to.EndX += dx, to.StartY += dy, to.EndY += dy;
        doc_.ChangeLine(*l, to);
      } else if (const TMoji* t = doc_.SelectedText()) {
        TMoji to = *t;
        to.X += dx, to.Y += dy;
        doc_.ChangeText(*t, to);
      }
      Check(step, "move");
    }
  }

  Document doc_;
  Composition view_;
  qtk::Bitmap screen_, reference_;
  uint32_t seed_ = Seed();
  std::mt19937 rnd_{seed_};
  bool failed_ = false;
};

TEST_F(CompositionModel, RandomEdits_Should_ComposeAsAWholePass) {
  NewPicture(320, 240);
  doc_.ForgetHistory();
  Check(0, "start");
  constexpr int kEdits = 1500;
  for (int step = 0; step < kEdits && !failed_; ++step) {
    const size_t lines = doc_.Lines().size(), labels = doc_.Texts().size();
    switch (rnd_() % 12) {
      case 0:
      case 1:
        doc_.Select(&doc_.AddLine(SomeLine(), Chance(20) ? 0 : SIZE_MAX));
        Check(step, "line");
        break;
      case 2:
        doc_.Select(&doc_.AddText(SomeLabel()));
        Check(step, "label");
        break;
      case 3:  // select something, or nothing
        if (lines && Chance(50))
          doc_.Select(&doc_.Lines()[rnd_() % lines]);
        else if (labels && Chance(70))
          doc_.Select(&doc_.Texts()[rnd_() % labels]);
        else
          doc_.Deselect();
        Check(step, "select");
        break;
      case 4:
      case 5:
        DragSelected(step);
        break;
      case 6:  // restyle or retype the selected label; recolour or widen the selected line
        if (const TMoji* t = doc_.SelectedText()) {
          TMoji to = SomeLabel();
          to.X = t->X, to.Y = t->Y;
          doc_.ChangeText(*t, to);
        } else if (const LineRecord* l = doc_.SelectedLine()) {
          LineRecord to = *l;
          to.Color = kColours[rnd_() % 8], to.Width = Between(1, 30), to.Arrow = !to.Arrow;
          doc_.ChangeLine(*l, to);
        }
        Check(step, "restyle");
        break;
      case 7:  // delete what is selected, or every mark
        if (const LineRecord* l = doc_.SelectedLine())
          doc_.Remove(*l);
        else if (const TMoji* t = doc_.SelectedText())
          doc_.Remove(*t);
        else if (Chance(10))
          doc_.ClearAnnotations();
        Check(step, "delete");
        break;
      case 8:
      case 9:
        for (int i = Between(1, 4); i > 0 && doc_.Undo(); --i) Check(step, "undo");
        break;
      case 10:
        for (int i = Between(1, 3); i > 0 && doc_.Redo(); --i) Check(step, "redo");
        break;
      case 11:  // a new picture, of the same size or another, with the marks or without
        if (Chance(20)) {
          NewPicture(Chance(70) ? 320 : Between(40, 360), Chance(70) ? 240 : Between(30, 260));
          Check(step, "picture");
        }
        break;
    }
    // Keep the picture busy but not solid: the oldest annotations go when there are many.
    if (doc_.Lines().size() > 30) doc_.Remove(doc_.Lines().front());
    if (doc_.Texts().size() > 15) doc_.Remove(doc_.Texts().front());
  }
  // Every step taken back: no mark, no frame, the first picture.
  while (!failed_ && doc_.Undo()) Check(kEdits, "undo all");
  EXPECT_FALSE(doc_.HasMarks());
  EXPECT_FALSE(view_.HoldsFrame());
  EXPECT_EQ(&view_.Picture(), &doc_.Base());
  EXPECT_FALSE(failed_);
}

}  // namespace
}  // namespace quillora
