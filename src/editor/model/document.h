#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "annotations/logic/line_record.h"
#include "annotations/moji.h"
#include "toolkit/bitmap.h"

namespace quillora {

using LineList = std::vector<std::unique_ptr<LineRecord>>;
using TextList = std::vector<std::unique_ptr<TMoji>>;

class Document;

// A list of the document's annotations to read: its records are const, so that nothing changes
// one behind the history.
template <class T>
class Records {
 public:
  explicit Records(const std::vector<std::unique_ptr<T>>& list) : list_(&list) {}
  class Iterator {
   public:
    explicit Iterator(typename std::vector<std::unique_ptr<T>>::const_iterator at) : at_(at) {}
    const T& operator*() const { return **at_; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator&) const = default;

   private:
    typename std::vector<std::unique_ptr<T>>::const_iterator at_;
  };
  Iterator begin() const { return Iterator(list_->begin()); }
  Iterator end() const { return Iterator(list_->end()); }
  size_t size() const { return list_->size(); }
  bool empty() const { return list_->empty(); }
  const T& operator[](size_t i) const { return *(*list_)[i]; }
  const T& front() const { return *list_->front(); }
  const T& back() const { return *list_->back(); }

 private:
  const std::vector<std::unique_ptr<T>>* list_;
};

// What changed on the picture since a view last took it: the annotations, as they were and as
// they are, whose pixels changed; or everything (a new base picture, both lists at once).
struct Damage {
  bool all = false;
  std::vector<LineRecord> lines;
  std::vector<TMoji> labels;
  bool Empty() const { return !all && lines.empty() && labels.empty(); }
};

// An annotation that a change left in its list, which a view may select.
struct Touch {
  const LineRecord* line = nullptr;
  const TMoji* label = nullptr;
};

// One change of the document. It remembers what it needs to go both ways: Apply makes the change
// (again), Revert takes it back. Commands of the history only ever run in order, so Revert finds
// the document exactly as Apply left it.
class Command {
 public:
  virtual ~Command() = default;
  virtual void Apply(Document& doc) = 0;
  virtual void Revert(Document& doc) = 0;
  // Bytes of picture the command holds (a replaced picture), for the history's budget.
  virtual size_t PictureBytes() const { return 0; }
  // Hands over the picture it holds as it leaves the history, for reuse.
  virtual void ReleasePicture(qtk::Bitmap& to) {}
  // True when it took a following change into itself (successive moves of one annotation).
  virtual bool Absorb(Command& next) { return false; }
  // True when it leaves the document as it found it (a move that came back to where it began).
  virtual bool ChangesNothing() const { return false; }
  // The annotation the change left in a list (applied or reverted), which a view may select.
  virtual Touch Touched(bool applied) const { return {}; }
};

// The document without a window: base picture, line and label lists, selection, current file
// name, caption and modified flag. Every change that can be undone goes through a command; the
// selection, and the name and caption after a save, are the view's to set directly, outside the
// history. The history knows which of its places the file holds: the flag is set exactly where
// the document differs from what was last loaded or saved.
class Document {
 public:
  // The pictures the document holds, its own and those kept for undo, in bytes: beyond it the
  // oldest steps leave first; the newest replaced picture always stays.
  static constexpr size_t kPictureBudget = size_t{128} << 20;
  static constexpr size_t kMaxSteps = 10000;

  explicit Document(size_t pictureBudget = kPictureBudget);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // --- what the document holds ---
  const qtk::Bitmap& Base() const { return base_; }
  Records<LineRecord> Lines() const { return Records<LineRecord>(lines_); }
  Records<TMoji> Texts() const { return Records<TMoji>(texts_); }
  bool HasMarks() const { return !lines_.empty() || !texts_.empty(); }
  const LineRecord* SelectedLine() const { return selectedLine_; }
  const TMoji* SelectedText() const { return selectedText_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& Caption() const { return caption_; }
  // True when the document differs from the file it was last loaded from or saved to, when it
  // was never saved, or when a press on the picture has marked it since.
  bool Modified() const { return marked_ || state_ != savedState_; }
  // Counts exchanges of the base picture: a view that saw another number draws everything.
  uint64_t PictureVersion() const { return pictureVersion_; }
  // What changed on the picture since the last call; every change reports what it touched.
  Damage TakeDamage();

  // --- outside the history ---
  void Select(const LineRecord* line);
  void Select(const TMoji* label);
  void Deselect();
  void SetFileName(std::string name) { fileName_ = std::move(name); }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // The document as it is now is what the file holds (a load or a save).
  void MarkSaved();
  // No place of the history is what a file holds (a capture, which was never saved).
  void MarkUnsaved();
  // Modified whatever the history says, until the next save, load, undo or redo.
  void MarkModified() { marked_ = true; }
  // The history begins here: nothing before the document as it is now can be undone.
  void ForgetHistory();

  // --- changes, one undo step each unless a step is open ---
  // A new line goes on top of the others, or at `index` in the drawing order.
  const LineRecord& AddLine(const LineRecord& line, size_t index = SIZE_MAX);
  const TMoji& AddText(const TMoji& label);
  // Takes the record's new fields; a change to the same fields is no change.
  void ChangeLine(const LineRecord& line, const LineRecord& to);
  void ChangeText(const TMoji& label, const TMoji& to);
  void Remove(const LineRecord& line);
  void Remove(const TMoji& label);
  void ClearAnnotations();
  // The picture of `with` becomes the base picture (`with` is left empty). Unless `keepMarks`,
  // the annotations go too; the file name and caption become those given. Undoing it brings back
  // the former picture, annotations, name and caption exactly.
  void ReplacePicture(qtk::Bitmap& with, bool keepMarks, std::string fileName, std::string caption);

  // --- steps ---
  // Changes between BeginStep and EndStep (nested: the outermost pair) are one step; CancelStep
  // takes back what the open step did and leaves nothing in the history.
  void BeginStep();
  void EndStep();
  void CancelStep();
  bool StepOpen() const { return depth_ > 0; }
  // A step open for a scope, closed however the scope is left.
  class StepScope {
   public:
    explicit StepScope(Document& doc) : doc_(doc) { doc_.BeginStep(); }
    ~StepScope() { doc_.EndStep(); }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

   private:
    Document& doc_;
  };
  bool CanUndo() const { return cursor_ > 0 || (open_ && !open_->commands.empty()); }
  bool CanRedo() const { return cursor_ < steps_.size(); }
  // Take back or make again one step; false when there is none. Both close an open step first.
  bool Undo();
  bool Redo();
  // What the last undo or redo brought back or changed, when it is in a list (else none): the
  // annotation a view may select. Undo and redo leave nothing selected themselves.
  const LineRecord* TouchedLine() const { return touchedLine_; }
  const TMoji* TouchedText() const { return touchedText_; }
  size_t UndoSteps() const { return cursor_; }
  size_t RedoSteps() const { return steps_.size() - cursor_; }
  size_t HeldPictureBytes() const;
  // The picture of the last step that left the history, given to an empty `into` for a view to
  // draw into instead of a new frame (its memory is already in use); false when there is none.
  bool TakeSpare(qtk::Bitmap& into);

  // --- for commands ---
  struct Access;

 private:
  struct Step {
    std::vector<std::unique_ptr<Command>> commands;
    bool replacesPicture = false;
    // The document's state before and after the step, for the saved place.
    uint64_t before = 0, after = 0;
    size_t PictureBytes() const;
  };
  void Do(std::unique_ptr<Command> command, bool replacesPicture);
  void Trim();
  void SelectAfter(const Step& step, bool applied);

  qtk::Bitmap base_;
  LineList lines_;
  TextList texts_;
  const LineRecord* selectedLine_ = nullptr;
  const TMoji* selectedText_ = nullptr;
  std::string fileName_;
  std::string caption_;
  // Every state the document takes has a number of its own; the flag compares the current one
  // with the one the file holds.
  static constexpr uint64_t kNoState = UINT64_MAX;
  uint64_t state_ = 0, lastState_ = 0, savedState_ = 0;
  bool marked_ = false;
  size_t pictureBudget_;
  uint64_t pictureVersion_ = 0;
  const LineRecord* touchedLine_ = nullptr;
  const TMoji* touchedText_ = nullptr;
  Damage damage_;

  void Drop(Step& step);
  void SetState(uint64_t state);

  std::deque<Step> steps_;
  qtk::Bitmap spare_;
  size_t cursor_ = 0;  // steps_[0, cursor_) are applied, the rest undone
  std::unique_ptr<Step> open_;
  int depth_ = 0;
};

}  // namespace quillora
