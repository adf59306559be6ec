#pragma once
#include <windows.h>

#include <functional>

namespace quillora::testing_support {

// The first window below `parent`, at any depth, that `match` accepts; null when none does.
HWND FindDescendant(HWND parent, const std::function<bool(HWND)>& match);

// The preview pane of the program's picture dialogs (it lies in a template inside the dialog).
inline HWND PreviewPane(HWND dialog) {
  return FindDescendant(dialog, [](HWND h) { return GetDlgCtrlID(h) == 0x0B00; });
}

}  // namespace quillora::testing_support
