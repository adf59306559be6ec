#include "toolkit/app.h"

#include <commctrl.h>

#include <stdexcept>

#include "toolkit/dialog_keys.h"
#include "toolkit/logic/error_text.h"
#include "toolkit/window.h"

namespace qtk {

Application& Application::Get() {
  static Application app;
  return app;
}

void Application::Initialize(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                            ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

int Application::Run() {
  terminated_ = false;
  if (main_) main_->Show();
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      terminated_ = true;
      return static_cast<int>(msg.wParam);
    }
    if (got < 0) break;
    Dispatch(msg);
  }
  return 0;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
      return;
    }
    Dispatch(msg);
  }
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

namespace {

// Enter in a control that names a button (itself or through a window it sits in) clicks that
// button when it is enabled; the key goes no further, so the control does not beep.
bool PressEnterButton(HWND form, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || GetKeyState(VK_CONTROL) < 0 ||
      GetKeyState(VK_MENU) < 0)
    return false;
  for (HWND h = GetFocus(); h && h != form && IsChild(form, h); h = GetParent(h)) {
    Window* w = Window::FromHandle(h);
    if (!w || !w->EnterButton()) continue;
    Window* button = w->EnterButton();
    if (button->Enabled() && button->Visible()) SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

// The pointer is over no client area: a form's title, menu bar or frame, a scroll bar, or no
// window of this program (a move into another client area of ours sets the hint anew).
bool PointerLeftClientAreas(const MSG& msg) {
  if (msg.message == WM_NCMOUSEMOVE)
    return !(GetWindowLongA(msg.hwnd, GWL_STYLE) & WS_CHILD) || msg.wParam == HTHSCROLL ||
           msg.wParam == HTVSCROLL;
  if (msg.message != WM_MOUSELEAVE) return false;
  POINT pt{};
  GetCursorPos(&pt);
  HWND under = WindowFromPoint(pt);
  DWORD process = 0;
  if (under) GetWindowThreadProcessId(under, &process);
  return process != GetCurrentProcessId();
}

}  // namespace

void Application::Dispatch(MSG& msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

// Hints under the pointer, then the accelerators of the form that holds the focus, then the
// keys that move between its controls (after the accelerators, so that no shortcut is lost).
bool Application::PreTranslate(MSG& msg) {
  try {
    if (msg.message == WM_MOUSEMOVE) {
      // Told when the pointer leaves this client area, which may be for no window of ours.
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, msg.hwnd, 0};
      TrackMouseEvent(&track);
    }
    if (PointerLeftClientAreas(msg)) SetHint("");
    if (msg.message == WM_MOUSEMOVE) {
      for (HWND h = msg.hwnd; h; h = GetParent(h)) {
        if (Window* w = Window::FromHandle(h)) {
          POINT pt{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
          if (h != msg.hwnd) MapWindowPoints(msg.hwnd, h, &pt, 1);
          std::string hint = w->HintAt(pt);
          if (!hint.empty() || !GetParent(h)) {
            SetHint(hint);
            break;
          }
        }
        if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
          SetHint("");
          break;
        }
      }
    }
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    auto* form = dynamic_cast<Form*>(Window::FromHandle(root));
    if (!form) return false;
    if (form->Accelerators() && TranslateAcceleratorA(root, form->Accelerators(), &msg))
      return true;
    if (PressEnterButton(root, msg)) return true;
    if (HandleDialogKey(root, msg)) return true;
  } catch (...) {
    HandleCurrentException();
    return true;
  }
  return false;
}

void Application::ShowException(const std::exception& e) noexcept {
  try {
    HWND owner = GetActiveWindow();
    ShowMessageBox(owner, ErrorDisplayText(e.what()), title_, MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

void Application::HandleCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(std::runtime_error("unknown error"));
  }
}

std::string LongHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string ShortHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

void Application::SetHint(const std::string& hint) {
  std::string text = LongHint(hint);
  if (text == hint_) return;
  hint_ = text;
  if (onHint) onHint(hint_);
}

unsigned Application::RegisterCommand(std::function<void()> run, std::string hint, unsigned id) {
  if (id >= 1000 || commands_.count(id)) throw std::logic_error("command id in use");
  if (id == 0) id = nextCommand_++;
  commands_[id] = Command{std::move(run), std::move(hint)};
  return id;
}

void Application::UnregisterCommand(unsigned id) { commands_.erase(id); }

bool Application::RunCommand(unsigned id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  auto run = it->second.run;  // the handler may unregister commands
  if (run) run();
  return true;
}

std::string Application::CommandHint(unsigned id) const {
  auto it = commands_.find(id);
  return it == commands_.end() ? std::string() : it->second.hint;
}

int Application::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                UINT type) {
  if (messageBoxHook) return messageBoxHook(text, caption, type);
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

}  // namespace qtk
