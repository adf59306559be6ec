// The palette: colour grid, colour and font dialogs, line width, hints.
#include "editor/editor.h"

namespace quillora {

void TScrivletForm1::ColorGrid1Click() {}
void TScrivletForm1::ActColorExecute() {}
void TScrivletForm1::ActFontColorExecute() {}
void TScrivletForm1::ActBKColorExecute() {}
void TScrivletForm1::ActFontExecute() {}
void TScrivletForm1::SpinEdit1Change() {}
void TScrivletForm1::SpinEdit1Click() {}
void TScrivletForm1::ApplicationEvents1Hint(const std::string& hint) {}
void TScrivletForm1::HideDisplayCaret() {}

}  // namespace quillora
