#include "toolkit/window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <map>
#include <string>

#include "toolkit/action.h"
#include "toolkit/app.h"
#include "toolkit/dialog_keys.h"

namespace qtk {

namespace {
const char* const kWindowProp = "qtk.window";
}

const char* RegisterWindowClass(const char* name, UINT style, HICON icon, HBRUSH background) {
  static std::map<std::string, bool> registered;
  if (registered[name]) return name;
  WNDCLASSEXA wc{sizeof(wc)};
  wc.style = style;
  wc.lpfnWndProc = Window::WindowProc;
  wc.hInstance = Application::Get().Instance();
  wc.hIcon = icon;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
  registered[name] = true;
  return name;
}

Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<Window*>(GetPropA(hwnd, kWindowProp)) : nullptr;
}

Window::~Window() {
  if (hwnd_) {
    HWND h = hwnd_;
    if (subclassed_) RemoveWindowSubclass(h, SubclassProc, 0);
    RemovePropA(h, kWindowProp);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

int SystemWindowDpi(HWND hwnd) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpi = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
    return reinterpret_cast<GetDpi>(reinterpret_cast<void*>(proc));
  }();
  if (hwnd && getDpi) return SaneDpi(static_cast<int>(getDpi(hwnd)));
  return SystemDpi();
}

// A process's system density is fixed for its life (a change of scaling takes a new sign-in).
int SystemDpi() {
  static const int dpi = [] {
    WindowDC screen(nullptr);
    return SaneDpi(GetDeviceCaps(screen.get(), LOGPIXELSY));
  }();
  return dpi;
}

namespace {

// The density a window is laid out for: its form's, else what the system says of the window.
int LayoutDpi(HWND hwnd) {
  if (auto* form = dynamic_cast<Form*>(Window::FromHandle(GetAncestor(hwnd, GA_ROOT))))
    return form->FormDpi();
  return SystemWindowDpi(hwnd);
}

}  // namespace

int Window::Dpi() const { return hwnd_ ? LayoutDpi(hwnd_) : SystemDpi(); }

RECT Window::ScaledDesign(HWND parent, int x, int y, int width, int height) {
  design_ = {x, y, width, height};
  if (!parent) return design_;
  designPlacement_ = DesignPlacement::Bounds;
  const int dpi = LayoutDpi(parent);
  return {ScaleToDpi(x, dpi), ScaleToDpi(y, dpi), ScaleToDpi(width, dpi), ScaleToDpi(height, dpi)};
}

void Window::OnDpiChanged() {
  const RECT& d = design_;
  if (designPlacement_ == DesignPlacement::Bounds)
    SetWindowPos(hwnd_, nullptr, Scale(d.left), Scale(d.top), Scale(d.right), Scale(d.bottom),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  else if (designPlacement_ == DesignPlacement::SizeOnly)
    SetWindowPos(hwnd_, nullptr, 0, 0, Scale(d.right), Scale(d.bottom),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  ApplyFont();
}

void Window::CreateCustom(const char* className, DWORD style, DWORD exStyle, HWND parent, int x,
                          int y, int width, int height, const std::string& text, UINT classStyle) {
  RegisterWindowClass(className, classStyle, nullptr, nullptr);
  const RECT r = ScaledDesign(parent, x, y, width, height);
  CreateWindowExA(exStyle, className, text.c_str(), style, r.left, r.top, r.right, r.bottom, parent,
                  nullptr, Application::Get().Instance(), this);
  if (!hwnd_) throw std::runtime_error(std::string("cannot create window ") + className);
}

void Window::CreateSystem(const char* className, DWORD style, DWORD exStyle, HWND parent, int x,
                          int y, int width, int height, const std::string& text) {
  const RECT r = ScaledDesign(parent, x, y, width, height);
  hwnd_ = CreateWindowExA(exStyle, className, text.c_str(), style, r.left, r.top, r.right, r.bottom,
                          parent, nullptr, Application::Get().Instance(), nullptr);
  if (!hwnd_) throw std::runtime_error(std::string("cannot create control ") + className);
  SetPropA(hwnd_, kWindowProp, this);
  SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
  subclassed_ = true;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  if (Dpi() != SystemDpi() || FontOwner()) ApplyFont();
}

// A control with no font of its own shows the font of the nearest window above it that has one
// (its form's, as a rule); none above it with one: the system's.
const Window* Window::FontOwner() const {
  for (HWND p = hwnd_ ? GetParent(hwnd_) : nullptr; p; p = GetParent(p))
    if (const Window* w = FromHandle(p); w && w->hasFont_) return w;
  return nullptr;
}

// Binds `this` from the creation parameters at WM_NCCREATE, then forwards to the member.
LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    if (self) {
      SetPropA(hwnd, kWindowProp, self);
      self->hwnd_ = hwnd;
    }
  }
  Window* self = FromHandle(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->Route(msg, wp, lp);
  } catch (...) {
    Application::Get().HandleCurrentException();
    return 0;
  }
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR ref) noexcept {
  auto* self = reinterpret_cast<Window*>(ref);
  try {
    return self->Route(msg, wp, lp);
  } catch (...) {
    Application::Get().HandleCurrentException();
    return 0;
  }
}

LRESULT Window::Default(UINT msg, WPARAM wp, LPARAM lp) {
  if (subclassed_) return DefSubclassProc(hwnd_, msg, wp, lp);
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

// Notifications go back to the control that raised them; menu and accelerator commands to the
// application's command table.
LRESULT Window::Route(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        if (Window* child = FromHandle(reinterpret_cast<HWND>(lp)); child && child != this)
          if (child->OnCommand(HIWORD(wp), LOWORD(wp))) return 0;
      } else if (Application::Get().RunCommand(LOWORD(wp))) {
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (Window* child = FromHandle(header->hwndFrom); child && child != this) {
        LRESULT result = 0;
        if (child->OnNotify(header, result)) return result;
      }
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lp)); child && child != this)
        if (HBRUSH b = child->OnCtlColor(reinterpret_cast<HDC>(wp)))
          return reinterpret_cast<LRESULT>(b);
      break;
    case WM_MENUSELECT:
      if (HIWORD(wp) == 0xFFFF && !lp)
        Application::Get().SetHint("");
      else if (HIWORD(wp) & MF_POPUP)
        Application::Get().SetHint("");
      else
        Application::Get().SetHint(Application::Get().CommandHint(LOWORD(wp)));
      break;
    case WM_CONTEXTMENU:
      if (popup_ && reinterpret_cast<HWND>(wp) == hwnd_) {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (lp == -1) {
          pt = {0, 0};
          ClientToScreen(hwnd_, &pt);
        }
        if (!popup_->IsEmpty()) popup_->Popup(hwnd_, pt.x, pt.y);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (onMouseDown) {
        MouseButton b = msg == WM_LBUTTONDOWN   ? MouseButton::Left
                        : msg == WM_RBUTTONDOWN ? MouseButton::Right
                                                : MouseButton::Middle;
        onMouseDown(b, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      }
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      // Key preview: the form sees the key before the focused control, which still gets it.
      if (auto* form = dynamic_cast<Form*>(FromHandle(GetAncestor(hwnd_, GA_ROOT)));
          form && form->KeyPreview())
        form->PreviewKey(msg, wp);
      break;
    case WM_NCDESTROY: {
      LRESULT r = Default(msg, wp, lp);
      HWND h = hwnd_;
      if (subclassed_) RemoveWindowSubclass(h, SubclassProc, 0);
      subclassed_ = false;
      RemovePropA(h, kWindowProp);
      hwnd_ = nullptr;
      OnDestroyed();
      return r;
    }
    default:
      break;
  }
  return OnMessage(msg, wp, lp);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

HBRUSH Window::OnCtlColor(HDC dc) {
  if (!hasColor_ && !hasFont_) return nullptr;
  if (hasFont_) SetTextColor(dc, ResolveColor(font_.color));
  uint32_t rgb = ResolveColor(background_);
  if (!backgroundBrush_ || rgb != brushRgb_) {
    backgroundBrush_.reset(CreateSolidBrush(rgb));
    brushRgb_ = rgb;
  }
  SetBkColor(dc, rgb);
  return backgroundBrush_.get();
}

void Window::SetVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
bool Window::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Window::SetBounds(int x, int y, int width, int height) {
  designPlacement_ = DesignPlacement::None;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetSize(int width, int height) {
  // A window that a bar places keeps its design width; its owner fits the rest after a re-lay.
  if (designPlacement_ != DesignPlacement::SizeOnly) designPlacement_ = DesignPlacement::None;
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

RECT Window::Bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (HWND parent = GetParent(hwnd_); parent && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
int Window::Width() const {
  RECT r = Bounds();
  return r.right - r.left;
}
int Window::Height() const {
  RECT r = Bounds();
  return r.bottom - r.top;
}

void Window::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

std::string Window::Text() const {
  int n = GetWindowTextLengthA(hwnd_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(hwnd_, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

void Window::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
bool Window::Enabled() const { return IsWindowEnabled(hwnd_); }
void Window::SetFocus() { ::SetFocus(hwnd_); }
bool Window::Focused() const { return hwnd_ && GetFocus() == hwnd_; }
void Window::Invalidate() { InvalidateRect(hwnd_, nullptr, TRUE); }

void Window::SetHint(std::string hint) {
  hint_ = std::move(hint);
  UpdateTooltip();
}

void Window::SetShowHint(bool show) {
  showHint_ = show;
  UpdateTooltip();
}

void Window::UpdateTooltip() {
  if (!hwnd_) return;
  auto* form = dynamic_cast<Form*>(FromHandle(GetAncestor(hwnd_, GA_ROOT)));
  if (!form || form == this) return;
  HWND tip = form->Tooltip();
  TOOLINFOA ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(hwnd_);
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  std::string text = ShortHint(hint_);
  if (!showHint_ || text.empty()) return;
  ti.lpszText = text.data();
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void Window::SetFont(const FontSpec& font) {
  font_ = font;
  hasFont_ = true;
  ApplyFont();
}

FontSpec Window::ScaledFont() const {
  FontSpec f = font_;
  f.height = Scale(f.height);
  return f;
}

// Our font at the window's density; a system control without one of ours gets the font of the
// window above it that has one, or else the system's GUI font, which is made for the system's
// density, grown or shrunk to the window's.
void Window::ApplyFont() {
  if (!hwnd_) return;
  FontObject next;
  const int dpi = Dpi();
  if (hasFont_) {
    next = CreateFontObject(ScaledFont());
  } else if (const Window* owner = FontOwner(); owner && subclassed_) {
    FontSpec f = owner->font_;
    f.height = Scale(f.height);
    next = CreateFontObject(f);
  } else if (!subclassed_) {
    return;
  } else if (dpi != SystemDpi()) {
    LOGFONTA lf{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
    next = FontObject(CreateFontIndirectA(&lf));
  }
  HGDIOBJ font = next ? next.get() : GetStockObject(DEFAULT_GUI_FONT);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  fontObj_ = std::move(next);  // the old font is let go only when the window no longer uses it
}

void Window::SetColor(Color background) {
  background_ = background;
  hasColor_ = true;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Window::SetFontColor(Color c) {
  font_.color = c;
  hasFont_ = true;
  if (!fontObj_) SetFont(font_);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

// --- Form ---

Form::~Form() {
  if (tooltip_) DestroyWindow(tooltip_);
}

void Form::CreateForm(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                      int clientWidth, int clientHeight, HICON icon) {
  RegisterWindowClass(className, CS_DBLCLKS, icon, GetSysColorBrush(COLOR_BTNFACE));
  auto outer = [&](int dpi) {
    RECT r{0, 0, ScaleToDpi(clientWidth, dpi), ScaleToDpi(clientHeight, dpi)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  dpi_ = SystemDpi();
  const SIZE size = outer(dpi_);
  CreateCustom(className, style, exStyle, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
               caption);
  // The window's own screen may differ from the system's density (another monitor, or a scaling
  // changed since the session began); the form takes its window's density before any child exists.
  if (const int own = SystemWindowDpi(hwnd_); own != dpi_) {
    dpi_ = own;
    const SIZE scaled = outer(dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, scaled.cx, scaled.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HWND Form::Tooltip() {
  if (!tooltip_) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, Application::Get().Instance(), nullptr);
  }
  return tooltip_;
}

void Form::SetMainMenu(Menu* menu) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  ::SetMenu(hwnd_, menu ? menu->Handle() : nullptr);
  if (menu) menu->AttachTo(hwnd_);
  RECT r = client;
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), menu != nullptr,
                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  SetSize(r.right - r.left, r.bottom - r.top);
}

void Form::RestoreFocus() {
  HWND target = lastFocus_;
  if (!target || !IsWindow(target) || !IsChild(hwnd_, target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target))
    target = NextTabStop(hwnd_, nullptr, false);
  ::SetFocus(target ? target : hwnd_);
}

void Form::SetAccelerators(HACCEL table) { accel_ = table; }

void Form::Close() { SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

void Form::CenterOnScreen() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Form::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      if (!CloseQuery()) return 0;
      Hide();
      OnClose();
      if (Application::Get().MainWindow() == this) Application::Get().Terminate();
      return 0;
    case WM_SIZE:
      OnResize();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a screen of another density: every window re-laid, parents first, then the form
      // at the rectangle the system suggests.
      dpi_ = SaneDpi(LOWORD(wp));
      EnumChildWindows(
          hwnd_,
          [](HWND child, LPARAM) -> BOOL {
            if (Window* w = FromHandle(child)) w->OnDpiChanged();
            return TRUE;
          },
          0);
      OnFormDpiChanged();
      if (const auto* r = reinterpret_cast<const RECT*>(lp))
        SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      else
        OnResize();
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return 0;
      }
      if (!HIWORD(wp)) RestoreFocus();  // not while minimised
      return 0;
    default:
      return Default(msg, wp, lp);
  }
}

}  // namespace qtk
