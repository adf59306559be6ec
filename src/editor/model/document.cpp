// The document model and its history of steps.
#include "editor/model/document.h"

#include <algorithm>

#include "editor/model/commands.h"

namespace quillora {

Document::Document(size_t pictureBudget) : pictureBudget_(pictureBudget) {}
Document::~Document() = default;

void Document::Select(const LineRecord* line) {
  selectedLine_ = line;
  selectedText_ = nullptr;
}

void Document::Select(const TMoji* label) {
  selectedLine_ = nullptr;
  selectedText_ = label;
}

void Document::Deselect() {
  selectedLine_ = nullptr;
  selectedText_ = nullptr;
}

const LineRecord& Document::AddLine(const LineRecord& line, size_t index) {
  auto record = std::make_unique<LineRecord>(line);
  const LineRecord& added = *record;
  Do(MakeInsert(std::move(record), std::min(index, lines_.size())), false);
  return added;
}

const TMoji& Document::AddText(const TMoji& label) {
  auto made = std::make_unique<TMoji>(label);
  const TMoji& added = *made;
  Do(MakeInsert(std::move(made), texts_.size()), false);
  return added;
}

void Document::ChangeLine(const LineRecord& line, const LineRecord& to) {
  if (auto command = MakeChange(lines_, line, to)) Do(std::move(command), false);
}

void Document::ChangeText(const TMoji& label, const TMoji& to) {
  if (auto command = MakeChange(texts_, label, to)) Do(std::move(command), false);
}

void Document::Remove(const LineRecord& line) {
  if (auto command = MakeRemove(lines_, line)) Do(std::move(command), false);
}

void Document::Remove(const TMoji& label) {
  if (auto command = MakeRemove(texts_, label)) Do(std::move(command), false);
}

void Document::ClearAnnotations() {
  if (lines_.empty() && texts_.empty()) return;
  Do(MakeClear(), false);
}

void Document::ReplacePicture(qtk::Bitmap& with, bool keepMarks, std::string fileName,
                              std::string caption) {
  StepScope step(*this);
  Do(MakeReplace(with, keepMarks, std::move(fileName), std::move(caption)), true);
  // Within a longer step too: the frame that leaves is there for the view to reuse at once.
  Trim();
}

Damage Document::TakeDamage() {
  Damage taken;
  std::swap(taken, damage_);
  return taken;
}

void Document::MarkSaved() {
  savedState_ = state_;
  marked_ = false;
}

void Document::MarkUnsaved() { savedState_ = kNoState; }

void Document::SetState(uint64_t state) {
  state_ = state;
  marked_ = false;
}

void Document::ForgetHistory() {
  for (Step& step : steps_) Drop(step);
  steps_.clear();
  cursor_ = 0;
}

void Document::Do(std::unique_ptr<Command> command, bool replacesPicture) {
  BeginStep();
  command->Apply(*this);
  state_ = ++lastState_;
  open_->replacesPicture |= replacesPicture;
  if (open_->commands.empty() || !open_->commands.back()->Absorb(*command))
    open_->commands.push_back(std::move(command));
  EndStep();
}

void Document::BeginStep() {
  if (depth_++ > 0) return;
  open_ = std::make_unique<Step>();
  open_->before = state_;
}

void Document::EndStep() {
  if (depth_ == 0 || --depth_ > 0) return;
  std::unique_ptr<Step> step = std::move(open_);
  // A step that changed nothing (a drag that came back to where it began) is no step: the
  // document is in the state it had, and what could be redone stays.
  if (std::all_of(step->commands.begin(), step->commands.end(),
                  [](const auto& c) { return c->ChangesNothing(); })) {
    if (!step->commands.empty()) state_ = step->before;
    return;
  }
  step->after = state_;
  steps_.erase(steps_.begin() + static_cast<ptrdiff_t>(cursor_), steps_.end());
  steps_.push_back(std::move(*step));
  ++cursor_;
  Trim();
}

void Document::CancelStep() {
  if (depth_ == 0) return;
  depth_ = 0;
  std::unique_ptr<Step> step = std::move(open_);
  for (auto it = step->commands.rbegin(); it != step->commands.rend(); ++it) (*it)->Revert(*this);
  state_ = step->before;
}

size_t Document::Step::PictureBytes() const {
  size_t bytes = 0;
  for (const auto& c : commands) bytes += c->PictureBytes();
  return bytes;
}

// The open step counts as the newest: a picture replaced inside it is held already.
size_t Document::HeldPictureBytes() const {
  size_t bytes = open_ && open_->replacesPicture ? open_->PictureBytes() : 0;
  for (const Step& s : steps_)
    if (s.replacesPicture) bytes += s.PictureBytes();
  return bytes;
}

// The oldest steps leave first: a step can only be undone after every later one, so whatever
// lies below a step that left could never be reached again.
void Document::Trim() {
  while (steps_.size() > kMaxSteps && cursor_ > 0) {
    Drop(steps_.front());
    steps_.pop_front();
    --cursor_;
  }
  // Its own picture counts too, so that an undo or redo, which only exchanges pictures, keeps
  // the total as it was.
  auto over = [this] {
    return HeldPictureBytes() + base_.Stride() * static_cast<size_t>(base_.Height()) >
           pictureBudget_;
  };
  // A step under way will end what could be redone: that goes before anything older.
  while (open_ && !open_->commands.empty() && over() && cursor_ < steps_.size()) {
    Drop(steps_.back());
    steps_.pop_back();
  }
  auto pictureSteps = [this] {
    return (open_ && open_->replacesPicture ? 1 : 0) +
           std::count_if(steps_.begin(), steps_.begin() + static_cast<ptrdiff_t>(cursor_),
                         [](const Step& s) { return s.replacesPicture; });
  };
  while (over() && pictureSteps() > 1) {
    Drop(steps_.front());
    steps_.pop_front();
    --cursor_;
  }
  while (over() && cursor_ < steps_.size()) {
    Drop(steps_.back());
    steps_.pop_back();
  }
}

void Document::Drop(Step& step) {
  for (auto& command : step.commands) command->ReleasePicture(spare_);
}

bool Document::TakeSpare(qtk::Bitmap& into) {
  if (spare_.Empty()) return false;
  into.Swap(spare_);  // the view's empty bitmap waits in its place
  return true;
}

bool Document::Undo() {
  if (depth_ > 0) {
    depth_ = 1;
    EndStep();
  }
  if (cursor_ == 0) return false;
  Step& step = steps_[--cursor_];
  for (auto it = step.commands.rbegin(); it != step.commands.rend(); ++it) (*it)->Revert(*this);
  SetState(step.before);
  SelectAfter(step, false);
  return true;
}

bool Document::Redo() {
  if (depth_ > 0) {
    depth_ = 1;
    EndStep();
  }
  if (cursor_ == steps_.size()) return false;
  Step& step = steps_[cursor_++];
  for (auto& command : step.commands) command->Apply(*this);
  SetState(step.after);
  SelectAfter(step, true);
  return true;
}

namespace {

template <class T>
bool Holds(const std::vector<std::unique_ptr<T>>& list, const T* item) {
  return std::any_of(list.begin(), list.end(), [item](const auto& p) { return p.get() == item; });
}

}  // namespace

// The last command of the step that left an annotation in its list names it.
void Document::SelectAfter(const Step& step, bool applied) {
  Deselect();
  touchedLine_ = nullptr;
  touchedText_ = nullptr;
  for (auto it = step.commands.rbegin(); it != step.commands.rend(); ++it) {
    const Touch touched = (*it)->Touched(applied);
    if (touched.line && Holds(lines_, touched.line)) {
      touchedLine_ = touched.line;
      return;
    }
    if (touched.label && Holds(texts_, touched.label)) {
      touchedText_ = touched.label;
      return;
    }
  }
}

}  // namespace quillora
