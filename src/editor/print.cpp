// Printing the composed picture on one page.
#include "editor/editor.h"

namespace quillora {

void TScrivletForm1::ActPrintExecute() {}

}  // namespace quillora
