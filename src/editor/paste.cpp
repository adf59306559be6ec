// Pasting the clipboard picture, and the version box.
#include <windows.h>

#include "editor/editor.h"
#include "toolkit/clipboard.h"
#include "toolkit/dialogs.h"
#include "toolkit/metafile.h"

namespace quillora {

namespace {

const char* const kVersionText =
    "Quillora　バージョン 1.8\r\nCopyright (C) Quillora 開発チーム All rights reserved.";

}  // namespace

// The clipboard bitmap goes straight into the base image: the reader checks every handle before
// it touches the bitmap, so a failed read leaves the document as it was.
void TScrivletForm1::ActPastExecute() {
  const qtk::ClipboardPicture picture = qtk::ReadClipboardPicture(Handle(), baseImage);
  if (picture.kind == qtk::ClipboardPicture::Kind::Metafile) {
    // Drawn at its own size over the former picture, as opening a metafile file does.
    qtk::Metafile metafile(picture.metafile, picture.width, picture.height);
    baseImage.SetSize(metafile.Width(), metafile.Height());
    metafile.Play(baseImage.DC(), RECT{0, 0, metafile.Width(), metafile.Height()});
  }
  Image1.SetSize(baseImage.Width(), baseImage.Height());
  SizeToBase();
  Image1.Hide();
  ComposePicture();
}

void TScrivletForm1::ActVerExecute() {
  qtk::ShowAbout(Handle(), "Quillora", kVersionText, icon_.get());
  FColorButton.SetFocus();
}

}  // namespace quillora
