// Buttons, check boxes, radio groups, edits, spin buttons and the status bar.
#include "toolkit/controls.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "toolkit/action.h"
#include "toolkit/app.h"

namespace qtk {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

void SendFont(HWND target, HWND source) {
  SendMessageA(target, WM_SETFONT, SendMessageA(source, WM_GETFONT, 0, 0), TRUE);
}

}  // namespace

// --- Button ---

void Button::Create(HWND parent, int x, int y, int width, int height, const std::string& caption) {
  CreateSystem("BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, parent, x, y, width, height,
               caption);
}

void Button::SetAction(Action* action) {
  action_ = action;
  if (!action) return;
  // The button keeps the caption it was created with; hint and state follow the action.
  auto follow = [](Button& b, const Action& a) {
    b.SetHint(a.Hint());
    b.SetEnabled(a.Enabled());
    b.SetVisible(a.Visible());
  };
  follow(*this, *action);
  // The action outlives no one in particular: look the button up by handle so that a destroyed
  // button is simply skipped.
  action->AddObserver([hwnd = hwnd_, action, follow] {
    auto* self = dynamic_cast<Button*>(Window::FromHandle(hwnd));
    if (self && self->action_ == action) follow(*self, *action);
  });
}

void Button::Click() {
  if (!hwnd_ || !IsWindowEnabled(hwnd_)) return;
  if (action_) {
    action_->Execute();
  } else if (onClick) {
    auto run = onClick;  // the handler may replace itself
    run();
  }
}

bool Button::OnCommand(WORD code, WORD id) {
  if (code != BN_CLICKED) return false;
  Click();
  return true;
}

// --- CheckBox ---

void CheckBox::Create(HWND parent, int x, int y, int width, int height,
                      const std::string& caption) {
  CreateSystem("BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, x, y, width, height,
               caption);
}

void CheckBox::SetChecked(bool checked) {
  SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::Checked() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool CheckBox::OnCommand(WORD code, WORD id) {
  if (code != BN_CLICKED) return false;
  if (onClick) {
    auto run = onClick;
    run();
  }
  return true;
}

// --- RadioGroup ---

int CaptionWidth(HWND control) {
  char text[256] = {};
  const int length = GetWindowTextA(control, text, sizeof(text));
  HDC dc = GetDC(control);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

// The group box is the radio buttons' parent, so they form one auto-radio group of siblings.
void RadioGroup::Create(HWND parent, int x, int y, int width, int height,
                        const std::string& caption, const std::vector<std::string>& items) {
  CreateSystem("BUTTON", kChild | WS_CLIPCHILDREN | BS_GROUPBOX, 0, parent, x, y, width, height,
               caption);
  buttons_.clear();
  if (items.empty()) return;
  const int n = static_cast<int>(items.size());
  for (int i = 0; i < n; ++i) {
    DWORD style = kChild | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    HWND b = CreateWindowExA(0, "BUTTON", items[i].c_str(), style, 0, 0, 0, 0, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                             Application::Get().Instance(), nullptr);
    if (!b) throw std::runtime_error("cannot create radio button");
    SendFont(b, hwnd_);
    buttons_.push_back(b);
  }
  const int top = 18, bottom = 6, left = 8;
  const int step = std::max(16, (height - top - bottom) / n);
  PlaceItems(left, top, step, std::max(0, width - 2 * left), std::min(step, 20));
}

// Fonts do not grow exactly with the density (a 15-pixel face may be as wide as a 16-pixel one), so
// an item whose caption outgrows its scaled width takes room from the group's margins, within the
// box's frame; at 96 dpi, or while the caption fits, the item keeps its scaled rectangle.
void RadioGroup::PlaceItems(int left, int top, int step, int width, int height) {
  items_ = {left, top, step, width, height};
  RECT box{};
  GetClientRect(hwnd_, &box);
  const int frame = 2;
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
    int x = Scale(left), w = Scale(width);
    const int need = CaptionWidth(buttons_[i]);
    if (Dpi() != kDesignDpi && need > w) {
      const int right = std::min<int>(x + need, std::max<int>(x + w, box.right - frame));
      x = std::min(x, std::max(frame, right - need));
      w = right - x;
    }
    SetWindowPos(buttons_[i], nullptr, x, Scale(top + i * step), w, Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void RadioGroup::OnDpiChanged() {
  Window::OnDpiChanged();
  PlaceItems(items_.left, items_.top, items_.step, items_.width, items_.height);
}

void RadioGroup::SetItemIndex(int index) {
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
    SendMessageA(buttons_[i], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

int RadioGroup::ItemIndex() const {
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
    if (SendMessageA(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  return -1;
}

LRESULT RadioGroup::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFONT: {
      LRESULT r = Default(msg, wp, lp);
      for (HWND b : buttons_) SendMessageA(b, WM_SETFONT, wp, lp);
      return r;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // The radio buttons take the group's colours.
      if (std::find(buttons_.begin(), buttons_.end(), reinterpret_cast<HWND>(lp)) != buttons_.end())
        if (HBRUSH b = OnCtlColor(reinterpret_cast<HDC>(wp))) return reinterpret_cast<LRESULT>(b);
      break;
    case WM_NCDESTROY:
      buttons_.clear();
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

// --- Edit ---

void Edit::Create(HWND parent, int x, int y, int width, int height, Args args) {
  args_ = args;
  // Read-only displays are skipped by Tab.
  DWORD style = kChild | ES_AUTOHSCROLL | (args.readOnly ? ES_READONLY : WS_TABSTOP);
  CreateSystem("EDIT", style, args.border ? WS_EX_CLIENTEDGE : 0, parent, x, y, width, height);
  FitToFont();
}

// The height follows the font (in place: the window stays re-laid at a change of density).
void Edit::FitToFont() {
  if (args_.autoSize && hwnd_)
    SetWindowPos(hwnd_, nullptr, 0, 0, Width(), FitHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Edit::OnDpiChanged() {
  Window::OnDpiChanged();
  FitToFont();
}

int Edit::FitHeight() const {
  WindowDC dc(hwnd_);
  auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  SelectScope scope(dc.get(), font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc.get(), &tm);
  // A sunken edge on each side and a pixel of air between it and the text.
  int frame = args_.border ? 2 * GetSystemMetrics(SM_CYEDGE) + 2 : 0;
  return tm.tmHeight + frame;
}

void Edit::SetFont(const FontSpec& font) {
  Window::SetFont(font);
  FitToFont();
}

bool Edit::OnCommand(WORD code, WORD id) {
  if (code != EN_CHANGE) return false;
  if (onChange) {
    auto run = onChange;
    run();
  }
  return true;
}

// A click is a left release over the edit, after the edit has let go of the pointer, so that
// the handler may open a dialog.
LRESULT Edit::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETCURSOR && args_.readOnly && LOWORD(lp) == HTCLIENT) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));  // a display, not a place to type
    return TRUE;
  }
  if (msg == WM_LBUTTONUP) {
    LRESULT r = Default(msg, wp, lp);
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (onClick && PtInRect(&rc, pt)) {
      auto run = onClick;
      run();
    }
    return r;
  }
  return Window::OnMessage(msg, wp, lp);
}

// --- Memo ---

void Memo::Create(HWND parent, int x, int y, int width, int height) {
  DWORD style = kChild | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY;
  CreateSystem("EDIT", style, WS_EX_CLIENTEDGE, parent, x, y, width, height);
}

LRESULT Memo::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
  }
  if (msg == WM_GETDLGCODE)  // a multi-line edit asks for every key, Tab included
    return Default(msg, wp, lp) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
  return Window::OnMessage(msg, wp, lp);
}

// --- SpinEdit ---

// The up-down control keeps a wide range of its own and never moves (we refuse every change),
// so that it always offers both directions; the value lives here.
void SpinEdit::Create(HWND parent, int x, int y, int width, int height, int min, int max,
                      int value) {
  min_ = std::min(min, max);
  max_ = std::max(min, max);
  value_ = std::clamp(value, min_, max_);
  CreateSystem(UPDOWN_CLASSA, kChild | UDS_ARROWKEYS, 0, parent, x, y, width, height);
  SendMessageA(hwnd_, UDM_SETRANGE32, static_cast<WPARAM>(-1000), 1000);
  SendMessageA(hwnd_, UDM_SETPOS32, 0, 0);
  OnDpiChanged();  // the control made itself as narrow as its class likes on creation
}

// The theme draws the arrows at their 96-dpi size: elsewhere the buttons draw them plainly, at
// the size of the buttons (a blank name turns the theme off; an empty one does not under Wine).
void SpinEdit::OnDpiChanged() {
  Window::OnDpiChanged();
  const wchar_t* plain = Dpi() == kDesignDpi ? nullptr : L" ";
  SetWindowTheme(hwnd_, plain, plain);
}

void SpinEdit::SetValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  if (onChange) {
    auto run = onChange;
    run();
  }
}

bool SpinEdit::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->code != UDN_DELTAPOS) return false;
  auto* ud = reinterpret_cast<NMUPDOWN*>(header);
  int step = ud->iDelta > 0 ? 1 : ud->iDelta < 0 ? -1 : 0;
  result = 1;  // the control keeps its own position
  if (step) SetValue(value_ + step);
  return true;
}

LRESULT SpinEdit::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    LRESULT r = Default(msg, wp, lp);
    if (onClick) {
      auto run = onClick;
      run();
    }
    return r;
  }
  return Window::OnMessage(msg, wp, lp);
}

// --- StatusBar ---

void StatusBar::Create(HWND parent, const std::vector<int>& widths) {
  CreateSystem(STATUSCLASSNAMEA, kChild | CCS_BOTTOM, 0, parent, 0, 0, 0, 0);
  SetDesignPlacement(DesignPlacement::None);  // it sits on its parent's bottom edge by itself
  widths_ = widths;
  ApplyParts();
  texts_.assign(std::max<size_t>(1, widths_.size()), std::string());
  SendMessageA(hwnd_, WM_SIZE, 0, 0);
}

void StatusBar::ApplyParts() {
  std::vector<int> edges;
  int right = 0;
  for (size_t i = 0; i < widths_.size(); ++i) {
    right += widths_[i];
    // The last panel reaches the right edge of the bar.
    edges.push_back(i + 1 == widths_.size() ? -1 : Scale(right));
  }
  if (edges.empty()) edges.push_back(-1);
  SendMessageA(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::OnDpiChanged() {
  Window::OnDpiChanged();
  ApplyParts();
  SendMessageA(hwnd_, WM_SIZE, 0, 0);
}

void StatusBar::SetPanelText(int panel, const std::string& text, bool centred) {
  if (panel < 0 || panel >= static_cast<int>(texts_.size())) return;
  texts_[panel] = text;
  std::string shown = centred ? "\t" + text : text;
  SendMessageA(hwnd_, SB_SETTEXTA, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(shown.c_str()));
}

std::string StatusBar::PanelText(int panel) const {
  if (panel < 0 || panel >= static_cast<int>(texts_.size())) return {};
  return texts_[panel];
}

}  // namespace qtk
