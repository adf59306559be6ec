// The document model without a window, against a plain reference: the list of every state the
// document has been in, the current place and the place the file holds. Long random sequences of
// every kind of change, saves, undo and redo must leave the document equal to the reference's
// state, with the flag, the floor and the budget as the history promises.
#include <gtest/gtest.h>

#include <optional>
#include <random>
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
  std::string name, caption;
  bool operator==(const State&) const = default;
};

State Of(const Document& d) {
  State s{d.Base().Width(), d.Base().Height(), {}, {}, {}, d.FileName(), d.Caption()};
  s.pixels.assign(d.Base().Bits(), d.Base().Bits() + d.Base().Stride() * d.Base().Height());
  for (const LineRecord& l : d.Lines())
    s.lines.emplace_back(l.StartX, l.StartY, l.EndX, l.EndY, l.Width, l.Color, l.Arrow);
  for (const TMoji& t : d.Texts()) s.texts.emplace_back(t.Text, t.Font, t.BkColor, t.X, t.Y);
  return s;
}

size_t Bytes(const State& s) { return static_cast<size_t>((s.width * 3 + 3) & ~3) * s.height; }

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

// The history as a list of states. Step i leads from state i to state i + 1.
struct Reference {
  std::vector<State> states;
  std::vector<bool> replaces;    // step i gives a new picture
  std::vector<size_t> passedBy;  // bytes of a picture that step i shows only inside itself
  size_t floor = 0, cursor = 0;  // states [floor, states.size()) can be reached
  std::optional<size_t> saved;   // the state the file holds
  bool marked = false;           // a press since the last save, load, undo or redo

  void Push(State s, bool replace, size_t inside = 0) {
    states.resize(cursor + 1);
    replaces.resize(cursor);
    passedBy.resize(cursor);
    if (saved && *saved > cursor) saved.reset();
    states.push_back(std::move(s));
    replaces.push_back(replace);
    passedBy.push_back(inside);
    ++cursor;
  }
  bool Modified() const { return marked || saved != cursor; }
  // A step that replaced the picture holds the one it is not showing, and what it passed by.
  size_t Held(size_t from, size_t to) const {
    size_t bytes = 0;
    for (size_t i = from; i < to; ++i)
      if (replaces[i]) bytes += Bytes(states[i < cursor ? i : i + 1]) + passedBy[i];
    return bytes;
  }
  // A new name after a save-as holds for every state of the same picture around the current one.
  void Rename(const std::string& name, const std::string& caption) {
    size_t first = cursor, last = cursor;
    while (first > floor && !replaces[first - 1]) --first;
    while (last + 1 < states.size() && !replaces[last]) ++last;
    for (size_t i = first; i <= last; ++i) states[i].name = name, states[i].caption = caption;
  }
};

// Small enough that a few pictures overflow it, so that the history must let some go.
constexpr size_t kBudget = 3 * 40 * 40 * 3;

// One seeded run: the first document the user sees is the history's floor.
class HistoryModel {
 public:
  explicit HistoryModel(unsigned seed) : rng(seed), d(kBudget) {
    Open("C:\\start.bmp");
    d.ForgetHistory();
    ref.states = {Of(d)};
    ref.saved = 0;
  }
  void Act();
  void Check();

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  // A picture of its own size and colour, so that any two states differ.
  void Fresh(qtk::Bitmap& b) { Picture(b, 8 + Pick(33), 8 + Pick(33), 0x010101u * ++colours); }
  LineRecord AnyLine() {
    return {Pick(50), Pick(50), Pick(50), Pick(50), 1 + Pick(9), 0x0000FFu * Pick(2), Pick(2) == 1};
  }

  // Opening a file: a new picture under the file's name and caption, what the file holds.
  void Open(const std::string& name) {
    qtk::Bitmap p;
    Fresh(p);
    d.ReplacePicture(p, false, name, "　Quillora　　" + name);
    d.MarkSaved();
  }

  std::mt19937 rng;
  int kind = 0;  // the last operation's, for the failure's message
  Document d;
  Reference ref;
  int colours = 0;
};

// One operation of the user's, done to the document and to the reference alike.
void HistoryModel::Act() {
  const State before = Of(d);
  auto changed = [&] {
    State now = Of(d);
    if (now == before) return;  // a change of nothing is no step
    ref.Push(std::move(now), false);
  };
  kind = Pick(17);
  switch (kind) {
    case 0:
      d.AddLine(AnyLine(), Pick(4));
      return changed();
    case 1:
      d.AddText(Label(Pick(2) ? "注釈" : "two", Pick(40), Pick(40)));
      return changed();
    case 2:  // a drag: many moves, one step
      if (d.Lines().empty()) return;
      {
        Document::StepScope step(d);
        const LineRecord& line = d.Lines()[Pick(static_cast<int>(d.Lines().size()))];
        for (int i = 0; i < 5; ++i) d.ChangeLine(line, AnyLine());
      }
      return changed();
    case 3:  // a drag that ends where it began
      if (d.Texts().empty()) return;
      {
        Document::StepScope step(d);
        const TMoji& label = d.Texts()[Pick(static_cast<int>(d.Texts().size()))];
        const TMoji start = label;
        d.ChangeText(label, Label("moved", start.X + 5, start.Y));
        d.ChangeText(label, start);
      }
      return changed();
    case 4:  // a restyle, which may leave the label as it was
      if (d.Texts().empty()) return;
      {
        TMoji to = d.Texts()[0];
        to.Font.height = -10 - Pick(2);
        to.BkColor = Pick(2) ? qtk::clNone : 0;
        d.ChangeText(d.Texts()[0], to);
      }
      return changed();
    case 5: {
      Document::StepScope step(d);
      if (!d.Lines().empty()) d.Remove(d.Lines()[Pick(static_cast<int>(d.Lines().size()))]);
      if (!d.Texts().empty() && Pick(2)) d.Remove(d.Texts()[0]);
    }
      return changed();
    case 6:
      d.ClearAnnotations();
      return changed();
    case 7: {
      const std::string name = "C:\\p" + std::to_string(Pick(5)) + ".bmp";
      Open(name);
      ref.Push(Of(d), true);
      ref.saved = ref.cursor;
      ref.marked = false;
      return;
    }
    case 8: {  // a paste keeps the marks, the name and the caption, and is a change to save
      qtk::Bitmap p;
      Fresh(p);
      d.ReplacePicture(p, true, d.FileName(), d.Caption());
      ref.Push(Of(d), true);
      return;
    }
    case 9: {  // a capture: the blank picture and the screen over it, never saved
      size_t blank = 0;
      {
        Document::StepScope step(d);
        qtk::Bitmap p;
        Picture(p, 64, 48, qtk::clWhite);
        blank = p.Stride() * 48;
        d.ReplacePicture(p, false, "", "　Quillora　　『 画像作成 』");
        d.MarkSaved();
        Fresh(p);
        d.ReplacePicture(p, true, d.FileName(), d.Caption());
      }
      d.MarkUnsaved();
      ref.Push(Of(d), true, blank);
      ref.saved.reset();
      ref.marked = false;
      return;
    }
    case 10:  // a step taken back before it ended
      d.BeginStep();
      d.AddLine(AnyLine());
      d.CancelStep();
      return;
    case 11:
      d.MarkSaved();
      ref.saved = ref.cursor;
      ref.marked = false;
      return;
    case 12: {  // save as: a new name for this picture, outside the history
      const std::string name = "C:\\s" + std::to_string(Pick(3)) + ".jpg";
      d.SetFileName(name);
      d.SetCaption("　Quillora　　" + name);
      d.MarkSaved();
      ref.Rename(name, "　Quillora　　" + name);
      ref.saved = ref.cursor;
      ref.marked = false;
      return;
    }
    case 13:  // a press on the picture that changes nothing
      d.MarkModified();
      ref.marked = true;
      return;
    case 14:
    case 15: {
      const bool can = ref.cursor > ref.floor;
      ASSERT_EQ(d.Undo(), can);
      if (can) {
        --ref.cursor;
        ref.marked = false;
      }
      return;
    }
    default: {
      const bool can = ref.cursor + 1 < ref.states.size();
      ASSERT_EQ(d.Redo(), can);
      if (can) {
        ++ref.cursor;
        ref.marked = false;
      }
      return;
    }
  }
}

void HistoryModel::Check() {
  // What the document let go: the oldest steps or the ones to redo, and only beyond the budget.
  const size_t from = ref.cursor - d.UndoSteps(), to = ref.cursor + d.RedoSteps();
  ASSERT_LE(d.UndoSteps(), ref.cursor - ref.floor);
  ASSERT_LE(to, ref.states.size() - 1);
  if (from > ref.floor || to < ref.states.size() - 1) {
    ASSERT_GT(ref.Held(ref.floor, ref.states.size() - 1) + Bytes(ref.states[ref.cursor]), kBudget)
        << "steps left within budget";
  }
  ref.floor = from;
  ref.states.resize(to + 1);
  ref.replaces.resize(to);
  ref.passedBy.resize(to);
  if (ref.saved && *ref.saved > to) ref.saved.reset();

  SCOPED_TRACE("after an operation of kind " + std::to_string(kind));
  ASSERT_EQ(Of(d), ref.states[ref.cursor]);
  ASSERT_FALSE(d.Base().Empty());
  ASSERT_EQ(d.Modified(), ref.Modified());
  ASSERT_EQ(d.CanUndo(), ref.cursor > ref.floor);
  ASSERT_EQ(d.CanRedo(), ref.cursor < to);
  ASSERT_EQ(d.HeldPictureBytes(), ref.Held(from, to));
  const auto pictures = std::count(ref.replaces.begin() + from, ref.replaces.end(), true);
  ASSERT_TRUE(d.HeldPictureBytes() + Bytes(ref.states[ref.cursor]) <= kBudget || pictures == 1)
      << "only the newest may overflow";
}

TEST(HistoryModel, RandomSequences_Should_FollowTheReference) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    HistoryModel model(seed);
    for (int op = 0; op < 400; ++op) {
      SCOPED_TRACE(op);
      ASSERT_NO_FATAL_FAILURE(model.Act());
      ASSERT_NO_FATAL_FAILURE(model.Check());
    }
  }
}

// A document as a test meets it: a picture, two lines and two labels, the second line selected.
void Prepare(Document& d) {
  qtk::Bitmap picture;
  Picture(picture, 40, 30, qtk::clBlue);
  d.ReplacePicture(picture, false, "C:\\a.bmp", "　Quillora　　a.bmp");
  d.AddLine({1, 2, 30, 20, 3, qtk::clRed, false});
  d.Select(&d.AddLine({5, 5, 5, 25, 1, qtk::clLime, true}));
  d.AddText(Label("注釈", 3, 4));
  d.AddText(Label("two", 10, 12));
  d.MarkSaved();
}

TEST(DocumentModel, Undo_Should_OfferTheAnnotationThatCameBack) {
  Document d;
  Prepare(d);
  const LineRecord& line = d.Lines()[0];
  d.Remove(line);
  ASSERT_TRUE(d.Undo());
  EXPECT_EQ(d.TouchedLine(), &line) << "the same record, back in its place";
  EXPECT_EQ(&d.Lines()[0], &line);
  ASSERT_TRUE(d.Redo());
  EXPECT_EQ(d.TouchedLine(), nullptr) << "gone again: nothing to select";
  d.Select(&d.Texts()[0]);
  d.Remove(d.Texts()[0]);
  EXPECT_EQ(d.SelectedText(), nullptr) << "what leaves the list leaves the selection";
}

TEST(DocumentModel, History_Should_KeepAtMostItsStepCount) {
  Document d;
  Prepare(d);
  for (size_t i = 0; i < Document::kMaxSteps + 5; ++i) d.AddLine({});
  EXPECT_EQ(d.UndoSteps(), Document::kMaxSteps);
}

}  // namespace
}  // namespace quillora
