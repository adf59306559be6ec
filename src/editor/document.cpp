// The document: creation, clearing, the composition pass, deselecting, new and reload.
#include <windows.h>

#include <shellapi.h>

#include "editor/editor.h"
#include "toolkit/app.h"

namespace quillora {

void TScrivletForm1::FormCreate(const std::string& commandLineFile) {
  lines.clear();
  texts.clear();
  SetText("　Quillora　　");
  DragAcceptFiles(Handle(), TRUE);
  InsText.SetText("");
  toolMode = kToolNone;
  dragging = false;
  ActSave.SetEnabled(false);
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
}

void TScrivletForm1::FormDestroy() {
  ClearAnnotations();
}

void TScrivletForm1::ClearAnnotations() {
  lines.clear();
  texts.clear();
  selectedLine = nullptr;
  selectedText = nullptr;
  gestureLine = nullptr;  // a gesture under way has lost its record
}

void TScrivletForm1::ComposePicture() {
  if (composedImage.Empty()) return;
  qtk::Canvas& canvas = composedImage.GetCanvas();
  canvas.Draw(0, 0, baseImage.DC(), baseImage.Width(), baseImage.Height());
  for (const auto& line : lines) DrawLine(*line, line.get() == selectedLine);
  for (const auto& text : texts) text->Draw(canvas, text.get() == selectedText);
  if (PB1.Handle())
    PB1.GetCanvas().Draw(0, 0, composedImage.DC(), composedImage.Width(), composedImage.Height());
}

void TScrivletForm1::DeselectAll() {
  InsText.SetText("");
  TextOKButton.SetEnabled(false);
  selectedLine = nullptr;
  selectedText = nullptr;
  ComposePicture();
}

void TScrivletForm1::PB1Paint() { ComposePicture(); }

void TScrivletForm1::ActNewExecute() { LoadPicture(""); }

void TScrivletForm1::ActReloadExecute() {
  LoadPicture("");
  FColorButton.SetFocus();
  Hide();
  if (showLauncher) showLauncher();
}

void TScrivletForm1::SizeToBase() {
  PB1.SetSize(baseImage.Width(), baseImage.Height());
  composedImage.SetSize(baseImage.Width(), baseImage.Height());
  ScrollBox1.SetContentSize(baseImage.Width(), baseImage.Height());
}

LRESULT TScrivletForm1::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
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
