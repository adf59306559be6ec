#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/color.h"
#include "toolkit/gdi.h"
#include "toolkit/logic/dpi_scale.h"

namespace qtk {

class Menu;
const char* RegisterWindowClass(const char* name, UINT style, HICON icon, HBRUSH background);

enum class MouseButton { Left, Right, Middle };

// One window: either of a class of ours (CreateCustom) or a system control that we subclass
// (CreateSystem). Messages reach OnMessage; no exception leaves the window procedure.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

  void SetVisible(bool visible);
  bool Visible() const;
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // In screen pixels: the window is placed by the program from now on, not re-laid at a change
  // of screen density (a window that a bar places keeps having its size re-laid).
  void SetBounds(int x, int y, int width, int height);
  void SetSize(int width, int height);

  // The screen density the window is laid out for: its form's, else the system's.
  int Dpi() const;
  // A length given for a 96-dpi screen, at the window's density.
  int Scale(int designPixels) const { return ScaleToDpi(designPixels, Dpi()); }
  // The window's font with its height at the window's density.
  FontSpec ScaledFont() const;
  // Called on every window of a form that moved to a screen of another density, parents first.
  // By default the position, size and font given at creation are scaled anew.
  virtual void OnDpiChanged();
  // What a change of density re-lays: the creation bounds (96-dpi pixels), only their size (a
  // window that a bar places), or nothing (the program places it).
  enum class DesignPlacement { None, Bounds, SizeOnly };
  void SetDesignPlacement(DesignPlacement placement) { designPlacement_ = placement; }
  RECT Bounds() const;  // in the parent's client coordinates (screen for top-level windows)
  int Width() const;
  int Height() const;
  void SetText(const std::string& text);
  std::string Text() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetFocus();
  bool Focused() const;
  void Invalidate();

  // Hint "short|long": the long part goes to the status bar, the short one is the tooltip
  // when SetShowHint(true).
  void SetHint(std::string hint);
  const std::string& Hint() const { return hint_; }
  void SetShowHint(bool show);
  // The hint of the point (client coordinates) under the pointer; controls with parts override.
  virtual std::string HintAt(POINT client) const { return hint_; }

  // Enter in this window, or in a window inside it, clicks `button` when that is enabled.
  void SetEnterButton(Window* button) { enterButton_ = button; }
  Window* EnterButton() const { return enterButton_; }

  // Context menu on right click; an empty menu shows nothing (and suppresses the control's own).
  void SetPopupMenu(Menu* menu) { popup_ = menu; }
  Menu* PopupMenu() const { return popup_; }

  // Font and colours (edits, statics, buttons, check boxes and our own windows). The font's
  // height is for a 96-dpi screen; the window shows it scaled to its density.
  void SetFont(const FontSpec& font);
  const FontSpec& Font() const { return font_; }
  void SetColor(Color background);
  Color GetColor() const { return background_; }
  void SetFontColor(Color c);

  // Pointer press on the window, any button, client coordinates.
  std::function<void(MouseButton, int x, int y)> onMouseDown;

 protected:
  // Positions and sizes of child windows are for a 96-dpi screen and scaled to the density of
  // the parent's form.
  void CreateCustom(const char* className, DWORD style, DWORD exStyle, HWND parent, int x, int y,
                    int width, int height, const std::string& text = "", UINT classStyle = 0);
  void CreateSystem(const char* className, DWORD style, DWORD exStyle, HWND parent, int x, int y,
                    int width, int height, const std::string& text = "");

  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

  // Notifications that the parent routes back to the control that raised them.
  virtual bool OnCommand(WORD code, WORD id) { return false; }
  virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
  virtual HBRUSH OnCtlColor(HDC dc);
  virtual void OnDestroyed() {}

  bool hasColor_ = false;
  HWND hwnd_ = nullptr;
  DesignPlacement designPlacement_ = DesignPlacement::None;
  RECT design_{};

 private:
  friend const char* RegisterWindowClass(const char*, UINT, HICON, HBRUSH);
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT Route(UINT msg, WPARAM wp, LPARAM lp);
  void UpdateTooltip();

  bool subclassed_ = false;
  std::string hint_;
  bool showHint_ = false;
  Menu* popup_ = nullptr;
  Window* enterButton_ = nullptr;
  void ApplyFont();
  const Window* FontOwner() const;
  // Positions and sizes at creation, scaled from 96 dpi to the parent's density.
  RECT ScaledDesign(HWND parent, int x, int y, int width, int height);

  FontSpec font_;
  bool hasFont_ = false;
  FontObject fontObj_;
  Color background_ = clBtnFace;
  BrushObject backgroundBrush_;
  uint32_t brushRgb_ = 0;
};

// A top-level window of ours.
class Form : public Window {
 public:
  ~Form() override;
  void CreateForm(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                  int clientWidth, int clientHeight, HICON icon);
  // Keeps the client area's size: the window grows by the menu bar.
  void SetMainMenu(Menu* menu);
  void SetKeyPreview(bool on) { keyPreview_ = on; }
  bool KeyPreview() const { return keyPreview_; }
  // Called by the message loop before the focused control sees a key (when key preview is on).
  virtual void PreviewKey(UINT msg, WPARAM key) {}
  void SetAccelerators(HACCEL table);
  HACCEL Accelerators() const { return accel_; }
  HWND Tooltip();

  // The control that gets the focus when the form is activated: the one that had it when the form
  // was last deactivated, else the first tab stop.
  void RestoreFocus();

  // Asks the window to close: CloseQuery, then OnClose; the main window ends the program.
  void Close();
  void CenterOnScreen();
  // The density the form is laid out for (the system's at creation, then its screen's).
  int FormDpi() const { return dpi_; }

 protected:
  virtual bool CloseQuery() { return true; }
  virtual void OnClose() {}
  // The client area changed size.
  virtual void OnResize() {}
  // The form moved to a screen of another density: every window of it was re-laid; the form
  // re-lays what it places itself (it is then put at the system's suggested rectangle).
  virtual void OnFormDpiChanged() {}
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int dpi_ = kDesignDpi;
  bool keyPreview_ = false;
  HACCEL accel_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND lastFocus_ = nullptr;
};

// The density of a window as the system reports it (GetDpiForWindow where there is one, else
// the screen's LOGPIXELSY), and of the system.
int SystemWindowDpi(HWND hwnd);
int SystemDpi();

// Registers a window class of ours once; returns its name.
const char* RegisterWindowClass(const char* name, UINT style, HICON icon, HBRUSH background);

}  // namespace qtk
