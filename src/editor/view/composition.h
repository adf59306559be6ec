#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "editor/logic/paint_boxes.h"
#include "editor/model/document.h"
#include "toolkit/bitmap.h"

namespace quillora {

// What the document looks like, without a window. The picture is the base picture with every
// line, in list order, then every label drawn over it in their own colours: what a file, the
// paper and the colour pick get. While the document has no mark it is the base picture itself;
// the composed frame is made when the first mark arrives and given back when the last goes.
// The screen shows the picture with two overlays that no file gets: the selected annotation in
// its selected form, and the text-point marker.
class Composition {
 public:
  Composition();
  ~Composition();
  Composition(const Composition&) = delete;
  Composition& operator=(const Composition&) = delete;

  // Brings the picture up to date with the document, redrawing only what `damage` touched, and
  // returns the rectangles of the screen whose pixels changed: those of the picture, of the
  // selection shown and of the marker.
  const std::vector<Box>& Update(const Document& doc, const Damage& damage);
  // The next update draws everything (what the labels' system colours resolve to changed).
  void RedrawAll() { all_ = true; }

  // The picture as of the last update.
  const qtk::Bitmap& Picture() const;
  bool HoldsFrame() const { return !frame_.Empty(); }
  qtk::Color PixelAt(int32_t x, int32_t y) const;

  // The text-point marker: a bar 4 pixels wide from (x, y) down `height` pixels, inverting
  // what it lies on. It shows from the next update until one after HideMarker.
  void ShowMarker(int32_t x, int32_t y, int32_t height);
  void HideMarker() { marker_.reset(); }

  // Paints the part `area` of the screen into `dc`, in picture coordinates, as of the last
  // update: the picture, then the selected annotation's rectangles drawn again as a whole pass
  // with it in its selected form would draw them, then the marker.
  void Paint(HDC dc, const Box& area);

  // A surface to measure labels on (a label's hit test), with the picture's fonts.
  qtk::Canvas& Measuring() { return measure_.GetCanvas(); }

 private:
  struct Marker {
    int64_t x, top, bottom;
    bool operator==(const Marker&) const = default;
    Box Bounds() const;
  };
  // Every pixel a label can paint, at its place.
  Box LabelBox(const TMoji& label);
  // Rectangles of the picture the selected annotation shown can paint.
  void AddSelectedBoxes(const Box& clip, std::vector<Box>& boxes);
  void ComposeWhole();
  void Recompose();
  // Draws into `canvas` the base picture and every annotation that can reach `clip`'s
  // rectangles, clipped to them; `selected` ones in their selected form.
  void DrawOver(qtk::Bitmap& into, const std::vector<Box>& clip, bool selectedForms);

  const Document* doc_ = nullptr;
  qtk::Bitmap frame_;    // the composed picture, while there are marks
  qtk::Bitmap scratch_;  // the selected annotation's rectangles, for the screen
  qtk::Bitmap measure_;
  bool all_ = true;
  uint64_t version_ = UINT64_MAX;
  Box picture_;
  std::vector<Box> dirty_;    // the picture's rectangles that the update redraws
  std::vector<Box> changed_;  // what the update tells the screen
  // What the screen showed at the last update besides the picture.
  const LineRecord* shownLineRecord_ = nullptr;
  const TMoji* shownLabelRecord_ = nullptr;
  std::optional<LineRecord> shownLine_;
  std::optional<TMoji> shownLabel_;
  std::optional<Marker> marker_, shownMarker_;
  // The painted rectangle of a label at (0, 0), by its text and font: measuring needs the font
  // made and selected, which a drag over fifty labels cannot afford on every move.
  std::unordered_map<std::string, Box> extents_;
};

}  // namespace quillora
