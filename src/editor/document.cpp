// The document: creation, clearing, deselecting, repainting, new and reload.
#include <windows.h>

#include <shellapi.h>

#include "editor/editor.h"
#include "toolkit/app.h"

namespace quillora {

void TScrivletForm1::FormCreate(const std::string& commandLineFile) {
  SetText("　Quillora　　");
  DragAcceptFiles(Handle(), TRUE);
  InsText.SetText("");
  toolMode = kToolNone;
  dragging = false;
  commandState.saveEnabled = false;
  UpdateCommands();
  TextOKButton.SetEnabled(false);
  CenterOnScreen();
  LW.SetText(std::to_string(SpinEdit1.Value()));
  FName.SetText(InsText.Font().name);
  Hide();
  ShowWindow(Handle(), SW_HIDE);
  DWORD attributes = commandLineFile.empty() ? INVALID_FILE_ATTRIBUTES
                                             : GetFileAttributesA(commandLineFile.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  LoadPicture(exists ? commandLineFile : std::string());
  doc.ForgetHistory();  // loaded while hidden: the user never sees it, nothing goes back to it
}

void TScrivletForm1::FormDestroy() { ClearAnnotations(); }

void TScrivletForm1::ClearAnnotations() {
  EndGesture();  // a gesture under way loses its record
  doc.ClearAnnotations();
}

void TScrivletForm1::DeselectAll() {
  InsText.SetText("");
  TextOKButton.SetEnabled(false);
  doc.Deselect();
  ComposePicture();
}

void TScrivletForm1::ActNewExecute() { LoadPicture(""); }

void TScrivletForm1::ActReloadExecute() {
  LoadPicture("");
  FColorButton.SetFocus();
  Hide();
  if (showLauncher) showLauncher();
}

void TScrivletForm1::SizeToBase() {
  ScrollBox1.ScrollTo(0, 0);  // a new picture is shown from its top-left corner
  const qtk::Bitmap& base = doc.Base();
  PB1.SetSize(base.Width(), base.Height());
  ScrollBox1.SetContentSize(base.Width(), base.Height());
}

LRESULT TScrivletForm1::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_SYSCOLORCHANGE:  // labels may hold system colours: what they resolve to changed
      ComposeFull();
      return Form::OnMessage(msg, wp, lp);
    default:
      return Form::OnMessage(msg, wp, lp);
  }
}

void TScrivletForm1::PreviewKey(UINT msg, WPARAM key) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) FormKeyDown(static_cast<WORD>(key));
  if (msg == WM_KEYUP || msg == WM_SYSKEYUP) FormKeyUp(static_cast<WORD>(key));
}

bool TScrivletForm1::CloseQuery() {
  bool canClose = true;
  FormCloseQuery(canClose);
  return canClose;
}

void TScrivletForm1::OnClose() { FormClose(); }

}  // namespace quillora
