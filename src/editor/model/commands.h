#pragma once
#include <memory>
#include <string>

#include "editor/model/document.h"

namespace quillora {

// The kinds of change. Each maker returns nothing when the change would change nothing.

// An annotation that enters its list at `index`.
std::unique_ptr<Command> MakeInsert(std::unique_ptr<LineRecord> line, size_t index);
std::unique_ptr<Command> MakeInsert(std::unique_ptr<TMoji> label, size_t index);
// An annotation of the list that leaves it.
std::unique_ptr<Command> MakeRemove(const LineList& lines, const LineRecord& line);
std::unique_ptr<Command> MakeRemove(const TextList& texts, const TMoji& label);
// An annotation of the list that takes the fields of `to`: moved, restyled, rewritten.
std::unique_ptr<Command> MakeChange(const LineList& lines, const LineRecord& line,
                                    const LineRecord& to);
std::unique_ptr<Command> MakeChange(const TextList& texts, const TMoji& label, const TMoji& to);
// Both lists emptied.
std::unique_ptr<Command> MakeClear();
// A new base picture (taken out of `with`), with or without the annotations, under a file name
// and a caption.
std::unique_ptr<Command> MakeReplace(qtk::Bitmap& with, bool keepMarks, std::string fileName,
                                     std::string caption);

}  // namespace quillora
