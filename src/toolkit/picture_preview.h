#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/bitmap.h"

namespace qtk {

// What the picture dialogs show of the chosen file: the picture shrunk to fit the pane (never
// enlarged) under a line with its size in pixels. Files are read with our own readers, told
// apart by their first bytes; a JPEG is decoded at a reduced scale, so that a large one shows at
// once. Whatever cannot be read leaves the pane empty. Movable, so that a preview read away from
// the dialog's thread can be handed to it.
class PicturePreview {
 public:
  static constexpr int kCaptionHeight = 18;

  // Reads a BMP, JPEG or metafile for a pane of that size; false, and an empty pane, on failure.
  // A metafile is played by the player process; `cancel`, an event, gives up on it early.
  bool Load(const std::string& path, int paneWidth, int paneHeight,
            HANDLE cancel = nullptr) noexcept;
  void Clear() noexcept;
  bool Empty() const { return !picture_; }
  // "640 x 480", the picture's own size; empty with no picture.
  const std::string& Caption() const { return caption_; }
  // The picture as fitted to the pane.
  const Bitmap* Picture() const { return picture_.get(); }
  // The pane's face: the caption on top, the picture centred in the rest (in the DC's font).
  void Paint(HDC dc, const RECT& pane) const;

 private:
  void Read(const std::string& path, int boxWidth, int boxHeight, HANDLE cancel);

  std::unique_ptr<Bitmap> picture_;
  std::string caption_;
};

}  // namespace qtk
