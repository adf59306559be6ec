// The kinds of change of the document, each able to make itself and take itself back.
#include "editor/model/commands.h"

#include <algorithm>
#include <utility>

namespace quillora {

struct Document::Access {
  static LineList& List(Document& d, const LineRecord*) { return d.lines_; }
  static TextList& List(Document& d, const TMoji*) { return d.texts_; }
  static qtk::Bitmap& Base(Document& d) { return d.base_; }
  static std::string& FileName(Document& d) { return d.fileName_; }
  static std::string& Caption(Document& d) { return d.caption_; }
  static void PictureChanged(Document& d) {
    ++d.pictureVersion_;
    DamageAll(d);
  }
  // What a change touched, as it was or is now. Past a few thousand records not yet shown, the
  // view draws everything instead.
  static void Damaged(Document& d, const LineRecord& line) {
    if (!Full(d)) d.damage_.lines.push_back(line);
  }
  static void Damaged(Document& d, const TMoji& label) {
    if (!Full(d)) d.damage_.labels.push_back(label);
  }
  static void DamageAll(Document& d) {
    d.damage_ = Damage();
    d.damage_.all = true;
  }
  static bool Full(Document& d) {
    if (d.damage_.lines.size() + d.damage_.labels.size() >= 4096) DamageAll(d);
    return d.damage_.all;
  }
  // Whatever leaves a list leaves the selection with it.
  static void Unselect(Document& d, const void* item) {
    if (d.selectedLine_ == item) d.selectedLine_ = nullptr;
    if (d.selectedText_ == item) d.selectedText_ = nullptr;
  }
  static void UnselectAll(Document& d) { d.Deselect(); }
};

namespace {

using Access = Document::Access;

template <class T>
size_t IndexOf(const std::vector<std::unique_ptr<T>>& list, const T* item) {
  auto it =
      std::find_if(list.begin(), list.end(), [item](const auto& p) { return p.get() == item; });
  return static_cast<size_t>(it - list.begin());
}

Touch TouchOf(const LineRecord* line) { return {line, nullptr}; }
Touch TouchOf(const TMoji* label) { return {nullptr, label}; }

bool SameFields(const LineRecord& a, const LineRecord& b) { return a == b; }

bool SameFields(const TMoji& a, const TMoji& b) {
  return a.Text == b.Text && a.Font == b.Font && a.BkColor == b.BkColor && a.X == b.X && a.Y == b.Y;
}

// An annotation entering (`entering`) or leaving its list at one place. While out of the list
// it is held here, at the same address, so that the steps around it still find it.
template <class T>
class Move final : public Command {
 public:
  Move(std::unique_ptr<T> out, T* item, size_t index, bool entering)
      : out_(std::move(out)), item_(item), index_(index), entering_(entering) {}
  void Apply(Document& d) override { entering_ ? Put(d) : Take(d); }
  void Revert(Document& d) override { entering_ ? Take(d) : Put(d); }
  Touch Touched(bool applied) const override {
    return applied == entering_ ? TouchOf(item_) : Touch{};
  }

 private:
  void Put(Document& d) {
    auto& list = Access::List(d, item_);
    list.insert(list.begin() + static_cast<ptrdiff_t>(std::min(index_, list.size())),
                std::move(out_));
    Access::Damaged(d, *item_);
  }
  void Take(Document& d) {
    auto& list = Access::List(d, item_);
    const size_t at =
        list.size() > index_ && list[index_].get() == item_ ? index_ : IndexOf(list, item_);
    if (at == list.size()) return;
    out_ = std::move(list[at]);
    list.erase(list.begin() + static_cast<ptrdiff_t>(at));
    Access::Unselect(d, item_);
    Access::Damaged(d, *item_);
  }
  std::unique_ptr<T> out_;
  T* item_;
  size_t index_;
  bool entering_;
};

// An annotation taking other fields. Successive changes of one annotation within a step are
// one change: a drag keeps its first state and its last.
template <class T>
class Change final : public Command {
 public:
  Change(T* item, const T& before, const T& after) : item_(item), before_(before), after_(after) {}
  void Apply(Document& d) override { Take(d, before_, after_); }
  void Revert(Document& d) override { Take(d, after_, before_); }
  bool Absorb(Command& next) override {
    auto* other = dynamic_cast<Change*>(&next);
    if (!other || other->item_ != item_) return false;
    after_ = other->after_;
    return true;
  }
  bool ChangesNothing() const override { return SameFields(before_, after_); }
  Touch Touched(bool) const override { return TouchOf(item_); }

 private:
  void Take(Document& d, const T& from, const T& to) {
    *item_ = to;
    Access::Damaged(d, from);
    Access::Damaged(d, to);
  }
  T* item_;
  T before_, after_;
};

template <class T>
std::unique_ptr<Command> ChangeOf(const std::vector<std::unique_ptr<T>>& list, const T& item,
                                  const T& to) {
  const size_t at = IndexOf(list, &item);
  if (at == list.size() || SameFields(item, to)) return nullptr;
  return std::make_unique<Change<T>>(list[at].get(), item, to);
}

template <class T>
std::unique_ptr<Command> RemoveOf(const std::vector<std::unique_ptr<T>>& list, const T& item) {
  const size_t at = IndexOf(list, &item);
  if (at == list.size()) return nullptr;
  return std::make_unique<Move<T>>(nullptr, list[at].get(), at, false);
}

// Both lists change places with the ones held here.
class Clear final : public Command {
 public:
  void Apply(Document& d) override { Exchange(d); }
  void Revert(Document& d) override { Exchange(d); }

 private:
  void Exchange(Document& d) {
    Access::UnselectAll(d);
    Access::DamageAll(d);
    std::swap(lines_, Access::List(d, static_cast<LineRecord*>(nullptr)));
    std::swap(texts_, Access::List(d, static_cast<TMoji*>(nullptr)));
  }
  LineList lines_;
  TextList texts_;
};

// The base picture, the file name and (unless kept) the annotations change places with the ones
// held here; the pixels are exchanged, never copied.
class Replace final : public Command {
 public:
  Replace(qtk::Bitmap& with, bool keepMarks, std::string fileName, std::string caption)
      : keepMarks_(keepMarks), fileName_(std::move(fileName)), caption_(std::move(caption)) {
    picture_.Swap(with);
  }
  void Apply(Document& d) override { Exchange(d); }
  void Revert(Document& d) override { Exchange(d); }
  size_t PictureBytes() const override {
    return picture_.Stride() * static_cast<size_t>(std::max(picture_.Height(), 0));
  }
  void ReleasePicture(qtk::Bitmap& to) override {
    if (!picture_.Empty()) to.Swap(picture_);
  }

 private:
  void Exchange(Document& d) {
    Access::Base(d).Swap(picture_);
    std::swap(fileName_, Access::FileName(d));
    std::swap(caption_, Access::Caption(d));
    if (!keepMarks_) marks_.Apply(d);  // a swap: its own inverse
    Access::PictureChanged(d);
  }
  qtk::Bitmap picture_;
  bool keepMarks_;
  std::string fileName_;
  std::string caption_;
  Clear marks_;
};

}  // namespace

std::unique_ptr<Command> MakeInsert(std::unique_ptr<LineRecord> line, size_t index) {
  LineRecord* item = line.get();
  return std::make_unique<Move<LineRecord>>(std::move(line), item, index, true);
}

std::unique_ptr<Command> MakeInsert(std::unique_ptr<TMoji> label, size_t index) {
  TMoji* item = label.get();
  return std::make_unique<Move<TMoji>>(std::move(label), item, index, true);
}

std::unique_ptr<Command> MakeRemove(const LineList& lines, const LineRecord& line) {
  return RemoveOf(lines, line);
}

std::unique_ptr<Command> MakeRemove(const TextList& texts, const TMoji& label) {
  return RemoveOf(texts, label);
}

std::unique_ptr<Command> MakeChange(const LineList& lines, const LineRecord& line,
                                    const LineRecord& to) {
  return ChangeOf(lines, line, to);
}

std::unique_ptr<Command> MakeChange(const TextList& texts, const TMoji& label, const TMoji& to) {
  return ChangeOf(texts, label, to);
}

std::unique_ptr<Command> MakeClear() { return std::make_unique<Clear>(); }

std::unique_ptr<Command> MakeReplace(qtk::Bitmap& with, bool keepMarks, std::string fileName,
                                     std::string caption) {
  return std::make_unique<Replace>(with, keepMarks, std::move(fileName), std::move(caption));
}

}  // namespace quillora
