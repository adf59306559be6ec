// The way to the screen: every change ends in one refresh, which brings the composition up to
// date and invalidates what changed; painting copies what the composition shows.
#include <windows.h>

#include "editor/editor.h"

namespace quillora {

void TScrivletForm1::ComposePicture() {
  if (toolMode != kToolTextPoint) view.HideMarker();
  for (const Box& b : view.Update(doc, doc.TakeDamage())) {
    if (!PB1.Handle()) break;
    const RECT r = ToRect(b);
    InvalidateRect(PB1.Handle(), &r, FALSE);
  }
}

void TScrivletForm1::ComposeFull() {
  view.RedrawAll();
  ComposePicture();
}

void TScrivletForm1::PB1Paint(HDC dc, const RECT& area) {
  view.Paint(dc, Box{area.left, area.top, area.right, area.bottom});
}

const qtk::Bitmap& TScrivletForm1::WrittenPicture() {
  ComposePicture();
  return view.Picture();
}

}  // namespace quillora
