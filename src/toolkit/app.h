#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>

namespace qtk {

class Window;

// The application object: message loop, title, hint, commands and the standard error display.
class Application {
 public:
  static Application& Get();

  void Initialize(HINSTANCE instance);
  HINSTANCE Instance() const { return instance_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }

  // The first form registered becomes the main window: closing it ends the loop.
  void SetMainWindow(Window* w) { main_ = w; }
  Window* MainWindow() const { return main_; }

  // Shows the main window and handles messages until the program is told to quit.
  int Run();
  // Handles every pending message and returns when none is left.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Standard error display: a box titled with the application title, error icon, OK.
  void ShowException(const std::exception& e) noexcept;
  // For catch (...) at a callback boundary.
  void HandleCurrentException() noexcept;

  // The current hint: the long part of "short|long" (the whole text when it has no "|").
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  std::function<void(const std::string& longHint)> onHint;

  // Menu items and accelerators arrive as WM_COMMAND ids registered here: a fixed id (below
  // 1000, and not in use) or, for 0, the next free one counted from 1000.
  unsigned RegisterCommand(std::function<void()> run, std::string hint, unsigned id = 0);
  void UnregisterCommand(unsigned id);
  bool RunCommand(unsigned id);
  std::string CommandHint(unsigned id) const;

  // Every modal box of the toolkit goes through here; tests install `messageBoxHook`.
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
  std::function<int(const std::string& text, const std::string& caption, UINT type)> messageBoxHook;

 private:
  bool PreTranslate(MSG& msg);
  void Dispatch(MSG& msg);

  HINSTANCE instance_ = nullptr;
  std::string title_;
  std::string hint_;
  Window* main_ = nullptr;
  bool terminated_ = false;
  unsigned nextCommand_ = 1000;
  struct Command {
    std::function<void()> run;
    std::string hint;
  };
  std::map<unsigned, Command> commands_;
};

// Long part of a hint "short|long", or the whole text when there is no "|".
std::string LongHint(const std::string& hint);
std::string ShortHint(const std::string& hint);

}  // namespace qtk
