#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace qtk {

class Action;

// Tool bar of square glyphs (16 x 16 at 96 dpi). Buttons run an action, or belong to a group of
// toggle buttons of which at most one is down.
class ToolBar : public Window {
 public:
  struct ButtonArgs {
    std::string name;
    Action* action = nullptr;  // push button; a toggle's enabled and checked state
    std::string caption;       // toggle button
    std::string hint;          // when there is no action
    int glyph = -1;
    bool toggle = false;
    bool allowAllUp = true;  // a toggle that may be clicked up, leaving none down
    bool visible = true;
    std::function<void()> onClick;  // toggle button
    int separatorWidth = 0;         // > 0: a separator of that width (at 96 dpi)
  };
  ~ToolBar() override;
  // glyphs: a 24-bit bitmap strip of square images as high as the strip (white-keyed background
  // is fine). Buttons are 24 x 24 at 96 dpi.
  void Create(HWND parent, HBITMAP glyphs, int glyphCount);
  // New glyphs (drawn for another density); buttons, separators and windows on them re-laid.
  void SetGlyphs(HBITMAP glyphs, int glyphCount);
  void AddButton(ButtonArgs args);
  // Puts a window (a panel) after the buttons, on a separator `width` wide at 96 dpi.
  void AddControl(Window& control, int width);

  bool Down(const std::string& name) const;
  void SetDown(const std::string& name, bool down);  // putting one down puts the group up
  void Click(const std::string& name);               // as the user clicking it
  bool ButtonVisible(const std::string& name) const;
  bool ButtonEnabled(const std::string& name) const;
  int ButtonIndex(const std::string& name) const;
  RECT ButtonRect(const std::string& name) const;
  std::string HintAt(POINT client) const override;
  SIZE IdealSize() const;

 protected:
  bool OnCommand(WORD code, WORD id) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  struct Button {
    ButtonArgs args;
    int id = 0;
    HWND control = nullptr;  // the window that sits on this separator
  };
  const Button* Find(const std::string& name) const;
  void ApplyToggle(Button& b, bool wasDown);
  void PlaceControls();
  std::vector<Button> buttons_;
  struct DestroyImageList {
    void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
  };
  Owned<HIMAGELIST, DestroyImageList> images_, disabledImages_;
  int nextId_ = 1;
};

// Band bar holding windows one band each, stacked top to bottom.
class CoolBar : public Window {
 public:
  void Create(HWND parent);
  // minHeight is for a 96-dpi screen.
  void AddBand(Window& child, int minHeight);
  // In screen pixels.
  void SetBandMinHeight(int band, int minHeight);
  // After a change of density: the bands take their children's widths and their heights anew.
  void RefreshBands();
  int BarHeight() const;
  // Fired when the bar's height changes (the owner re-lays out).
  std::function<void()> onHeightChange;

 protected:
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  std::vector<int> bandHeights_;  // at 96 dpi
};

}  // namespace qtk
