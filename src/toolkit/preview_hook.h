#pragma once
#include <windows.h>

#include <commdlg.h>

#include <memory>

namespace qtk {

// The preview pane of the open and save picture dialogs: the picture that is selected, read
// without keeping the dialog waiting. The program that uses it links picture_dialog.rc, which
// holds the pane's child dialog.
class PreviewHook {
 public:
  PreviewHook();
  ~PreviewHook();
  PreviewHook(const PreviewHook&) = delete;
  PreviewHook& operator=(const PreviewHook&) = delete;

  // Sets the dialog's hook and child dialog; the hook must outlive the dialog.
  void Attach(OPENFILENAMEA& ofn);

 private:
  class Pane;
  std::unique_ptr<Pane> pane_;
};

}  // namespace qtk
