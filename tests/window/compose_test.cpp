// Composing only what changed gives, after every edit, undo and redo of a long random sequence,
// the very pixels of a whole pass; undoing everything gives back the loaded picture.
// QUILLORA_COMPOSE_SEED picks another sequence.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

struct Random {
  uint32_t state;
  int Below(int n) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int>(state % static_cast<uint32_t>(n));
  }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
};

uint32_t Seed() {
  const char* s = std::getenv("QUILLORA_COMPOSE_SEED");
  return s && *s ? static_cast<uint32_t>(std::strtoul(s, nullptr, 0)) : 20240611u;
}

const qtk::Color kColours[] = {qtk::clRed,   qtk::clBlue,  qtk::clLime, qtk::clYellow,
                               qtk::clBlack, qtk::clWhite, qtk::clAqua, 0x00336699};
const char* const kFaces[] = {"ＭＳ Ｐゴシック", "ＭＳ 明朝", "Arial", "Courier New"};
const char* const kTexts[] = {"注釈", "Quillora 画像", "Wg|&x", "", "a\r\nb", "WWWWWWWWWW", "fj/"};

class ComposeIdentity : public PictureTest {
 protected:
  // The incremental result must be what a whole pass now draws over the same document. The pass
  // is run first, as a handler that leaves it to the next event (a select press) would.
  void Check(int step, const char* what) {
    if (failed_) return;
    editor->ComposePicture();
    const qtk::Bitmap& c = editor->composedImage;
    const size_t size = c.Stride() * c.Height();
    incremental_.assign(c.Bits(), c.Bits() + size);
    editor->ComposeFull();
    if (std::memcmp(incremental_.data(), c.Bits(), size) == 0) return;
    size_t first = 0;
    while (incremental_[first] == c.Bits()[first]) ++first;
    ADD_FAILURE() << "seed " << seed_ << ", step " << step << " (" << what << "): first differing "
                  << "pixel at (" << (first % c.Stride()) / 3 << ", " << first / c.Stride() << ")";
    failed_ = true;
  }

  static std::vector<uint8_t> Snapshot(const qtk::Bitmap& b) {
    return {b.Bits(), b.Bits() + b.Stride() * b.Height()};
  }

  POINT SomePoint() { return {rnd_.Between(-90, 410), rnd_.Between(-90, 330)}; }

  // A point on an existing annotation, so that presses in select mode hit something.
  POINT PointOnSomething() {
    const size_t n = editor->doc.Lines().size() + editor->doc.Texts().size();
    if (n == 0) return SomePoint();
    const size_t i = static_cast<size_t>(rnd_.Below(static_cast<int>(n)));
    if (i < editor->doc.Lines().size()) {
      const LineRecord& l = *editor->doc.Lines()[i];
      return {l.StartX + (l.EndX - l.StartX) / 2, l.StartY + (l.EndY - l.StartY) / 2};
    }
    const TMoji& t = *editor->doc.Texts()[i - editor->doc.Lines().size()];
    return {t.X + 2, t.Y + 2};
  }

  qtk::FontSpec SomeFont() {
    qtk::FontSpec f;
    f.name = kFaces[rnd_.Below(4)];
    f.height = -rnd_.Between(8, 40);
    f.style = static_cast<unsigned>(rnd_.Below(16));
    f.color = kColours[rnd_.Below(8)];
    return f;
  }

  // The entry row's look changes as the palette would change it.
  void RestyleEntryRow() {
    editor->InsText.SetFont(SomeFont());
    editor->InsText.SetColor(kColours[rnd_.Below(8)]);
    editor->CheckBox1.SetChecked(rnd_.Chance(40));
    editor->InsText.SetText(kTexts[rnd_.Below(7)]);
  }

  void Drag(int step, POINT from, int moves) {
    editor->PB1MouseDown(qtk::MouseButton::Left, from.x, from.y);
    Check(step, "press");
    POINT p = from;
    for (int i = 0; i < moves; ++i) {
      p = rnd_.Chance(20) ? SomePoint()
                          : POINT{p.x + rnd_.Between(-25, 25), p.y + rnd_.Between(-25, 25)};
      editor->PB1MouseMove(p.x, p.y);
      Check(step, "move");
    }
    editor->PB1MouseUp(qtk::MouseButton::Left, p.x, p.y);
    Check(step, "release");
  }

  template <class T>
  T& AnyOf(const std::vector<std::unique_ptr<T>>& list) {
    return *list[static_cast<size_t>(rnd_.Below(static_cast<int>(list.size())))];
  }

  void Mode(int32_t mode) {
    editor->toolMode = mode;
    editor->DeselectAll();
  }

  uint32_t seed_ = Seed();
  Random rnd_{seed_ ? seed_ : 1};
  std::vector<uint8_t> incremental_;
  bool failed_ = false;
};

TEST_F(ComposeIdentity, IncrementalPass_Should_EqualWholePass_AfterEveryEdit) {
  // Stripes and a gradient, so that inverted forms differ from place to place.
  UsePicture(320, 240, [](int x, int y) {
    return ((x / 7 + y / 5) % 3 == 0)
               ? 0x000000u
               : static_cast<uint32_t>((x * 0x010203 + y * 0x030100) & 0xFFFFFF);
  });
  const size_t startSteps = editor->doc.UndoSteps();
  const std::vector<uint8_t> loaded = Snapshot(editor->composedImage);
  constexpr int kEdits = 1200;  // a few steps find nothing to restyle
  for (int step = 0; step < kEdits && !failed_; ++step) {
    switch (rnd_.Below(13)) {
      case 0:
      case 1: {  // a line or an arrow, in a new colour and width, dragged out
        editor->SpinEdit1.SetValue(rnd_.Chance(30) ? rnd_.Between(1, 3) : rnd_.Between(1, 40));
        editor->NowColor.SetColor(kColours[rnd_.Below(8)]);
        Mode(rnd_.Chance(40) ? kToolArrow : kToolLine);
        Check(step, "tool");
        Drag(step, SomePoint(), rnd_.Between(0, 4));
        break;
      }
      case 2: {  // a label at a clicked point, transparent or not
        Mode(kToolText);
        editor->PB1MouseDown(qtk::MouseButton::Left, 0, 0);
        const POINT p = SomePoint();
        editor->PB1MouseUp(qtk::MouseButton::Left, p.x, p.y);
        RestyleEntryRow();
        editor->TextOKButtonClick();
        Check(step, "label");
        break;
      }
      case 3:
      case 4:
      case 5:  // select something and move it about
        Mode(kToolSelect);
        Check(step, "tool");
        Drag(step, PointOnSomething(), rnd_.Between(0, 5));
        break;
      case 6:  // restyle or retype the selected label
        if (editor->toolMode == kToolSelect && editor->doc.SelectedText()) {
          RestyleEntryRow();
          editor->TextOKButtonClick();
          Check(step, "restyle");
        }
        break;
      case 7:  // delete what is selected
        editor->ActDelExecute();
        Check(step, "delete");
        break;
      case 8:  // deselect, or select without moving
        if (rnd_.Chance(50)) {
          editor->DeselectAll();
        } else {
          Mode(kToolSelect);
          const POINT p = PointOnSomething();
          editor->PB1MouseDown(qtk::MouseButton::Left, p.x, p.y);
          editor->PB1MouseUp(qtk::MouseButton::Left, p.x, p.y);
        }
        Check(step, "deselect");
        break;
      case 9:  // a label or a line jumps far off or back in, as a long drag leaves them
        if (!editor->doc.Texts().empty() && rnd_.Chance(50)) {
          const TMoji& t = AnyOf(editor->doc.Texts());
          TMoji to = t;
          to.X = rnd_.Chance(30) ? rnd_.Between(-5000, 5000) : rnd_.Between(-60, 330);
          to.Y = rnd_.Chance(30) ? rnd_.Between(-5000, 5000) : rnd_.Between(-60, 250);
          editor->doc.ChangeText(t, to);
        } else if (!editor->doc.Lines().empty()) {
          const LineRecord& l = AnyOf(editor->doc.Lines());
          LineRecord to = l;
          to.EndX = rnd_.Chance(30) ? rnd_.Between(-40000, 40000) : rnd_.Between(-60, 380);
          to.EndY = rnd_.Chance(30) ? rnd_.Between(-40000, 40000) : rnd_.Between(-60, 300);
          editor->doc.ChangeLine(l, to);
        }
        editor->ComposePicture();
        Check(step, "jump");
        break;
      case 10:  // a few steps taken back
      case 11:
        for (int i = rnd_.Between(1, 4); i > 0 && editor->doc.UndoSteps() > startSteps; --i) {
          editor->Act(kCmdUndo).Execute();
          Check(step, "undo");
        }
        break;
      case 12:  // and made again
        for (int i = rnd_.Between(1, 3); i > 0; --i) {
          editor->Act(kCmdRedo).Execute();
          Check(step, "redo");
        }
        break;
    }
    // Keep the picture busy but not solid: the oldest annotations go when there are many.
    if (editor->doc.Lines().size() > 40) editor->doc.Remove(*editor->doc.Lines().front());
    if (editor->doc.Texts().size() > 20) editor->doc.Remove(*editor->doc.Texts().front());
  }
  // Every step taken back returns the picture as it was loaded, with nothing on it.
  while (!failed_ && editor->doc.UndoSteps() > startSteps) {
    editor->Act(kCmdUndo).Execute();
    Check(kEdits, "undo all");
  }
  EXPECT_TRUE(editor->doc.Lines().empty());
  EXPECT_TRUE(editor->doc.Texts().empty());
  EXPECT_EQ(Snapshot(editor->composedImage), loaded);
  EXPECT_FALSE(failed_);
}

}  // namespace
}  // namespace quillora::testing_support
