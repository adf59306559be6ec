// Saving and the close question.
#include "editor/editor.h"

namespace quillora {

void TScrivletForm1::ActSaveExecute() {}
void TScrivletForm1::ActSaveAsExecute() {}
void TScrivletForm1::ActExitExecute() { Close(); }
void TScrivletForm1::SaveJpeg() {}
void TScrivletForm1::SaveBitmap() {}
void TScrivletForm1::FormCloseQuery(bool& canClose) {}
void TScrivletForm1::FormClose() {
  if (closeLauncher) closeLauncher();
}

}  // namespace quillora
