// A shown form and pointer helpers for the toolkit's window tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/app.h"
#include "toolkit/window.h"

namespace qtk_test {

inline LPARAM Lp(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

inline void Pump() { qtk::Application::Get().ProcessMessages(); }

// A visible top-level window at the screen's corner that reports the messages it gets.
class TestForm : public qtk::Form {
 public:
  TestForm() {
    CreateForm("QtkControlsTestForm", "controls", WS_OVERLAPPEDWINDOW, 0, 640, 480, nullptr);
    GetWindowRect(hwnd_, &initial_);
    Reset();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
  }
  void Reset() {
    onMessage = nullptr;
    SetWindowPos(hwnd_, nullptr, 0, 0, initial_.right - initial_.left,
                 initial_.bottom - initial_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::function<void(UINT, WPARAM, LPARAM)> onMessage;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (onMessage) onMessage(msg, wp, lp);
    return Form::OnMessage(msg, wp, lp);
  }

 private:
  RECT initial_{};
};

// One form for the whole run, never hidden: without a window manager Wine waits two seconds
// whenever a shown top-level window goes away.
inline TestForm& SharedForm() {
  static TestForm* form = new TestForm;
  form->Reset();
  return *form;
}

inline POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

inline void LeftClick(HWND hwnd, POINT pt) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(pt.x, pt.y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, Lp(pt.x, pt.y));
}

// Collects the boxes that the standard error display shows.
class BoxCatcher {
 public:
  BoxCatcher() : saved_(qtk::Application::Get().messageBoxHook) {
    qtk::Application::Get().messageBoxHook = [this](const std::string& text, const std::string&,
                                                    UINT) {
      texts.push_back(text);
      return IDOK;
    };
  }
  ~BoxCatcher() { qtk::Application::Get().messageBoxHook = saved_; }
  std::vector<std::string> texts;

 private:
  std::function<int(const std::string&, const std::string&, UINT)> saved_;
};

}  // namespace qtk_test
