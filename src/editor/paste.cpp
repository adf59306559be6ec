// Pasting the clipboard picture, and the version box.
#include <windows.h>

#include "editor/editor.h"
#include "toolkit/clipboard.h"
#include "toolkit/dialogs.h"

namespace quillora {

namespace {

const char* const kVersionText =
    "Quillora　バージョン 1.8\r\nCopyright (C) Quillora 開発チーム All rights reserved.";

}  // namespace

// The clipboard picture is read into a spare and becomes the base image only when reading has
// succeeded, so a failed paste leaves the document as it was. A new picture is a change to save.
void TScrivletForm1::ActPastExecute() {
  ReplaceBase(
      [&](qtk::Bitmap& into) {
        const qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(Handle(), into);
        if (picture.kind == qtk::ClipboardPicture::Kind::Metafile) {
          // Drawn at its own size over white, as opening a metafile file does.
          into.CopyResized(qtk::Bitmap(), picture.width, picture.height);
          qtk::PlayMetafile(picture.metafile, into);
        }
      },
      true, doc.FileName(), doc.Caption());
  Image1.SetSize(doc.Base().Width(), doc.Base().Height());
  Image1.Hide();
  ComposePicture();
}

void TScrivletForm1::ActVerExecute() {
  qtk::ShowAbout(Handle(), "Quillora", kVersionText, icon_.get());
  FColorButton.SetFocus();
}

}  // namespace quillora
