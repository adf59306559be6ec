#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/gdi.h"

namespace qtk {

// A user command: caption, hint, shortcut, glyph and handler, shared by the menu items and tool
// buttons that show it. Changing enabled, checked or visible state updates every one of them.
class Action {
 public:
  struct Args {
    std::string name;
    std::string category;
    std::string caption;
    std::string hint;
    WORD shortcutKey = 0;  // virtual key pressed with Ctrl, 0 for none
    int glyph = -1;
    WORD shiftShortcutKey = 0;  // a second shortcut, this key with Ctrl+Shift
    unsigned id = 0;            // a fixed command id (below 1000); 0 takes the next free one
  };
  explicit Action(Args args);
  ~Action();
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

  const std::string& Name() const { return args_.name; }
  const std::string& Category() const { return args_.category; }
  const std::string& Caption() const { return args_.caption; }
  const std::string& Hint() const { return args_.hint; }
  WORD ShortcutKey() const { return args_.shortcutKey; }
  WORD ShiftShortcutKey() const { return args_.shiftShortcutKey; }
  int Glyph() const { return args_.glyph; }
  unsigned CommandId() const { return id_; }

  // Runs the handler when the action is enabled. Exceptions go to the caller.
  void Execute();
  std::function<void()> onExecute;

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // A toggle button showing the action is down while it is checked; menus show no check.
  void SetChecked(bool checked);
  bool Checked() const { return checked_; }
  void SetVisible(bool visible);
  bool Visible() const { return visible_; }

  // Called after every change of state.
  void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

 private:
  void Notify();
  Args args_;
  unsigned id_ = 0;
  bool enabled_ = true, checked_ = false, visible_ = true;
  std::vector<std::function<void()>> observers_;
};

struct DestroyAccelerators {
  void operator()(HACCEL h) const { DestroyAcceleratorTable(h); }
};
// An accelerator table of our own making.
using AcceleratorTable = Owned<HACCEL, DestroyAccelerators>;

// Builds an accelerator table from the shortcuts of actions.
HACCEL CreateAccelerators(const std::vector<Action*>& actions);
// "Ctrl+N" style text for a menu item.
std::string ShortcutText(WORD key);

// Captions of a menu's items, in order ("-" for separators): a "\t" parts a shortcut's text.
std::vector<std::string> MenuCaptions(HMENU menu);

// One entry of a menu: an action, a plain item with a handler, a separator or a submenu.
struct MenuEntry {
  std::string name;
  Action* action = nullptr;
  std::string caption;  // for plain items and submenus
  std::string hint;     // for plain items
  std::function<void()> onClick;
  bool separator = false;
  std::vector<MenuEntry> children;
  unsigned id = 0;  // a plain item's own command, registered once by its menu

  static MenuEntry Separator(std::string name = "") {
    MenuEntry e;
    e.name = std::move(name);
    e.separator = true;
    return e;
  }
  static MenuEntry Of(std::string name, Action* a) {
    MenuEntry e;
    e.name = std::move(name);
    e.action = a;
    return e;
  }
};

// A main menu bar or a popup menu; owns its HMENU and rebuilds it when an action changes.
class Menu {
 public:
  enum class Kind { Bar, Popup };
  Menu(Kind kind, std::vector<MenuEntry> entries);
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  HMENU Handle() const { return menu_.get(); }
  bool IsEmpty() const { return entries_.empty(); }
  // Opens the popup with its top-left corner at a screen position; commands go to `owner`.
  void Popup(HWND owner, int screenX, int screenY);
  // Captions of the visible items, in order ("-" for separators), for tests and checks.
  std::vector<std::string> VisibleCaptions() const;
  // The command id of a named item (0 when unknown or hidden).
  unsigned CommandOf(const std::string& name) const;
  void Rebuild();
  // The window that shows the bar (redrawn after a rebuild).
  void AttachTo(HWND owner) { owner_ = owner; }

 private:
  void Fill(HMENU menu, std::vector<MenuEntry>& entries);
  Kind kind_;
  std::vector<MenuEntry> entries_;
  std::vector<unsigned> ownIds_;  // registered once: a rebuild reuses them
  struct DestroyMenuHandle {
    void operator()(HMENU h) const { DestroyMenu(h); }
  };
  Owned<HMENU, DestroyMenuHandle> menu_;
  HWND owner_ = nullptr;
};

}  // namespace qtk
