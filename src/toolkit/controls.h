#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace qtk {

// The width of a control's caption in the control's own font, as one line.
int CaptionWidth(HWND control);

class Action;

// Push button; runs its action (caption, hint and enabled state follow it) or onClick.
class Button : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, const std::string& caption);
  void SetAction(Action* action);
  void Click();  // as if the user clicked it
  std::function<void()> onClick;

 protected:
  bool OnCommand(WORD code, WORD id) override;

 private:
  Action* action_ = nullptr;
};

class CheckBox : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, const std::string& caption);
  void SetChecked(bool checked);
  bool Checked() const;
  std::function<void()> onClick;

 protected:
  bool OnCommand(WORD code, WORD id) override;
};

// A group box with radio buttons; ItemIndex is the chosen one (-1 for none).
class RadioGroup : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, const std::string& caption,
              const std::vector<std::string>& items);
  void SetItemIndex(int index);
  int ItemIndex() const;
  HWND ItemHandle(int index) const { return buttons_.at(index); }
  // Puts the items one below the other, `step` apart from `top` (96-dpi pixels, in the group).
  void PlaceItems(int left, int top, int step, int width, int height);
  void OnDpiChanged() override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::vector<HWND> buttons_;
  struct {
    int left, top, step, width, height;
  } items_{};
};

// Single-line edit (optionally read-only, with or without border).
class Edit : public Window {
 public:
  struct Args {
    bool readOnly = false;
    bool border = true;     // sunken client edge
    bool autoSize = false;  // height follows the font
  };
  void Create(HWND parent, int x, int y, int width, int height, Args args);
  // Fired on every change of the text, by typing or by the program.
  std::function<void()> onChange;
  std::function<void()> onClick;
  // Height that fits the font (for auto-sized edits).
  int FitHeight() const;
  void SetFont(const FontSpec& font);  // re-fits an auto-sized edit
  void OnDpiChanged() override;

 protected:
  bool OnCommand(WORD code, WORD id) override;
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FitToFont();
  Args args_;
};

// Multi-line read-only text: a display, with the arrow pointer, that Tab leaves like any control.
class Memo : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

// Spin buttons holding an integer value clamped to [min, max]; step 1.
class SpinEdit : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, int min, int max, int value);
  int Value() const { return value_; }
  void SetValue(int value);  // clamped; fires onChange when the value changes
  int Min() const { return min_; }
  int Max() const { return max_; }
  std::function<void()> onChange;
  std::function<void()> onClick;
  void OnDpiChanged() override;

 protected:
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int min_ = 0, max_ = 100, value_ = 0;
};

// Status bar with fixed-width panels.
class StatusBar : public Window {
 public:
  void Create(HWND parent, const std::vector<int>& widths);
  void SetPanelText(int panel, const std::string& text, bool centred = false);
  std::string PanelText(int panel) const;
  void OnDpiChanged() override;

 private:
  void ApplyParts();
  std::vector<int> widths_;  // at 96 dpi
  std::vector<std::string> texts_;
};

// A plain container of ours, with a background colour and an optional single-line border.
class Panel : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, bool border);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A window that paints through a handler and reports the pointer. Its DC is its own (CS_OWNDC)
// and lives as long as the window, so its canvas keeps pen and brush between paints.
class PaintBox : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height);
  Canvas& GetCanvas() { return canvas_; }
  // Paints the part `area` of the box into `dc`, the box's own device context.
  std::function<void(HDC dc, const RECT& area)> onPaint;
  std::function<void(MouseButton, int x, int y)> onPress;
  std::function<void(int x, int y)> onMove;
  std::function<void(MouseButton, int x, int y)> onRelease;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDestroyed() override;

 private:
  Canvas canvas_;
};

// A scrolling container: its children are laid out in a content area of the given size, scrolled
// with both bars (the picture moves while the thumb is dragged).
class ScrollBox : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height, Color background);
  void SetContentSize(int width, int height);
  POINT ScrollPosition() const { return {scrollX_, scrollY_}; }
  void ScrollTo(int x, int y);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void UpdateBars();
  void Scroll(int bar, WORD request);
  int contentW_ = 0, contentH_ = 0, scrollX_ = 0, scrollY_ = 0;
};

// 8 x 2 grid of the 16 default palette colours with a foreground cell marked "FG".
class ColorGrid : public Window {
 public:
  void Create(HWND parent, int x, int y, int width, int height);
  int ForegroundIndex() const { return foreground_; }
  void SetForegroundIndex(int index);
  Color ForegroundColor() const;
  static Color CellColor(int index);
  // Fired on a left release inside the grid and on every right release, wherever it lands.
  std::function<void()> onClick;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int CellAt(int x, int y) const;
  int foreground_ = 0;
  bool tracking_ = false;
};

}  // namespace qtk
