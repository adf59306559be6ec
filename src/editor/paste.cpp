// Pasting the clipboard picture, and the version box.
#include "editor/editor.h"

namespace quillora {

void TScrivletForm1::ActPastExecute() {}
void TScrivletForm1::ActVerExecute() {}

}  // namespace quillora
