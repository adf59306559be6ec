// Program entry: the application object, the launcher (the main window), the editor, the loop.
#include <windows.h>

#include <shellapi.h>

#include "editor/editor.h"
#include "launcher/launcher.h"
#include "toolkit/app.h"
#include "toolkit/metafile.h"
#include "toolkit/screen_copy.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Started again as the metafile player: it plays and ends, with no window.
  if (const int code = qtk::RunMetafilePlayerIfAsked(__argc, __argv); code >= 0) return code;
  qtk::Application& app = qtk::Application::Get();
  app.Initialize(instance);
  app.SetTitle("Quillora");
  // Where the system leaves Print Screen unanswered, the program answers it itself.
  qtk::PrintScreenStandIn printScreen;
  std::string firstArg = __argc > 1 ? __argv[1] : "";

  // Destroyed in reverse order when the loop ends: the editor releases its document first, then
  // the launcher removes its icon.
  quillora::TScrivletForm0 launcher;
  quillora::TScrivletForm1 editor;
  editor.closeLauncher = [&launcher] { launcher.Close(); };
  editor.showLauncher = [&launcher] { launcher.Show(); };
  try {
    launcher.Create(&editor);
    app.SetMainWindow(&launcher);
    editor.Create(firstArg);
  } catch (...) {
    app.HandleCurrentException();
  }
  if (!launcher.Handle()) return 1;
  // A name the editor cannot open ends the program during start-up: the launcher is never shown.
  if (app.Terminated()) return 0;
  return app.Run();
}
