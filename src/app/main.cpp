// Program entry: the application object, the editor, the message loop.
#include <windows.h>

#include <shellapi.h>

#include "editor/editor.h"
#include "toolkit/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qtk::Application& app = qtk::Application::Get();
  app.Initialize(instance);
  app.SetTitle("Quillora");
  std::string firstArg = __argc > 1 ? __argv[1] : "";
  quillora::TScrivletForm1 editor;
  try {
    editor.Create(firstArg);
  } catch (...) {
    app.HandleCurrentException();
  }
  app.SetMainWindow(&editor);
  editor.ActNewExecute();
  return app.Run();
}
