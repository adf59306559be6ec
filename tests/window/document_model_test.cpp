// The document model without a window: every kind of step undone and redone gives back the
// document byte for byte, steps group and cancel, and the history keeps within its budget.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "editor/model/document.h"

namespace quillora {
namespace {

// Everything the document holds but the selection and the flag, which follow rules of their own.
struct State {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<std::tuple<int, int, int, int, int, uint32_t, bool>> lines;
  std::vector<std::tuple<std::string, qtk::FontSpec, qtk::Color, int, int>> texts;
  std::string name;
  bool operator==(const State&) const = default;
};

State Of(const Document& d) {
  State s{d.Base().Width(), d.Base().Height(), {}, {}, {}, d.FileName()};
  s.pixels.assign(d.Base().Bits(), d.Base().Bits() + d.Base().Stride() * d.Base().Height());
  for (const auto& l : d.Lines())
    s.lines.emplace_back(l->StartX, l->StartY, l->EndX, l->EndY, l->Width, l->Color, l->Arrow);
  for (const auto& t : d.Texts()) s.texts.emplace_back(t->Text, t->Font, t->BkColor, t->X, t->Y);
  return s;
}

void Picture(qtk::Bitmap& b, int w, int h, qtk::Color c) {
  b.Allocate(w, h);
  b.GetCanvas().SetBrushColor(c);
  b.GetCanvas().FillRect(RECT{0, 0, w, h});
}

TMoji Label(const char* text, int x, int y) {
  TMoji t;
  t.Text = text;
  t.X = x;
  t.Y = y;
  return t;
}

// A saved document with a picture, two lines and two labels, the second line selected.
void Prepare(Document& d) {
  qtk::Bitmap picture;
  Picture(picture, 40, 30, qtk::clBlue);
  d.ReplacePicture(picture, false, "C:\\a.bmp", false);
  d.AddLine({1, 2, 30, 20, 3, qtk::clRed, false});
  d.Select(&d.AddLine({5, 5, 5, 25, 1, qtk::clLime, true}));
  d.AddText(Label("注釈", 3, 4));
  d.AddText(Label("two", 10, 12));
  d.SetModified(false);
}

struct Kind {
  const char* name;
  bool replacesPicture;
  std::function<void(Document&)> act;
};

const Kind kKinds[] = {
    {"add line", false, [](Document& d) { d.AddLine({0, 0, 9, 9, 2, qtk::clBlack, false}); }},
    {"add label", false, [](Document& d) { d.AddText(Label("新しい", 7, 7)); }},
    {"drag a line", false,
     [](Document& d) {
       Document::StepScope step(d);
       const LineRecord& l = *d.Lines()[0];
       for (int i = 1; i <= 50; ++i) d.ChangeLine(l, {1 + i, 2, 30 + i, 20, 3, qtk::clRed, false});
     }},
    {"restyle a label", false,
     [](Document& d) {
       TMoji to = *d.Texts()[1];
       to.Text = "書き直し";
       to.Font.height = -20;
       to.BkColor = qtk::clNone;
       d.ChangeText(*d.Texts()[1], to);
     }},
    {"delete a line", false, [](Document& d) { d.Remove(*d.Lines()[0]); }},
    {"delete a label", false, [](Document& d) { d.Remove(*d.Texts()[0]); }},
    {"clear", false, [](Document& d) { d.ClearAnnotations(); }},
    {"open", true,
     [](Document& d) {
       qtk::Bitmap p;
       Picture(p, 50, 40, qtk::clRed);
       d.ReplacePicture(p, false, "C:\\b.jpg", false);
     }},
    {"paste", true,
     [](Document& d) {
       qtk::Bitmap p;
       Picture(p, 45, 35, qtk::clYellow);
       d.ReplacePicture(p, true, d.FileName(), d.Modified());
     }},
    {"capture", true,
     [](Document& d) {
       Document::StepScope step(d);
       qtk::Bitmap blank, shot;
       Picture(blank, 64, 48, qtk::clWhite);
       d.ReplacePicture(blank, false, "", false);
       Picture(shot, 64, 48, qtk::clGray);
       d.ReplacePicture(shot, true, "", false);
       d.SetModified(true);
     }},
};

TEST(DocumentModel, EveryKindOfStep_Should_UndoAndRedoExactly) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    Document d;
    Prepare(d);
    // Marks after a save, or a picture with unsaved marks about to be replaced.
    d.SetModified(kind.replacesPicture);
    const State before = Of(d);
    const size_t steps = d.UndoSteps();
    kind.act(d);
    const State after = Of(d);
    const bool flagAfter = d.Modified();
    ASSERT_NE(after, before);
    ASSERT_EQ(d.UndoSteps(), steps + 1) << "one gesture, one step";
    // A change of the marks is a change to save, whatever the flag was.
    if (!kind.replacesPicture) EXPECT_TRUE(flagAfter);
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(d.Undo());
      EXPECT_EQ(Of(d), before);
      EXPECT_TRUE(d.Modified()) << "set by the undo, or brought back with the picture";
      EXPECT_EQ(d.SelectedLine(), nullptr);
      EXPECT_EQ(d.SelectedText(), nullptr);
      ASSERT_TRUE(d.Redo());
      EXPECT_EQ(Of(d), after);
      EXPECT_EQ(d.Modified(), kind.replacesPicture ? flagAfter : true);
    }
  }
}

TEST(DocumentModel, Undo_Should_OfferTheAnnotationThatCameBack) {
  Document d;
  Prepare(d);
  const LineRecord& line = *d.Lines()[0];
  d.Remove(line);
  ASSERT_TRUE(d.Undo());
  EXPECT_EQ(d.TouchedLine(), &line) << "the same record, back in its place";
  EXPECT_EQ(d.Lines()[0].get(), &line);
  ASSERT_TRUE(d.Redo());
  EXPECT_EQ(d.TouchedLine(), nullptr) << "gone again: nothing to select";
  d.Select(d.Texts()[0].get());
  d.Remove(*d.Texts()[0]);
  EXPECT_EQ(d.SelectedText(), nullptr) << "what leaves the list leaves the selection";
}

TEST(DocumentModel, CancelledStep_Should_LeaveNoTrace) {
  Document d;
  Prepare(d);
  const State before = Of(d);
  const size_t steps = d.UndoSteps();
  d.BeginStep();
  const LineRecord& l = d.AddLine({4, 4, 4, 4, 5, qtk::clRed, false});
  d.ChangeLine(l, {4, 4, 9, 9, 5, qtk::clRed, false});
  d.CancelStep();
  EXPECT_EQ(Of(d), before);
  EXPECT_EQ(d.UndoSteps(), steps);
  d.BeginStep();
  d.EndStep();
  EXPECT_EQ(d.UndoSteps(), steps) << "an empty step is no step";
  ASSERT_TRUE(d.Undo());
  EXPECT_TRUE(d.CanRedo());
  d.AddLine({});
  EXPECT_FALSE(d.CanRedo()) << "a new change ends what could be redone";
}

TEST(DocumentModel, History_Should_KeepWithinItsBudget) {
  Document d;
  // Pictures: at most two frames of the current picture are kept; older steps leave first.
  for (int i = 0; i < 5; ++i) {
    qtk::Bitmap p;
    Picture(p, 100, 100, static_cast<qtk::Color>(i * 0x112233));
    d.ReplacePicture(p, false, "", false);
  }
  EXPECT_LE(d.HeldPictureBytes(), 2 * d.Base().Stride() * 100);
  EXPECT_EQ(d.UndoSteps(), 2u);
  // A small picture over them: the one it replaced stays, whatever its size.
  qtk::Bitmap tiny;
  Picture(tiny, 10, 10, qtk::clRed);
  d.ReplacePicture(tiny, false, "", false);
  ASSERT_TRUE(d.Undo());
  EXPECT_EQ(d.Base().Width(), 100);
  EXPECT_FALSE(d.Undo()) << "the older ones left when the small one came";
  // Annotation steps: the last ten thousand.
  for (size_t i = 0; i < Document::kMaxSteps + 5; ++i) d.AddLine({});
  EXPECT_EQ(d.UndoSteps(), Document::kMaxSteps);
}

}  // namespace
}  // namespace quillora
