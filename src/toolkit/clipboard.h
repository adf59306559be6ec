#pragma once
#include <windows.h>

#include <string>

#include "toolkit/bitmap.h"
#include "toolkit/metafile.h"

namespace qtk {

// What the clipboard picture carrier took from the clipboard.
struct ClipboardPicture {
  enum class Kind { None, Bitmap, Metafile } kind = Kind::None;
  int width = 0, height = 0;
  MetafileBits
      metafile;  // when kind is Metafile; failing to play it is "未対応のクリップボード データです"
};

// Reads the first picture format (CF_BITMAP with CF_PALETTE, CF_METAFILEPICT, CF_ENHMETAFILE) in
// the clipboard's enumeration order, or else a registered "PNG" (decoded by the system's imaging
// component, transparency over white). A bitmap or PNG is read into `bitmap`, whose pixels are
// unspecified after a failure (read into a spare); a metafile is returned as its bytes, to be
// played with PlayMetafile. Throws Error with:
//   "クリップボードを開くことができません" when the clipboard cannot be opened,
//   "無効なクリップボード フォーマットです" when no picture format is present,
//   "未対応のクリップボード データです" when a listed format gives no data or no readable picture.
ClipboardPicture ReadClipboardPicture(HWND owner, Bitmap& bitmap);

// Puts a copy of a bitmap on the clipboard as CF_BITMAP (used where the system does not copy the
// screen for the Print Screen key).
void PutBitmapOnClipboard(HWND owner, HBITMAP bitmap);

}  // namespace qtk
